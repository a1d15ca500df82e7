#pragma once
// The audio folder in the program: the wave device manager of the run (created and opened at
// start, stopped and deleted at exit) and the installer that gives the shell its audio
// commands (app/AudioHooks.h). The program's entry calls `install_audio` before the
// application starts.

class CAudioManager;

void install_audio();
// The manager of the run; null before start and after exit.
CAudioManager* audio_manager();
// Creates and opens it (the start hook); a failed open is not reported.
void start_audio();
// Stops and deletes it (the exit hook).
void stop_audio();
// "Configuration audio...": the settings dialog of the manager of the run.
void edit_audio_settings();
