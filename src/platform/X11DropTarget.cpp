#include "platform/X11DropTarget.h"

#include "platform/Cp1252.h"
#include "platform/WindowManager.h"

#include <X11/Xatom.h>

#include <cctype>
#include <cstdlib>

namespace platform {

namespace {

constexpr long kVersion = 5;

std::string percent_decoded(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

X11DropTarget::X11DropTarget(Display* display, ::Window window) : display_(display), window_(window)
{
    const auto atom = [&](const char* name) { return XInternAtom(display_, name, False); };
    aware_ = atom("XdndAware");
    enter_ = atom("XdndEnter");
    position_ = atom("XdndPosition");
    status_ = atom("XdndStatus");
    leave_ = atom("XdndLeave");
    drop_ = atom("XdndDrop");
    finished_ = atom("XdndFinished");
    selection_ = atom("XdndSelection");
    copy_ = atom("XdndActionCopy");
    type_list_ = atom("XdndTypeList");
    uri_list_ = atom("text/uri-list");
    property_ = atom("BRINDLECOT_DROP");
    const long version = kVersion;
    XChangeProperty(display_, window_, aware_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
}

std::vector<std::string> X11DropTarget::paths_of_uri_list(const std::string& list)
{
    std::vector<std::string> paths;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.pop_back();
        if (line.empty() || line[0] == '#' || line.compare(0, 7, "file://") != 0) continue;
        const size_t slash = line.find('/', 7);  // after the host name, which may be empty
        if (slash != std::string::npos) paths.push_back(percent_decoded(line.substr(slash)));
    }
    return paths;
}

void X11DropTarget::reply(::Window target, Atom type, long l1, long l2, long l3, long l4)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.display = display_;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(window_);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(display_, target, False, NoEventMask, &e);
    XFlush(display_);
}

void X11DropTarget::finish(bool accepted)
{
    if (source_) reply(source_, finished_, accepted ? 1 : 0, accepted ? static_cast<long>(copy_) : 0, 0, 0);
    source_ = 0;
    waiting_ = false;
    accepting_ = false;
}

bool X11DropTarget::handle(const XEvent& event, WindowManager& manager)
{
    if (event.type == SelectionNotify && event.xselection.requestor == window_ &&
        event.xselection.selection == selection_) {
        if (!waiting_) return true;
        std::vector<std::string> paths;
        if (event.xselection.property != None) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, left = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display_, window_, property_, 0, 1 << 20, True, AnyPropertyType, &type, &format,
                                   &count, &left, &data) == Success && data) {
                paths = paths_of_uri_list(std::string(reinterpret_cast<char*>(data), count * (format / 8)));
                XFree(data);
            }
        }
        std::vector<std::string> names;
        for (const std::string& p : paths) names.push_back(utf8_to_cp1252(p));
        if (!names.empty()) manager.inject_file_drop(point_, names);
        finish(!names.empty());
        return true;
    }
    if (event.type != ClientMessage || event.xclient.window != window_) return false;
    const XClientMessageEvent& m = event.xclient;
    const ::Window from = static_cast<::Window>(m.data.l[0]);
    if (m.message_type == enter_) {
        source_ = from;
        waiting_ = false;
        offers_uris_ = false;
        if (m.data.l[1] & 1) {
            // More than three types: the whole list is a property of the source.
            Atom type = None;
            int format = 0;
            unsigned long count = 0, left = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display_, from, type_list_, 0, 64, False, XA_ATOM, &type, &format, &count, &left,
                                   &data) == Success && data) {
                const Atom* types = reinterpret_cast<const Atom*>(data);
                for (unsigned long i = 0; i < count; ++i) offers_uris_ = offers_uris_ || types[i] == uri_list_;
                XFree(data);
            }
        } else {
            for (int i = 2; i <= 4; ++i) offers_uris_ = offers_uris_ || static_cast<Atom>(m.data.l[i]) == uri_list_;
        }
        return true;
    }
    if (m.message_type == position_ && from == source_) {
        const int root_x = static_cast<int>((m.data.l[2] >> 16) & 0xFFFF), root_y = static_cast<int>(m.data.l[2] & 0xFFFF);
        int x = 0, y = 0;
        ::Window child = 0;
        XTranslateCoordinates(display_, DefaultRootWindow(display_), window_, root_x, root_y, &x, &y, &child);
        point_ = {x, y};
        accepting_ = offers_uris_ && manager.drop_target(point_) != 0;
        // No quiet rectangle: every move is asked about again.
        reply(source_, status_, accepting_ ? 1 : 0, 0, 0, accepting_ ? static_cast<long>(copy_) : 0);
        return true;
    }
    if (m.message_type == leave_ && from == source_) {
        source_ = 0;
        accepting_ = false;
        return true;
    }
    if (m.message_type == drop_ && from == source_) {
        if (!accepting_) {
            finish(false);
            return true;
        }
        waiting_ = true;
        XConvertSelection(display_, selection_, uri_list_, property_, window_, static_cast<Time>(m.data.l[2]));
        XFlush(display_);
        return true;
    }
    return m.message_type == finished_ || m.message_type == status_;
}

}  // namespace platform
