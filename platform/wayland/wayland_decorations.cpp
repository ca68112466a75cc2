// SDL 2.26 destroys a window without releasing its libdecor frame, whose
// callbacks still carry the window's freed data. A compositor that then
// configures the old frame (Weston does, as the next window takes the focus
// after F1) has SDL read freed memory and crash; and the frame left behind
// keeps its place on the screen (a fullscreen one blacks out the output).
// So every frame is made with callbacks of ours that hand each report on to
// SDL's while the window lives, and the frame is let go of with the window:
// libdecor_decorate is defined here, ahead of libdecor's own in the lookup.
#include "platform/wayland/wayland_decorations.h"

#include <dlfcn.h>
#include <libdecor.h>

#include <memory>
#include <vector>

namespace {

struct Relay {
    libdecor_frame_interface ours = {};
    libdecor_frame_interface *sdl = nullptr;
    void *sdl_data = nullptr;
    wl_surface *surface = nullptr;  // null once its window is gone
    libdecor_frame *frame = nullptr;
};

// Kept for the life of the process: a frame may outlive its window, and
// one relay a window is all F1 costs.
std::vector<std::unique_ptr<Relay>> g_relays;

Relay *Live(void *data)
{
    Relay *relay = static_cast<Relay *>(data);
    return relay->surface != nullptr ? relay : nullptr;
}

void Configure(libdecor_frame *frame, libdecor_configuration *configuration, void *data)
{
    if (Relay *r = Live(data); r != nullptr && r->sdl->configure != nullptr)
        r->sdl->configure(frame, configuration, r->sdl_data);
}

void Close(libdecor_frame *frame, void *data)
{
    if (Relay *r = Live(data); r != nullptr && r->sdl->close != nullptr)
        r->sdl->close(frame, r->sdl_data);
}

void Commit(libdecor_frame *frame, void *data)
{
    if (Relay *r = Live(data); r != nullptr && r->sdl->commit != nullptr)
        r->sdl->commit(frame, r->sdl_data);
}

void DismissPopup(libdecor_frame *frame, const char *seat, void *data)
{
    if (Relay *r = Live(data); r != nullptr && r->sdl->dismiss_popup != nullptr)
        r->sdl->dismiss_popup(frame, seat, r->sdl_data);
}

}  // namespace

extern "C" libdecor_frame *libdecor_decorate(libdecor *context, wl_surface *surface,
                                             libdecor_frame_interface *iface, void *user_data)
{
    using Decorate = libdecor_frame *(*)(libdecor *, wl_surface *, libdecor_frame_interface *,
                                         void *);
    static const Decorate next =
        reinterpret_cast<Decorate>(dlsym(RTLD_NEXT, "libdecor_decorate"));
    if (next == nullptr)
        return nullptr;
    auto relay = std::make_unique<Relay>();
    relay->ours.configure = Configure;
    relay->ours.close = Close;
    relay->ours.commit = Commit;
    relay->ours.dismiss_popup = DismissPopup;
    relay->sdl = iface;
    relay->sdl_data = user_data;
    relay->surface = surface;
    libdecor_frame *frame = next(context, surface, &relay->ours, relay.get());
    if (frame != nullptr) {
        relay->frame = frame;
        g_relays.push_back(std::move(relay));
    }
    return frame;
}

void WaylandForgetDecorations(wl_surface *surface, bool release)
{
    for (const auto &relay : g_relays) {
        if (relay->surface != surface)
            continue;
        relay->surface = nullptr;
        if (release)
            libdecor_frame_unref(relay->frame);
    }
}
