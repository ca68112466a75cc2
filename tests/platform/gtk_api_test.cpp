// Looking GTK's calls up: a GTK built without one window system's backend
// still loads, with those calls left null; any other call missing refuses it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gtk/gtk_api.h"

namespace {

const char *g_hidden = nullptr;

void *lookup_hiding(void *library, const char *name)
{
    return strcmp(name, g_hidden) == 0 ? nullptr : dlsym(library, name);
}

TEST(GtkApi, OnlyWindowSystemCallsMayBeMissing)
{
    void *library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, library) << dlerror();
    const struct {
        const char *hidden;
        bool loads;
    } cases[] = {
        {"gdk_wayland_window_set_transient_for_exported", true},
        {"gdk_x11_window_foreign_new_for_display", true},
        {"gtk_init_check", false},
        {"g_source_remove", false},
    };
    for (const auto &c : cases) {
        g_hidden = c.hidden;
        GtkApi api;
        EXPECT_EQ(c.loads, ResolveGtkApi(&api, lookup_hiding, library)) << "without " << c.hidden;
        if (c.loads) {
            EXPECT_NE(nullptr, api.gtk_init_check) << "without " << c.hidden;
        }
    }
    // Left loaded, as the program leaves it: GLib's start-up allocations
    // would read as leaks once the library is gone.
}

}  // namespace
