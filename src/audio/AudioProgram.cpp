#include "audio/AudioProgram.h"

#include "app/AudioHooks.h"
#include "audio/CAudioManager.h"
#include "audio/ExportAudio.h"

#include <memory>

namespace {

// The manager of the run, owned here from start to exit.
std::unique_ptr<CAudioManager>& manager()
{
    static std::unique_ptr<CAudioManager> the_manager;
    return the_manager;
}

}  // namespace

CAudioManager* audio_manager() { return manager().get(); }

void start_audio()
{
    if (manager()) return;
    manager() = std::make_unique<CAudioManager>();
    manager()->open();
}

void stop_audio() { manager().reset(); }

void edit_audio_settings()
{
    if (manager()) manager()->edit();
}

void install_audio()
{
    audio_hooks.start = start_audio;
    audio_hooks.stop = stop_audio;
    audio_hooks.export_audio = exporter_audio;
    audio_hooks.edit_settings = edit_audio_settings;
}
