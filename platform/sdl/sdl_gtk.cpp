// Loads GTK 3 and starts it, once, on the first message box. GTK is not
// linked into the program: linked, its libraries would be loaded and
// relocated at every start, shown box or not.
#include "platform/sdl/sdl_gtk.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/sdl/sdl_state.h"

static bool Load(GtkApi *api)
{
    void *library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return false;
#define SDL_GTK_RESOLVE(name)                                                    \
    api->name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));     \
    if (api->name == nullptr)                                                    \
        return false;
    SDL_GTK_FUNCTIONS(SDL_GTK_RESOLVE)
#undef SDL_GTK_RESOLVE
    return true;
}

// The accessibility bridge talks to the session's message bus. Without a
// bus to talk to it would try to launch one, forking helper processes that
// outlive the program, so it is left out then; in a desktop session it stays.
static void LeaveOutAccessibilityWithoutASessionBus(void)
{
    const char *address = getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0')
        return;
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    struct stat bus;
    if (runtime != nullptr && *runtime != '\0' &&
        stat((std::string(runtime) + "/bus").c_str(), &bus) == 0)
        return;
    setenv("NO_AT_BRIDGE", "1", 0);
}

const GtkApi *SdlGtk(void)
{
    static GtkApi api;
    static bool tried = false;
    static bool ready = false;
    if (tried)
        return ready ? &api : nullptr;
    tried = true;
    if (!Load(&api))
        return nullptr;
    // The process's locale stays as it is (the C locale): GTK works in UTF-8
    // whatever it is, and the boxes then look the same under every LANG.
    api.gtk_disable_setlocale();
    LeaveOutAccessibilityWithoutASessionBus();
    // The same window system as the scene window, so a box can name it as
    // its owner.
    SdlState &s = Sdl();
    if (s.video_ready)
        api.gdk_set_allowed_backends(s.x11 ? "x11" : "wayland");
    if (!api.gtk_init_check(nullptr, nullptr))
        return nullptr;
    // GTK put its own handler for a lost X connection in place of ours.
    SdlEndOnDisplayLoss();
    ready = true;
    return &api;
}
