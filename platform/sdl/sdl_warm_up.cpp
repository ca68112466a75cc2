// Start-up work the SDL backend does ahead of time, on threads of its own,
// while SDL connects to the display on the program's thread: loading the GL
// driver that serves this display, and loading fontconfig's configuration.
// Both are the slowest parts of the first GL context and of the first font
// request, and neither depends on anything the program has asked for yet,
// so the program finds them done when it gets there. Nothing the program
// sees changes: its own calls still make the window, the context and the
// font, in its own order, on its own thread.
//
// The driver is loaded by asking GLX about the display over a connection of
// our own; that connection is kept open until the program's first context
// exists, since closing it would unload the driver again before the
// program's own connection takes it up.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <thread>

#include "platform/posix/freetype_font.h"
#include "platform/sdl/sdl_state.h"

namespace {

std::thread driver_thread;
std::thread font_thread;
Display *driver_display = nullptr;

void load_gl_driver()
{
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;  // no X display: SDL finds that out for itself
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo *visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (visual != nullptr)
        XFree(visual);
    driver_display = display;
}

}  // namespace

void SdlStartWarmUp(void)
{
    if (font_thread.joinable() || driver_thread.joinable())
        return;
    font_thread = std::thread(PrepareFontService);
    // Only an X11 display has a driver to load this way; SDL may still pick
    // another video driver, and then this connection just goes unused.
    const char *display = getenv("DISPLAY");
    if (display != nullptr && *display != '\0')
        driver_thread = std::thread(load_gl_driver);
}

void SdlFinishWarmUp(void)
{
    if (driver_thread.joinable())
        driver_thread.join();
    if (driver_display != nullptr) {
        XCloseDisplay(driver_display);
        driver_display = nullptr;
    }
    if (font_thread.joinable())
        font_thread.join();
}
