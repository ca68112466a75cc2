// The program's message boxes: GTK 3 dialogs in the program's own process
// (the recording backend's twin is fake_message_box.cpp). The text is drawn
// by Pango with fontconfig's fonts, so Hangul shows in any locale. A box is
// transient for its owner (its X window, or on Wayland its surface exported
// where the compositor can), modal to it and centred over it; one without an
// owner is centred on the screen. While it is open the wait
// watches GTK's connection, the scene window's and the core's wake pipe
// together, so the core can deliver the scene window's events as they come
// without the CPU spinning. Keys typed after the answer, which the window
// system sent to the box before it closed, go on to the owner, all but
// Return and space: those answer boxes, and a second press or a repeat of
// one was meant for the box, not for the owner, where it would open the
// next box. For the same reason a box answered while Return or space is
// held stays until the key is released, so the keyboard's repeats never
// reach the owner.
#include <algorithm>
#include <vector>

#include "platform/core/core_backend.h"
#include "platform/gtk/gtk_api.h"
#include "platform/gtk/gtk_host.h"
#include "platform/posix/box_heap.h"

namespace {

struct OpenBox {
    const GtkApi *gtk = nullptr;
    GtkWidget *dialog = nullptr;
    GdkWindow *owner = nullptr;  // the owner's X window as GDK knows it
    PlatformWindow *owner_window = nullptr;
    std::vector<GdkEventKey> keys_after_answer;
    std::vector<guint16> answer_keys_held;  // hardware key codes
    bool exported = false;       // the owner's Wayland surface is the parent
    guint sources[3] = {0, 0, 0};
    bool answered = false;
    int answer = 0;
    int escape_answer = 0;
};

OpenBox g_box;

const char *IconName(BoxIcon icon)
{
    switch (icon) {
    case kBoxInformation: return "dialog-information";
    case kBoxExclamation: return "dialog-warning";
    case kBoxStop: return "dialog-error";
    case kBoxNoIcon: break;
    }
    return nullptr;
}

GtkMessageType MessageType(BoxIcon icon)
{
    switch (icon) {
    case kBoxInformation: return GTK_MESSAGE_INFO;
    case kBoxExclamation: return GTK_MESSAGE_WARNING;
    case kBoxStop: return GTK_MESSAGE_ERROR;
    case kBoxNoIcon: break;
    }
    return GTK_MESSAGE_OTHER;
}

void OnResponse(GtkDialog *, gint response, gpointer)
{
    if (g_box.answered)
        return;
    // Escape and the window manager's close button come as a delete.
    g_box.answer = response == GTK_RESPONSE_DELETE_EVENT ? g_box.escape_answer : response;
    g_box.answered = true;
}

// Return and space, which answer a box, and open one from the scene window.
bool AnswersBoxes(guint keyval)
{
    return keyval == GDK_KEY_Return || keyval == GDK_KEY_KP_Enter || keyval == GDK_KEY_space ||
           keyval == GDK_KEY_KP_Space;
}

// Notes which of Return and space are down, from the box's point of view.
void NoteAnswerKey(const GdkEventKey &key)
{
    std::vector<guint16> &held = g_box.answer_keys_held;
    auto it = std::find(held.begin(), held.end(), key.hardware_keycode);
    if (key.type == GDK_KEY_PRESS && it == held.end())
        held.push_back(key.hardware_keycode);
    else if (key.type == GDK_KEY_RELEASE && it != held.end())
        held.erase(it);
}

// Once answered the box takes no more keys: they are kept for the owner,
// but for Return and space.
gboolean KeepKeyAfterAnswer(GtkWidget *, GdkEvent *event, gpointer)
{
    if (AnswersBoxes(event->key.keyval))
        NoteAnswerKey(event->key);
    if (!g_box.answered)
        return FALSE;
    if (!AnswersBoxes(event->key.keyval))
        g_box.keys_after_answer.push_back(event->key);
    return TRUE;
}

// A box that loses the keyboard will not hear of keys released elsewhere.
gboolean ForgetHeldKeys(GtkWidget *, GdkEvent *, gpointer)
{
    g_box.answer_keys_held.clear();
    return FALSE;
}

// The virtual-key code of a GDK key handed on, for the keys the owner may
// act on (Esc, the function keys, letters and digits); 0 for others.
int VirtualKeyOf(guint keyval)
{
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12)
        return VK_F1 + (int)(keyval - GDK_KEY_F1);
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
        return 'A' + (int)(keyval - GDK_KEY_a);
    if ((keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) ||
        (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9))
        return (int)keyval;
    return keyval == GDK_KEY_Escape ? VK_ESCAPE : 0;
}

