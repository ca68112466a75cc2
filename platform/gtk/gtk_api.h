// GTK 3 for the program's message boxes, loaded into the process and started
// the first time a box is needed: a run that shows no box never pays for it,
// and start-up is as quick as without it. Only gtk_message_box.cpp (and the
// test of the lookup) uses it.
#pragma once

// The box's icon, and the colour its window shows before GTK first paints
// it, are set the way GTK 3 still does them; those calls are marked as old,
// not gone.
#define GDK_DISABLE_DEPRECATION_WARNINGS
#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>

// Every GTK, GDK and GLib function the box calls, looked up by name.
#define GTK_API_FUNCTIONS(X)                                                      \
    X(gtk_disable_setlocale) X(gtk_init_check) X(gdk_set_allowed_backends)       \
    X(gdk_display_get_default) X(gdk_display_flush) X(gdk_display_sync)         \
    X(gdk_window_set_transient_for) X(gtk_message_dialog_new)                    \
    X(gtk_message_dialog_set_image)                                              \
    X(gtk_image_new_from_icon_name) X(gtk_dialog_add_button)                     \
    X(gtk_dialog_set_default_response) X(gtk_dialog_get_widget_for_response)     \
    X(gtk_window_set_title) X(gtk_window_set_modal) X(gtk_window_set_position)   \
    X(gtk_window_move) X(gtk_widget_realize) X(gtk_widget_show_all)              \
    X(gtk_widget_get_window) X(gtk_widget_grab_focus) X(gtk_widget_destroy)      \
    X(gtk_widget_get_preferred_size) X(gtk_widget_get_style_context)            \
    X(gtk_style_context_get_background_color) X(gdk_window_set_background_rgba)  \
    X(g_signal_connect_data) X(g_object_unref)                                   \
    X(g_main_context_iteration) X(g_unix_fd_add) X(g_timeout_add)                \
    X(g_source_remove) X(g_source_new) X(g_source_set_priority)                  \
    X(g_source_attach) X(g_source_unref)

// The calls of one window system's backend, which a GTK built without that
// backend lacks: null there, and a box is then simply not made transient
// (nor, on Wayland, watched for a lost compositor or emptied as it closes).
#define GTK_API_OPTIONAL_FUNCTIONS(X)                                             \
    X(gdk_x11_window_foreign_new_for_display)                                    \
    X(gdk_wayland_window_set_transient_for_exported)                             \
    X(gdk_wayland_display_get_wl_display) X(gdk_wayland_window_get_wl_surface)

struct GtkApi {
#define GTK_API_DECLARE(name) decltype(&::name) name;
    GTK_API_FUNCTIONS(GTK_API_DECLARE)
    GTK_API_OPTIONAL_FUNCTIONS(GTK_API_DECLARE)
#undef GTK_API_DECLARE
};

// Fills `api` through `lookup` (dlsym on the loaded library); false when a
// call outside the optional ones is missing.
bool ResolveGtkApi(GtkApi *api, void *(*lookup)(void *library, const char *name),
                   void *library);

// True when the boxes are shown on a Wayland compositor.
bool GtkOnWayland(void);

// GTK, started on the display SDL uses; null when it is not installed or
// cannot start (no display). Tried once per run.
const GtkApi *LoadedGtk(void);
