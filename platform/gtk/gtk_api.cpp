// Loads GTK 3 and starts it, once, on the first message box. GTK is not
// linked into the program: linked, its libraries would be loaded and
// relocated at every start, shown box or not.
#include "platform/gtk/gtk_api.h"

#include <dlfcn.h>

#include <cstdlib>

#include "platform/gtk/gtk_host.h"

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
    ready = true;
    return &api;
}