// The focus goes to the owner while the box is still up, so that keys from
// now on reach it; those the window system already sent to the box are
// read (after a round trip, so none is still on the way) and handed on.
void PassKeysToOwner(const GtkApi &gtk)
{
    if (g_box.owner_window == nullptr)
        return;
    BackendFocusWindow(g_box.owner_window);
    gtk.gdk_display_sync(gtk.gdk_display_get_default());
    for (int i = 0; i < 64 && gtk.g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    for (const GdkEventKey &key : g_box.keys_after_answer) {
        unsigned modifiers = ((key.state & GDK_MOD1_MASK) ? kCoreAlt : 0u) |
                             ((key.state & GDK_CONTROL_MASK) ? kCoreCtrl : 0u);
        if (int vk = VirtualKeyOf(key.keyval))
            CoreInputKey(g_box.owner_window, vk, 0, key.type == GDK_KEY_PRESS, false, modifiers);
    }
}

// A compositor may fade a closing window out and give the keyboard to the
// window below only once it has faded (Weston: most of a second), and keys
// typed meanwhile reach no window. A box whose surface is emptied just
// before it closes has nothing left to fade, so the keyboard moves on as it
// closes.
void empty_before_closing(const GtkApi &gtk, GtkWidget *dialog)
{
    if (!GtkOnWayland() || gtk.gdk_wayland_window_get_wl_surface == nullptr)
        return;
    wl_surface *surface = gtk.gdk_wayland_window_get_wl_surface(gtk.gtk_widget_get_window(dialog));
    if (surface == nullptr)
        return;
    wl_surface_attach(surface, nullptr, 0, 0);
    wl_surface_commit(surface);
}

// The box stays until the core takes it down.
gboolean KeepOnDelete(GtkWidget *, GdkEvent *, gpointer) { return TRUE; }

gboolean OnWake(gint, GIOCondition, gpointer) { return G_SOURCE_CONTINUE; }
gboolean OnTick(gpointer) { return G_SOURCE_CONTINUE; }

// Centres the box over the owner's client area, before it is mapped.
void PlaceOver(const GtkApi &gtk, GtkWidget *dialog, PlatformWindow *owner)
{
    int x = 0, y = 0;
    if (!BoxHostOwnerPosition(owner, &x, &y)) {
        gtk.gtk_window_set_position(reinterpret_cast<GtkWindow *>(dialog), GTK_WIN_POS_CENTER);
        return;
    }
    GtkRequisition size = {0, 0};
    gtk.gtk_widget_get_preferred_size(dialog, nullptr, &size);
    gtk.gtk_window_move(reinterpret_cast<GtkWindow *>(dialog),
                        x + (owner->client_width - size.width) / 2,
                        y + (owner->client_height - size.height) / 2);
}

// Names the owner as the box's owner: its X window on X11, its exported
// surface on Wayland. The window manager or compositor then keeps the box
// above it, places it over it and treats it as modal to it.
void SetOwner(const GtkApi &gtk, GtkWidget *dialog, PlatformWindow *owner)
{
    GdkWindow *box = gtk.gtk_widget_get_window(dialog);
    if (gtk.gdk_wayland_window_set_transient_for_exported != nullptr) {
        if (const char *handle = BoxHostExportOwner(owner)) {
            // GTK takes a writable string but only reads it.
            g_box.exported = gtk.gdk_wayland_window_set_transient_for_exported(
                box, const_cast<char *>(handle));
            return;
        }
    }
    unsigned long xid = BoxHostX11Window(owner);
    GdkDisplay *display = gtk.gdk_display_get_default();
    if (xid == 0 || display == nullptr || gtk.gdk_x11_window_foreign_new_for_display == nullptr)
        return;
    g_box.owner = gtk.gdk_x11_window_foreign_new_for_display(display, xid);
    if (g_box.owner != nullptr)
        gtk.gdk_window_set_transient_for(box, g_box.owner);
}

}  // namespace

