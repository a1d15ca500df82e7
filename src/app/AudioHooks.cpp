#include "app/AudioHooks.h"

AudioHooks audio_hooks;
