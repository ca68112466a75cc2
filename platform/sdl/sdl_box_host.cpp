// The SDL backend's side of the GTK message boxes (platform/gtk/gtk_host.h).
#include <SDL_syswm.h>

#include "platform/core/core_backend.h"
#include "platform/gtk/gtk_host.h"
#include "platform/sdl/sdl_state.h"
#include "platform/wayland/wayland_foreign.h"
#include "platform/x11/x11_display.h"

bool BoxHostOwnerPosition(PlatformWindow *owner, int *x, int *y)
{
    SDL_Window *sdl = SdlWindowOf(owner);
    if (sdl == nullptr)
        return false;
    SDL_GetWindowPosition(sdl, x, y);
    return true;
}

const char *BoxHostWindowSystem(void)
{
    SdlState &s = Sdl();
    if (!s.video_ready)
        return nullptr;
    return s.x11 ? "x11" : "wayland";
}

bool BoxHostSessionBusAround(void)
{
    return SdlSessionBusAround();
}

void BoxHostAfterToolkitStart(void)
{
    X11EndOnDisplayLoss();
}

static bool WindowSystemInfo(PlatformWindow *window, SDL_SysWMinfo *info)
{
    SDL_Window *sdl = SdlWindowOf(window);
    if (sdl == nullptr || !Sdl().x11)
        return false;
    SDL_VERSION(&info->version);
    return SDL_GetWindowWMInfo(sdl, info) && info->subsystem == SDL_SYSWM_X11;
}

int BoxHostEventFd(void)
{
    SDL_SysWMinfo info;
    if (!WindowSystemInfo(Core().window, &info))
        return -1;
    return X11ConnectionFd(info.info.x11.display);
}

bool BoxHostEventsWaiting(void)
{
    if (!Sdl().video_ready)
        return false;
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT))
        return true;
    SDL_SysWMinfo info;
    return WindowSystemInfo(Core().window, &info) &&
           X11EventsInMemory(info.info.x11.display);
}

unsigned long BoxHostX11Window(PlatformWindow *window)
{
    SDL_SysWMinfo info;
    return WindowSystemInfo(window, &info) ? info.info.x11.window : 0;
}

// The owner's export while a box is open: one box at a time.
static WaylandExport *g_owner_export = nullptr;

const char *BoxHostExportOwner(PlatformWindow *window)
{
    BoxHostEndOwnerExport();
    SDL_SysWMinfo info;
    if (!SdlWaylandInfo(SdlWindowOf(window), &info))
        return nullptr;
    g_owner_export = WaylandExportSurface(info.info.wl.display, info.info.wl.surface);
    return g_owner_export != nullptr ? WaylandExportHandle(g_owner_export) : nullptr;
}

void BoxHostEndOwnerExport(void)
{
    WaylandUnexport(g_owner_export);
    g_owner_export = nullptr;
}
