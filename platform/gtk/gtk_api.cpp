// Loads GTK 3 and starts it, once, on the first message box. GTK is not
// linked into the program: linked, its libraries would be loaded and
// relocated at every start, shown box or not.
#include "platform/gtk/gtk_api.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "platform/gtk/gtk_host.h"
#include "platform/wayland/wayland_display.h"

bool ResolveGtkApi(GtkApi *api, void *(*lookup)(void *library, const char *name),
                   void *library)
{
    bool complete = true;
#define GTK_API_RESOLVE(name)                                                    \
    api->name = reinterpret_cast<decltype(&::name)>(lookup(library, #name));    \
    complete = complete && api->name != nullptr;
    GTK_API_FUNCTIONS(GTK_API_RESOLVE)
#undef GTK_API_RESOLVE
#define GTK_API_RESOLVE_OPTIONAL(name)                                           \
    api->name = reinterpret_cast<decltype(&::name)>(lookup(library, #name));
    GTK_API_OPTIONAL_FUNCTIONS(GTK_API_RESOLVE_OPTIONAL)
#undef GTK_API_RESOLVE_OPTIONAL
    return complete;
}

static bool load_gtk(GtkApi *api)
{
    void *library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
    return library != nullptr && ResolveGtkApi(api, dlsym, library);
}

// GDK ends the process itself, with a line of its own, when it finds its
// compositor gone as it flushes or reads its connection. This source comes
// before GDK's in each turn of GTK's loop, ahead of both, so a compositor
// lost while a box is open ends the program as it does without a box.
struct CompositorWatch {
    GSource source;  // first: GLib hands this struct out as the source
    wl_display *display;
};

static gboolean end_if_compositor_lost(GSource *source)
{
    WaylandEndIfConnectionLost(reinterpret_cast<CompositorWatch *>(source)->display);
    return FALSE;
}

static gboolean watch_prepare(GSource *source, gint *timeout)
{
    *timeout = -1;
    return end_if_compositor_lost(source);
}

static gboolean watch_dispatch(GSource *, GSourceFunc, gpointer) { return G_SOURCE_CONTINUE; }

static void watch_compositor(const GtkApi &api)
{
    static GSourceFuncs funcs = {watch_prepare, end_if_compositor_lost, watch_dispatch,
                                 nullptr, nullptr, nullptr};
    GSource *source = api.g_source_new(&funcs, sizeof(CompositorWatch));
    reinterpret_cast<CompositorWatch *>(source)->display =
        api.gdk_wayland_display_get_wl_display(api.gdk_display_get_default());
    api.g_source_set_priority(source, G_PRIORITY_HIGH);
    api.g_source_attach(source, nullptr);
    api.g_source_unref(source);  // the loop's reference keeps it
}

bool GtkOnWayland(void)
{
    const char *window_system = BoxHostWindowSystem();
    return window_system != nullptr && strcmp(window_system, "wayland") == 0;
}

const GtkApi *LoadedGtk(void)
{
    static GtkApi api;
    static bool tried = false;
    static bool ready = false;
    if (tried)
        return ready ? &api : nullptr;
    tried = true;
    if (!load_gtk(&api))
        return nullptr;
    // The process's locale stays as it is (the C locale): GTK works in UTF-8
    // whatever it is, and the boxes then look the same under every LANG.
    api.gtk_disable_setlocale();
    // The accessibility bridge serves a desktop session through its bus;
    // without one it would only try in vain.
    if (!BoxHostSessionBusAround())
        setenv("NO_AT_BRIDGE", "1", 0);
    // The same window system as the scene window, so a box can name it as
    // its owner.
    if (const char *window_system = BoxHostWindowSystem())
        api.gdk_set_allowed_backends(window_system);
    if (!api.gtk_init_check(nullptr, nullptr))
        return nullptr;
    // GTK put its own handler for a lost X connection in place of ours.
    BoxHostAfterToolkitStart();
    if (GtkOnWayland() && api.gdk_wayland_display_get_wl_display != nullptr)
        watch_compositor(api);
    ready = true;
    return &api;
}