bool BackendOpenBox(const BoxRequest &request)
{
    const BoxLayout &layout = request.layout;
    PlatformWindow *owner = request.owner;
    const GtkApi *gtk = LoadedGtk();
    if (gtk == nullptr)
        return false;
    g_box = OpenBox();
    g_box.gtk = gtk;
    g_box.escape_answer = layout.escape_answer;
    g_box.owner_window = owner;
    HeapBoxOpening(GtkOnWayland());

    GtkWidget *dialog = gtk->gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL,
                                                    MessageType(layout.icon), GTK_BUTTONS_NONE,
                                                    "%s", layout.text.c_str());
    GtkDialog *as_dialog = reinterpret_cast<GtkDialog *>(dialog);
    GtkWindow *as_window = reinterpret_cast<GtkWindow *>(dialog);
    g_box.dialog = dialog;
    gtk->gtk_window_set_title(as_window, layout.caption.c_str());
    if (const char *icon = IconName(layout.icon))
        gtk->gtk_message_dialog_set_image(
            reinterpret_cast<GtkMessageDialog *>(dialog),
            gtk->gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DIALOG));
    for (int i = 0; i < layout.button_count; ++i)
        gtk->gtk_dialog_add_button(as_dialog, layout.buttons[i].label, layout.buttons[i].answer);
    gtk->gtk_dialog_set_default_response(as_dialog, layout.return_answer);
    gtk->g_signal_connect_data(dialog, "response", G_CALLBACK(OnResponse), nullptr, nullptr,
                               (GConnectFlags)0);
    gtk->g_signal_connect_data(dialog, "delete-event", G_CALLBACK(KeepOnDelete), nullptr,
                               nullptr, (GConnectFlags)0);
    for (const char *signal : {"key-press-event", "key-release-event"})
        gtk->g_signal_connect_data(dialog, signal, G_CALLBACK(KeepKeyAfterAnswer), nullptr,
                                   nullptr, (GConnectFlags)0);
    gtk->g_signal_connect_data(dialog, "focus-out-event", G_CALLBACK(ForgetHeldKeys), nullptr,
                               nullptr, (GConnectFlags)0);

    gtk->gtk_widget_realize(dialog);
    // Until GTK has painted it, the box's X window shows its own background
    // colour rather than whatever was under it (the scene, say). A Wayland
    // surface shows nothing before its first picture, and there the colour
    // would fill the margin GTK leaves around the box for its shadow.
    if (!GtkOnWayland()) {
        GdkRGBA background;
        gtk->gtk_style_context_get_background_color(gtk->gtk_widget_get_style_context(dialog),
                                                    GTK_STATE_FLAG_NORMAL, &background);
        gtk->gdk_window_set_background_rgba(gtk->gtk_widget_get_window(dialog), &background);
    }
    if (owner != nullptr) {
        gtk->gtk_window_set_modal(as_window, TRUE);
        SetOwner(*gtk, dialog, owner);
    }
    // A compositor places a box with a parent itself; clients cannot.
    if (!g_box.exported)
        PlaceOver(*gtk, dialog, owner);
    gtk->gtk_widget_show_all(dialog);
    if (GtkWidget *first = gtk->gtk_dialog_get_widget_for_response(as_dialog,
                                                                   layout.return_answer))
        gtk->gtk_widget_grab_focus(first);
    gtk->gdk_display_flush(gtk->gdk_display_get_default());

    // What else wakes the wait: the scene window's connection, and the
    // core's pipe that a termination signal writes to. Without a descriptor
    // to watch (on Wayland) the scene window's events are taken on a short
    // tick instead.
    int n = 0;
    int window_fd = BoxHostEventFd();
    if (window_fd >= 0)
        g_box.sources[n++] = gtk->g_unix_fd_add(window_fd, G_IO_IN, OnWake, nullptr);
    else if (BoxHostWindowSystem() != nullptr)
        g_box.sources[n++] = gtk->g_timeout_add(50, OnTick, nullptr);
    if (CoreWakeFd() >= 0)
        g_box.sources[n++] = gtk->g_unix_fd_add(CoreWakeFd(), G_IO_IN, OnWake, nullptr);
    return true;
}

bool BackendWaitForBox(int *answer)
{
    const GtkApi &gtk = *g_box.gtk;
    // Blocks unless the scene window has events in memory that no
    // descriptor shows.
    gtk.g_main_context_iteration(nullptr, BoxHostEventsWaiting() ? FALSE : TRUE);
    if (!g_box.answered || !g_box.answer_keys_held.empty())
        return false;
    *answer = g_box.answer;
    return true;
}

void BackendCloseBox(int)
{
    const GtkApi &gtk = *g_box.gtk;
    for (guint source : g_box.sources)
        if (source != 0)
            gtk.g_source_remove(source);
    if (g_box.answered)
        PassKeysToOwner(gtk);
    empty_before_closing(gtk, g_box.dialog);
    gtk.gtk_widget_destroy(g_box.dialog);
    if (g_box.owner != nullptr)
        gtk.g_object_unref(g_box.owner);
    BoxHostEndOwnerExport();
    // Off the screen now, not whenever GTK next talks to the display.
    gtk.gdk_display_flush(gtk.gdk_display_get_default());
    g_box = OpenBox();
    HeapBoxClosed();
}
