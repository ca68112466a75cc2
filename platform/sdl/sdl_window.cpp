// The program's backend: starts SDL's video, gives the window core
// (platform/core/) its native window operations and turns SDL's events into
// the core's input reports. Siblings: GL contexts, display modes, keys, and
// the host the GTK boxes (platform/gtk/) use.
// Implemented: one class and one window, a double-buffered RGBA GL context
//  with depth, fullscreen at an offered mode (on X11 switched when asked for
//  and put back at the close, at exit, on display loss and before an abrupt
//  end); keys, buttons, size, activation, minimize, close and Alt+F4; screen
//  saver held off while active; GTK boxes owned by the scene window;
//  SIGTERM/SIGINT/SIGHUP as the close button; X connection or compositor
//  loss ends the process with 1.
// Missing: WM_CHAR (TranslateMessage makes none); AdjustWindowRectEx leaves
//  the rectangle alone (the frame is drawn outside the client); video drivers
//  other than X11 and Wayland; on Wayland without xdg-foreign a box's owner;
//  on Wayland events polled every 50 ms while a box is open; a second box
//  while one is open (goes to stderr).
#include <SDL_syswm.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/core_backend.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_state.h"
#include "platform/wayland/wayland_decorations.h"
#include "platform/wayland/wayland_display.h"
#include "platform/x11/x11_display.h"

SdlState &Sdl()
{
    static SdlState state;
    return state;
}

bool SdlSessionBusAround(void)
{
    static int around = -1;
    if (around >= 0)
        return around != 0;
    const char *address = getenv("DBUS_SESSION_BUS_ADDRESS");
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    struct stat bus;
    around = (address != nullptr && *address != '\0') ||
             (runtime != nullptr && *runtime != '\0' &&
              stat((std::string(runtime) + "/bus").c_str(), &bus) == 0);
    // What the bus would be used for (holding off the screen saver, input
    // methods, accessibility) has X11 ways, or needs a desktop session.
    if (!around)
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    return around != 0;
}

// The video drivers that give a window the user sees, in the order tried:
// X11 first (Wayland desktops run it too, and boxes can then name their
// owner), then a Wayland compositor, when the session names one.
// SDL_VIDEODRIVER narrows the choice; naming only other drivers (offscreen,
// dummy) leaves none.
static std::vector<std::string> VisibleVideoDrivers(void)
{
    const char *asked = getenv("SDL_VIDEODRIVER");
    const char *compositor = getenv("WAYLAND_DISPLAY");
    std::vector<std::string> drivers;
    for (const char *driver : {"x11", "wayland"}) {
        if (strcmp(driver, "wayland") == 0 && (compositor == nullptr || *compositor == '\0'))
            continue;
        std::string list = std::string(",") + (asked != nullptr ? asked : "") + ",";
        if (asked == nullptr || *asked == '\0' ||
            list.find(std::string(",") + driver + ",") != std::string::npos)
            drivers.push_back(driver);
    }
    return drivers;
}

bool SdlEnsureVideo(void)
{
    SdlState &s = Sdl();
    if (s.video_tried)
        return s.video_ready;
    s.video_tried = true;
    // Before any other thread starts: the environment may change here.
    SdlSessionBusAround();
    // In place before any connection to the display is opened, the warm-up's
    // included. A write to a connection whose server has gone then fails and
    // reaches that handler, rather than killing the process with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    X11EndOnDisplayLoss();
    X11StartWarmUp();
    atexit(X11FinishWarmUp);
    // Signals are the core's (SDL's own handlers would only queue a quit
    // that nobody sees while a box is open). The program decides about the
    // screen saver itself, keeps a fullscreen window up while a message box
    // has the focus, takes the click that activates the window as a click,
    // and ends only through its own close handling.
    CoreCatchTerminationSignals();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    for (const std::string &driver : VisibleVideoDrivers()) {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver.c_str(), SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            s.video_ready = true;
            break;
        }
    }
    if (!s.video_ready)
        return false;
    atexit(SDL_Quit);
    s.x11 = strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0;
    // SDL may have put its own handler in place of ours.
    X11EndOnDisplayLoss();
    return true;
}

SDL_Window *SdlWindowOf(PlatformWindow *window)
{
    return window != nullptr && window->native != nullptr ? window->native->sdl : nullptr;
}

bool SdlWaylandInfo(SDL_Window *sdl, SDL_SysWMinfo *info)
{
    if (sdl == nullptr || Sdl().x11)
        return false;
    SDL_VERSION(&info->version);
    return SDL_GetWindowWMInfo(sdl, info) && info->subsystem == SDL_SYSWM_WAYLAND;
}

