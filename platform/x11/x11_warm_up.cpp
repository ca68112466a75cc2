// Start-up work done on threads of its own while SDL connects: loading the
// GL driver of this X display (by asking GLX about it over a connection of
// our own, kept open until the first context exists so the driver stays
// loaded) and fontconfig's configuration. Both are the slowest parts of the
// first context and the first font request and depend on nothing the
// program asked for; its own calls still make the window, context and font,
// in its order, on its thread.
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <thread>

#include "platform/freetype/freetype_font.h"
#include "platform/x11/x11_display.h"

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

void X11StartWarmUp(void)
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

void X11FinishWarmUp(void)
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
