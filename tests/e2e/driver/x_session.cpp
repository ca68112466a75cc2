// The test's display and connection; see x_session.h.
#include "x_session.h"

namespace e2e {

static int ignore_errors(::Display *, XErrorEvent *) { return 0; }

std::string ToString(const Rect &r)
{
    return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) +
           "+" + std::to_string(r.y);
}

bool XSession::Start(const std::string &screen, bool window_manager, const std::string &log_dir,
                     std::string *error)
{
    Stop();
    if (!StartVirtualDisplay(&display_, screen, window_manager, log_dir, error))
        return false;
    if (!Connect(display_.name, error)) {
        StopVirtualDisplay(&display_);
        return false;
    }
    XAutoRepeatOff(x_);
    Sync();
    return true;
}

bool XSession::Connect(const std::string &name, std::string *error)
{
    x_ = XOpenDisplay(name.c_str());
    if (x_ == nullptr) {
        *error = "cannot connect to the display \"" + name + "\"";
        return false;
    }
    display_.name = name;
    XSetErrorHandler(ignore_errors);
    return true;
}

void XSession::Stop()
{
    if (x_ != nullptr) {
        XCloseDisplay(x_);
        x_ = nullptr;
    }
    StopVirtualDisplay(&display_);
}

}  // namespace e2e
