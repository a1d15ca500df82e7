#pragma once
// What the shell asks of the audio folder, which lies above it: filled by that folder's
// installer, which the program's entry runs before the application starts. Null fields: the
// program has no audio (the menu items stay greyed).

struct AudioHooks {
    void (*start)() = nullptr;          // creates the wave device manager and opens it
    void (*stop)() = nullptr;           // stops and deletes it
    void (*export_audio)() = nullptr;   // "Exporter en AUDIO..."
    void (*edit_settings)() = nullptr;  // "Configuration audio..."
};

extern AudioHooks audio_hooks;
