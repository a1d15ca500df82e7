#include "platform/SystemKeys.h"

#include "platform/Keys.h"
#include "platform/WindowManager.h"

namespace platform {

bool translate_system_keys(WindowManager& wm, const Message& message)
{
    if (message.kind != MessageKind::KeyDown || message.key != function_key(4)) return false;
    if ((message.modifiers & (ModAlt | ModControl | ModShift)) != ModAlt) return false;
    const WindowId main = wm.main_window();
    if (!main) return false;
    Message close;
    close.window = main;
    close.kind = MessageKind::Close;
    wm.post_message(close);
    return true;
}

}  // namespace platform
