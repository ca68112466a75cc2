// Windows by title, their places and states; see x_windows.h.
#include "x_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "child_process.h"

namespace e2e {
std::vector<unsigned long> PropertyItems(const XSession &s, Window w, const char *name,
                                         Atom type, long most)
{
    std::vector<unsigned long> items;
    Atom actual;
    int format;
    unsigned long count = 0, after;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(s.x(), w, s.Intern(name), 0, most, False, type, &actual, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32) {
        const unsigned long *values = reinterpret_cast<const unsigned long *>(data);
        items.assign(values, values + count);
    }
    if (data != nullptr)
        XFree(data);
    return items;
}

namespace {

void collect(const XSession &s, Window w, const std::string &title, std::vector<Window> *found)
{
    if (IsShown(s, w) && WindowTitle(s, w) == title)
        found->push_back(w);
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(s.x(), w, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i)
        collect(s, children[i], title, found);
    if (children != nullptr)
        XFree(children);
}

void send_to_root(const XSession &s, Window about, const char *message, long l0, long l1)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = about;
    e.xclient.message_type = s.Intern(message);
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    XSendEvent(s.x(), s.root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    s.Sync();
}

// Source indication 2: the request comes from a pager or taskbar, which a
// window manager obeys without second-guessing focus stealing.
constexpr long kFromPager = 2;

}  // namespace

std::string WindowTitle(const XSession &s, Window w)
{
    Atom actual;
    int format;
    unsigned long count = 0, after;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(s.x(), w, s.Intern("_NET_WM_NAME"), 0, 4096, False,
                           s.Intern("UTF8_STRING"), &actual, &format, &count, &after,
                           &data) == Success &&
        data != nullptr && format == 8) {
        title.assign(reinterpret_cast<char *>(data), count);
        XFree(data);
        return title;
    }
    if (data != nullptr)
        XFree(data);
    XTextProperty text{};
    char **list = nullptr;
    int n = 0;
    if (XGetWMName(s.x(), w, &text) && text.value != nullptr) {
        if (Xutf8TextPropertyToTextList(s.x(), &text, &list, &n) == Success && n > 0)
            title = list[0];
        if (list != nullptr)
            XFreeStringList(list);
        XFree(text.value);
    }
    return title;
}

bool IsShown(const XSession &s, Window w)
{
    XWindowAttributes a;
    return XGetWindowAttributes(s.x(), w, &a) && a.map_state == IsViewable;
}

std::vector<Window> FindWindows(const XSession &s, const std::string &title)
{
    std::vector<Window> found;
    collect(s, s.root(), title, &found);
    return found;
}

Window FindWindow(const XSession &s, const std::string &title)
{
    std::vector<Window> found = FindWindows(s, title);
    return found.empty() ? None : found[0];
}

Window WaitForWindow(const XSession &s, const std::string &title, Seconds limit, Process *owner)
{
    Window found = None;
    WaitUntil(limit, [&] {
        found = FindWindow(s, title);
        return found != None || (owner != nullptr && !owner->Running());
    });
    return found;
}

// A connection of its own, so its events never mix with anything else.
GoneWatch::GoneWatch(const XSession &s, Window w) : w_(w)
{
    x_ = XOpenDisplay(s.name().c_str());
    if (x_ == nullptr)
        return;
    XSelectInput(x_, w, StructureNotifyMask);
    XWindowAttributes a;
    // Asked after the selection, so a window that went before it counts.
    gone_ = !XGetWindowAttributes(x_, w, &a) || a.map_state != IsViewable;
}

GoneWatch::~GoneWatch()
{
    if (x_ != nullptr)
        XCloseDisplay(x_);
}

bool GoneWatch::Wait(Seconds limit)
{
    return x_ != nullptr && WaitUntil(limit, [&] {
               while (!gone_ && XPending(x_)) {
                   XEvent e;
                   XNextEvent(x_, &e);
                   gone_ = (e.type == UnmapNotify && e.xunmap.window == w_) ||
                           (e.type == DestroyNotify && e.xdestroywindow.window == w_);
               }
               return gone_;
           });
}

Window TopLevel(const XSession &s, Window w)
{
    for (;;) {
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(s.x(), w, &root, &parent, &children, &count))
            return w;
        if (children != nullptr)
            XFree(children);
        if (parent == root || parent == None)
            return w;
        w = parent;
    }
}

Rect ClientRect(const XSession &s, Window w)
{
    XWindowAttributes a;
    Window child;
    Rect r;
    if (XGetWindowAttributes(s.x(), w, &a) &&
        XTranslateCoordinates(s.x(), w, s.root(), 0, 0, &r.x, &r.y, &child)) {
        r.width = a.width;
        r.height = a.height;
    } else {
        r = Rect{};
    }
    return r;
}

Window TransientFor(const XSession &s, Window w)
{
    Window owner = None;
    return XGetTransientForHint(s.x(), w, &owner) ? owner : None;
}

bool IsFullscreen(const XSession &s, Window w)
{
    Atom fullscreen = s.Intern("_NET_WM_STATE_FULLSCREEN");
    for (unsigned long state : PropertyItems(s, w, "_NET_WM_STATE", XA_ATOM))
        if (state == fullscreen)
            return true;
    return false;
}

bool IsIconic(const XSession &s, Window w)
{
    std::vector<unsigned long> state = PropertyItems(s, w, "WM_STATE", s.Intern("WM_STATE"));
    return !state.empty() && state[0] == IconicState;
}

bool IsManaged(const XSession &s, Window w)
{
    for (unsigned long client : PropertyItems(s, s.root(), "_NET_CLIENT_LIST", XA_WINDOW))
        if (client == w)
            return true;
    return false;
}

void AskToClose(const XSession &s, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = s.Intern("WM_PROTOCOLS");
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(s.Intern("WM_DELETE_WINDOW"));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(s.x(), w, False, NoEventMask, &e);
    s.Sync();
}

void AskWindowManagerToClose(const XSession &s, Window w)
{
    send_to_root(s, w, "_NET_CLOSE_WINDOW", CurrentTime, kFromPager);
}

void Minimize(const XSession &s, Window w)
{
    XIconifyWindow(s.x(), w, DefaultScreen(s.x()));
    s.Sync();
}

void Activate(const XSession &s, Window w)
{
    send_to_root(s, w, "_NET_ACTIVE_WINDOW", kFromPager, CurrentTime);
}

void ResizeClient(const XSession &s, Window w, int width, int height)
{
    XResizeWindow(s.x(), w, static_cast<unsigned>(width), static_cast<unsigned>(height));
    s.Sync();
    // A window manager applies the request when it gets to it, or applies
    // another size (a fullscreen window keeps the screen's): what follows
    // should see the window as it will be, so the wait is short and its end
    // is no failure.
    WaitUntil(Seconds(2), [&] {
        Rect r = ClientRect(s, w);
        return r.width == width && r.height == height;
    });
}

}  // namespace e2e
