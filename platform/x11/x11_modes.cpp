// Fullscreen display modes through XRandR 1.2 on a connection of the
// backend's own, so that the switch happens when it is asked for, before
// any window of the mode exists, and can be undone from anywhere (SDL's
// connection is only reachable through a window). Only the CRTC is set: the
// screen keeps its size, the other monitors and the desktop's layout are
// left alone, as SDL's own switch leaves them.
#include "platform/x11/x11_modes.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct SavedCrtc {
    RRCrtc crtc;
    int x, y;
    RRMode mode;
    Rotation rotation;
    std::vector<RROutput> outputs;
};

Display *g_display = nullptr;
bool g_switched = false;
bool g_restore_at_exit = false;
SavedCrtc g_saved;
int g_errors = 0;

// A refused request is an answer, not a reason to end the process as
// Xlib's default handler would.
int CountError(Display *, XErrorEvent *)
{
    ++g_errors;
    return 0;
}

Display *ModeDisplay(void)
{
    if (g_display != nullptr)
        return g_display;
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    int event_base, error_base, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base) ||
        !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 2)) {
        XCloseDisplay(display);
        return nullptr;
    }
    g_display = display;
    return g_display;
}

double RefreshOf(const XRRModeInfo &mode)
{
    double lines = mode.vTotal;
    if (mode.modeFlags & RR_DoubleScan)
        lines *= 2;
    if (mode.modeFlags & RR_Interlace)
        lines /= 2;
    return mode.hTotal != 0 && lines != 0 ? mode.dotClock / (mode.hTotal * lines) : 0;
}

const XRRModeInfo *FindModeInfo(const XRRScreenResources *resources, RRMode id)
{
    for (int i = 0; i < resources->nmode; ++i)
        if (resources->modes[i].id == id)
            return &resources->modes[i];
    return nullptr;
}

bool OutputOffers(Display *display, XRRScreenResources *resources, RROutput output, RRMode mode)
{
    XRROutputInfo *info = XRRGetOutputInfo(display, resources, output);
    if (info == nullptr)
        return false;
    bool offered = false;
    for (int i = 0; i < info->nmode && !offered; ++i)
        offered = info->modes[i] == mode;
    XRRFreeOutputInfo(info);
    return offered;
}

// Xwayland's modes are emulated for the client whose windows go
// fullscreen, which is SDL's connection, not this one.
bool EmulatedModes(Display *display, XRRScreenResources *resources)
{
    for (int i = 0; i < resources->noutput; ++i) {
        XRROutputInfo *info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        bool xwayland = info != nullptr && strncmp(info->name, "XWAYLAND", 8) == 0;
        if (info != nullptr)
            XRRFreeOutputInfo(info);
        if (xwayland)
            return true;
    }
    return false;
}

// The active CRTC showing the screen's top-left corner, where the
// fullscreen window is put; null when no monitor shows it.
XRRCrtcInfo *CornerCrtc(Display *display, XRRScreenResources *resources, RRCrtc *id)
{
    for (int i = 0; i < resources->ncrtc; ++i) {
        XRRCrtcInfo *info = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (info != nullptr && info->mode != None && info->noutput > 0 && info->x == 0 &&
            info->y == 0) {
            *id = resources->crtcs[i];
            return info;
        }
        if (info != nullptr)
            XRRFreeCrtcInfo(info);
    }
    return nullptr;
}

// The fastest mode of the size as the monitor shows it (a quarter turn
// swaps the mode's sides) that every output of the CRTC offers.
RRMode ChooseMode(Display *display, XRRScreenResources *resources, const XRRCrtcInfo &crtc,
                  int width, int height, double *refresh)
{
    bool turned = (crtc.rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
    unsigned want_w = (unsigned)(turned ? height : width);
    unsigned want_h = (unsigned)(turned ? width : height);
    RRMode best = None;
    *refresh = 0;
    XRROutputInfo *first = XRRGetOutputInfo(display, resources, crtc.outputs[0]);
    if (first == nullptr)
        return None;
    for (int i = 0; i < first->nmode; ++i) {
        const XRRModeInfo *info = FindModeInfo(resources, first->modes[i]);
        if (info == nullptr || info->width != want_w || info->height != want_h)
            continue;
        bool everywhere = true;
        for (int o = 1; o < crtc.noutput && everywhere; ++o)
            everywhere = OutputOffers(display, resources, crtc.outputs[o], info->id);
        if (everywhere && (best == None || RefreshOf(*info) > *refresh)) {
            best = info->id;
            *refresh = RefreshOf(*info);
        }
    }
    XRRFreeOutputInfo(first);
    return best;
}

bool SetCrtc(Display *display, XRRScreenResources *resources, const SavedCrtc &to)
{
    g_errors = 0;
    int (*previous)(Display *, XErrorEvent *) = XSetErrorHandler(CountError);
    Status status = XRRSetCrtcConfig(display, resources, to.crtc, CurrentTime, to.x, to.y,
                                     to.mode, to.rotation,
                                     const_cast<RROutput *>(to.outputs.data()),
                                     (int)to.outputs.size());
    XSync(display, False);
    XSetErrorHandler(previous);
    return status == RRSetConfigSuccess && g_errors == 0;
}

void RestoreAtExit(void) { X11RestoreMode(); }

}  // namespace

X11ModeResult X11SwitchMode(int width, int height, int *refresh_hz)
{
    *refresh_hz = 0;
    Display *display = ModeDisplay();
    if (display == nullptr)
        return kX11ModeUnavailable;
    XRRScreenResources *resources =
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr)
        return kX11ModeUnavailable;
    if (EmulatedModes(display, resources)) {
        XRRFreeScreenResources(resources);
        return kX11ModeUnavailable;
    }
    RRCrtc crtc_id = None;
    XRRCrtcInfo *crtc = CornerCrtc(display, resources, &crtc_id);
    if (crtc == nullptr) {
        XRRFreeScreenResources(resources);
        return kX11ModeNotOffered;
    }
    double refresh = 0;
    RRMode mode = ChooseMode(display, resources, *crtc, width, height, &refresh);
    X11ModeResult result = kX11ModeNotOffered;
    if (mode != None) {
        SavedCrtc now{crtc_id, crtc->x, crtc->y, crtc->mode, crtc->rotation,
                      std::vector<RROutput>(crtc->outputs, crtc->outputs + crtc->noutput)};
        SavedCrtc wanted = now;
        wanted.mode = mode;
        if (SetCrtc(display, resources, wanted)) {
            if (!g_switched)
                g_saved = now;
            g_switched = true;
            *refresh_hz = (int)(refresh + 0.5);
            result = kX11ModeSwitched;
        } else {
            result = kX11ModeFailed;
        }
    }
    XRRFreeCrtcInfo(crtc);
    XRRFreeScreenResources(resources);
    if (result == kX11ModeSwitched && !g_restore_at_exit) {
        g_restore_at_exit = true;
        atexit(RestoreAtExit);
    }
    return result;
}

void X11RestoreMode(void)
{
    if (!g_switched || g_display == nullptr)
        return;
    // Cleared first: a restore that fails, or is cut short by the end of
    // the process, is not tried again from the exit path.
    g_switched = false;
    XRRScreenResources *resources =
        XRRGetScreenResourcesCurrent(g_display, DefaultRootWindow(g_display));
    if (resources == nullptr)
        return;
    SetCrtc(g_display, resources, g_saved);
    XRRFreeScreenResources(resources);
}
