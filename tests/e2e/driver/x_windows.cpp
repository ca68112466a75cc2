// Windows by title, their places and states; see x_windows.h.
#include "x_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>

#include "child_process.h"

namespace e2e {
namespace {

// A property's items of `format` bits, 32-bit ones as longs (Xlib's way), as bytes.
std::string property_bytes(const XSession &s, Window w, const char *name, Atom type,
                           int wanted, long most)
{
    Atom actual;
    int format;
    unsigned long count = 0, after;
    unsigned char *data = nullptr;
    std::string bytes;
    if (XGetWindowProperty(s.x(), w, s.Intern(name), 0, most, False, type, &actual, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == wanted)
        bytes.assign(reinterpret_cast<char *>(data), count * (format == 32 ? sizeof(long) : 1));
    if (data != nullptr)
        XFree(data);
    return bytes;
}

bool holds(const std::vector<unsigned long> &items, unsigned long item)
{
    return std::find(items.begin(), items.end(), item) != items.end();
}

void collect(const XSession &s, Window w, const std::string &title, std::vector<Window> *found)
{
    if (IsShown(s, w) && WindowTitle(s, w) == title)
        found->push_back(w);
    for (Window child : Children(s, w))
        collect(s, child, title, found);
}

// A client message about `about`, to the window manager (through the root
// window) unless `to` is given.
void send_message(const XSession &s, Window about, const char *message, long l0, long l1,
                  Window to = None)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = about;
    e.xclient.message_type = s.Intern(message);
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    XSendEvent(s.x(), to != None ? to : s.root(), False,
               to != None ? NoEventMask : SubstructureRedirectMask | SubstructureNotifyMask, &e);
    s.Sync();
}

// Source indication 2: a pager or taskbar, which a window manager obeys
// without second-guessing focus stealing.
constexpr long kFromPager = 2;

}  // namespace

std::vector<unsigned long> PropertyItems(const XSession &s, Window w, const char *name,
                                         Atom type, long most)
{
    std::string bytes = property_bytes(s, w, name, type, 32, most);
    std::vector<unsigned long> items(bytes.size() / sizeof(long));
    if (!items.empty())
        memcpy(items.data(), bytes.data(), items.size() * sizeof(long));
    return items;
}

std::string WindowTitle(const XSession &s, Window w)
{
    std::string title = property_bytes(s, w, "_NET_WM_NAME", s.Intern("UTF8_STRING"), 8, 4096);
    XTextProperty text{};
    char **list = nullptr;
    int n = 0;
    if (title.empty() && XGetWMName(s.x(), w, &text) && text.value != nullptr) {
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

std::vector<Window> Children(const XSession &s, Window w, Window *parent)
{
    Window root, up = None, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> list;
    if (XQueryTree(s.x(), w, &root, &up, &children, &count) && children != nullptr)
        list.assign(children, children + count);
    if (children != nullptr)
        XFree(children);
    if (parent != nullptr)
        *parent = up;
    return list;
}

Window TopLevel(const XSession &s, Window w)
{
    for (Window parent; Children(s, w, &parent), parent != None && parent != s.root();)
        w = parent;
    return w;
}

Rect ClientRect(const XSession &s, Window w)
{
    XWindowAttributes a;
    Window child;
    Rect r;
    if (!XGetWindowAttributes(s.x(), w, &a) ||
        !XTranslateCoordinates(s.x(), w, s.root(), 0, 0, &r.x, &r.y, &child))
        return Rect{};
    r.width = a.width;
    r.height = a.height;
    return r;
}

Window TransientFor(const XSession &s, Window w)
{
    Window owner = None;
    return XGetTransientForHint(s.x(), w, &owner) ? owner : None;
}

bool IsFullscreen(const XSession &s, Window w)
{
    return holds(PropertyItems(s, w, "_NET_WM_STATE", XA_ATOM),
                 s.Intern("_NET_WM_STATE_FULLSCREEN"));
}

bool IsIconic(const XSession &s, Window w)
{
    std::vector<unsigned long> state = PropertyItems(s, w, "WM_STATE", s.Intern("WM_STATE"));
    return !state.empty() && state[0] == IconicState;
}

bool IsManaged(const XSession &s, Window w)
{
    return holds(PropertyItems(s, s.root(), "_NET_CLIENT_LIST", XA_WINDOW), w);
}

void AskToClose(const XSession &s, Window w)
{
    send_message(s, w, "WM_PROTOCOLS", static_cast<long>(s.Intern("WM_DELETE_WINDOW")),
                 CurrentTime, w);
}

void AskWindowManagerToClose(const XSession &s, Window w)
{
    send_message(s, w, "_NET_CLOSE_WINDOW", CurrentTime, kFromPager);
}

void Minimize(const XSession &s, Window w)
{
    XIconifyWindow(s.x(), w, DefaultScreen(s.x()));
    s.Sync();
}

void Activate(const XSession &s, Window w)
{
    send_message(s, w, "_NET_ACTIVE_WINDOW", kFromPager, CurrentTime);
}

void ResizeClient(const XSession &s, Window w, int width, int height)
{
    XResizeWindow(s.x(), w, static_cast<unsigned>(width), static_cast<unsigned>(height));
    s.Sync();
    // The window manager may apply another size (a fullscreen window keeps the
    // screen's): a short wait so what follows sees the result, and no failure.
    WaitUntil(Seconds(2), [&] {
        Rect r = ClientRect(s, w);
        return r.width == width && r.height == height;
    });
}

}  // namespace e2e