// ---- the native window ------------------------------------------------------

bool BackendCreateWindow(PlatformWindow *window)
{
    if (!SdlEnsureVideo())
        return false;
    window->native = new BackendWindow{nullptr};
    return true;
}

void BackendDestroyWindow(PlatformWindow *window)
{
    if (window->native == nullptr)
        return;
    if (SDL_Window *sdl = window->native->sdl) {
        // Hidden first, as SDL_DestroyWindow would, while the decorations
        // are still there to hide.
        SDL_HideWindow(sdl);
        SDL_SysWMinfo info;
        if (SdlWaylandInfo(sdl, &info)) {
            SDL_version linked;
            SDL_GetVersion(&linked);
            WaylandForgetDecorations(info.info.wl.surface,
                                     linked.major == 2 && linked.minor == 26);
        }
        SDL_DestroyWindow(sdl);
    }
    delete window->native;
    window->native = nullptr;
}

void BackendShowWindow(PlatformWindow *window, bool show)
{
    SDL_Window *sdl = SdlWindowOf(window);
    if (sdl == nullptr)
        return;
    if (show)
        SDL_ShowWindow(sdl);
    else
        SDL_HideWindow(sdl);
}

void BackendRaiseWindow(PlatformWindow *window)
{
    if (SDL_Window *sdl = SdlWindowOf(window))
        SDL_RaiseWindow(sdl);
}

void BackendFocusWindow(PlatformWindow *window)
{
    if (SDL_Window *sdl = SdlWindowOf(window))
        SDL_SetWindowInputFocus(sdl);
}

// The desktop's frame is drawn by the window manager, outside the client
// area, so the client size asked for is the size of the native window.
void BackendFrameInsets(DWORD, RECT *insets) { *insets = RECT{0, 0, 0, 0}; }

void BackendHoldScreenSaver(bool hold)
{
    if (!Sdl().video_ready)
        return;
    if (hold)
        SDL_DisableScreenSaver();
    else
        SDL_EnableScreenSaver();
}

DWORD BackendTime(void) { return SDL_GetTicks(); }

// ---- SDL's events as the core's input ----------------------------------------

static void ReportWindowEvent(PlatformWindow *w, const SDL_WindowEvent &e)
{
    switch (e.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED: CoreInputClientSize(w, e.data1, e.data2); break;
    case SDL_WINDOWEVENT_MINIMIZED: CoreInputMinimized(w, true); break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: CoreInputMinimized(w, false); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: CoreInputFocus(w, true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: CoreInputFocus(w, false); break;
    case SDL_WINDOWEVENT_CLOSE: CoreInputCloseRequest(w); break;
    }
}

static void ReportButton(PlatformWindow *w, const SDL_MouseButtonEvent &e, bool down)
{
    switch (e.button) {
    case SDL_BUTTON_LEFT: CoreInputButton(w, kCoreLeftButton, down, e.x, e.y); break;
    case SDL_BUTTON_RIGHT: CoreInputButton(w, kCoreRightButton, down, e.x, e.y); break;
    case SDL_BUTTON_MIDDLE: CoreInputButton(w, kCoreMiddleButton, down, e.x, e.y); break;
    }
}

// SDL tells of a compositor that has gone as of a request to quit; the
// program ends then as it does when its X display goes. It is also looked
// for before every pump: a failure found while the GL swap read the
// connection, with events still queued, would send the decorations
// plugin's dispatch round for ever.
static void EndIfCompositorLost(SDL_Window *sdl)
{
    SDL_SysWMinfo info;
    if (SdlWaylandInfo(sdl, &info))
        WaylandEndIfConnectionLost(info.info.wl.display);
}

void BackendPollEvents(void)
{
    if (!Sdl().video_ready)
        return;
    EndIfCompositorLost(SdlWindowOf(Core().window));
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        // Read afresh for every event: handling one may end the window.
        PlatformWindow *w = Core().window;
        SDL_Window *sdl = SdlWindowOf(w);
        if (sdl == nullptr)
            continue;
        switch (e.type) {
        case SDL_QUIT:
            EndIfCompositorLost(sdl);
            CoreInputCloseRequest(w);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.windowID == SDL_GetWindowID(sdl))
                ReportWindowEvent(w, e.window);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            SdlReportKey(w, e.key);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            ReportButton(w, e.button, e.type == SDL_MOUSEBUTTONDOWN);
            break;
        }
    }
}
