// The nested compositor and what is read from its window; see wayland_session.h.
#include "wayland_session.h"

#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "scene_probe.h"
#include "x_input.h"
#include "x_windows.h"

namespace fs = std::filesystem;

namespace e2e {
namespace {

// Smaller than the test's screen, so the pointer can leave the output's window.
constexpr int kOutputWidth = 1200;
constexpr int kOutputHeight = 900;  // 4:3, as the fullscreen mode it scales
constexpr Seconds kStartLimit{60};

std::vector<std::string> CompositorArgs(Session session, const std::string &socket,
                                        const std::string &dir)
{
    // No key repeat, as on the tests' X displays: a key held until the
    // program has seen it is seen once. Mutter reads it from its settings.
    std::string settings = dir + "/glib-2.0/settings";
    fs::create_directories(settings);
    std::ofstream(settings + "/keyfile") << "[org/gnome/desktop/peripherals/keyboard]\nrepeat=false\n";
    if (session == Session::kMutter)
        return {"/usr/bin/dbus-run-session", "--", "/usr/bin/mutter", "--wayland", "--nested",
                "--no-x11", "--wayland-display=" + socket};
    // No panel: its clock would repaint the output on its own, and its
    // launchers sit where a stray click would start a terminal.
    std::ofstream(dir + "/weston.ini")
        << "[core]\nidle-time=0\n[shell]\npanel-position=none\n[keyboard]\nrepeat-rate=0\n";
    return {"/usr/bin/weston", "--backend=x11-backend.so", "--use-pixman", "--socket=" + socket,
            "--width=" + std::to_string(kOutputWidth), "--height=" + std::to_string(kOutputHeight),
            "--config=" + dir + "/weston.ini", "--idle-time=0",
            "--scale=" + std::to_string(OutputScale(session))};
}

// The compositor's window: the display's only big top-level one shown.
Window FindOutput(const XSession &x)
{
    Window found = None;
    for (Window w : Children(x, x.root())) {
        XWindowAttributes a;
        if (XGetWindowAttributes(x.x(), w, &a) && a.map_state == IsViewable &&
            a.width >= kOutputWidth / 2)
            found = w;
    }
    return found;
}

// GTK's default dialog background, #f6f5f4.
bool DialogLight(Rgb c)
{
    return std::abs(c.r - 246) <= 2 && std::abs(c.g - 245) <= 2 && std::abs(c.b - 244) <= 2;
}

// Counts of `is` per column and per row.
template <typename Pred>
void Profiles(const Image &image, Pred is, std::vector<int> *cols, std::vector<int> *rows)
{
    cols->assign(image.width, 0);
    rows->assign(image.height, 0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (is(image.At(x, y))) {
                ++(*cols)[x];
                ++(*rows)[y];
            }
}

// The first and last index where `counts` reach `enough`; false if none does.
bool span(const std::vector<int> &counts, int enough, int *from, int *to)
{
    *from = -1;
    for (int i = 0; i < static_cast<int>(counts.size()); ++i)
        if (counts[i] >= enough) {
            if (*from < 0)
                *from = i;
            *to = i;
        }
    return *from >= 0;
}

}  // namespace

std::string SessionName(Session session)
{
    const char *names[] = {"X11", "Mutter", "Weston", "WestonScale2"};
    return names[static_cast<int>(session)];
}

bool IsWeston(Session session)
{
    return session == Session::kWeston || session == Session::kWestonScale2;
}

int OutputScale(Session session)
{
    return session == Session::kWestonScale2 ? 2 : 1;
}

bool Compositor::Start(Session session, const XSession &x, const std::string &log_dir,
                       std::string *error)
{
    Stop();
    // Short: a socket's path has little room.
    char dir[] = "/tmp/group-g-wl-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        *error = "cannot make a runtime folder";
        return false;
    }
    runtime_dir_ = dir;
    socket_ = "wayland-test";
    ProcessOptions o;
    o.argv = CompositorArgs(session, socket_, runtime_dir_);
    o.env = {"DISPLAY=" + x.name(), "XDG_RUNTIME_DIR=" + runtime_dir_, "WAYLAND_DISPLAY",
             "GSETTINGS_BACKEND=keyfile", "XDG_CONFIG_HOME=" + runtime_dir_,
             "MUTTER_DEBUG_DUMMY_MODE_SPECS=" + std::to_string(kOutputWidth) + "x" +
                 std::to_string(kOutputHeight)};
    o.out_path = o.err_path = log_dir + "/compositor.log";
    o.append = true;
    if (!process_.Start(o, error))
        return false;
    std::string socket_path = runtime_dir_ + "/" + socket_;
    bool up = WaitUntil(kStartLimit, [&] {
        output_ = FindOutput(x);
        return !process_.Running() || (fs::exists(socket_path) && output_ != None);
    });
    if (!up || !process_.Running()) {
        *error = SessionName(session) + " did not come up (see " + o.err_path + ")";
        return false;
    }
    // The keyboard given to its window for good: with focus following the pointer,
    // the compositor would take it from its clients whenever the pointer left.
    if (!Focus(x, output_)) {
        *error = SessionName(session) + "'s window did not take the focus";
        return false;
    }
    return true;
}

void Compositor::Stop()
{
    process_.Kill();
    output_ = None;
    if (!runtime_dir_.empty()) {
        std::error_code ignored;
        fs::remove_all(runtime_dir_, ignored);
        runtime_dir_.clear();
    }
}

// Off the compositor's window, to its lower right.
static void leave_output(const XSession &s, Window output)
{
    Rect r = ClientRect(s, output);
    XTestFakeMotionEvent(s.x(), DefaultScreen(s.x()), r.x + r.width + 40, r.y + r.height + 40,
                         CurrentTime);
}

void ClickOutput(const XSession &s, Window output, int x, int y, int button)
{
    leave_output(s, output);
    s.Sync();
    Click(s, output, x, y, button);
}

bool DragOnOutput(const XSession &s, Window output, int x0, int y0, int x1, int y1,
                  Seconds limit, const std::function<bool()> &arrived)
{
    int screen = DefaultScreen(s.x());
    Rect r = ClientRect(s, output);
    leave_output(s, output);
    XTestFakeMotionEvent(s.x(), screen, r.x + x0, r.y + y0, CurrentTime);
    XTestFakeButtonEvent(s.x(), 1, True, CurrentTime);
    s.Sync();
    int x = x0, y = y0, step = 0;
    bool done = WaitUntil(limit, [&] {
        if (arrived())
            return true;
        // Ten pixels a look; at the goal, one to and fro, so motion goes on.
        x = x1 > x ? std::min(x1, x + 10) : std::max(x1, x - 10);
        y = y1 > y ? std::min(y1, y + 10) : std::max(y1, y - 10);
        XTestFakeMotionEvent(s.x(), screen, r.x + x + (++step % 2), r.y + y, CurrentTime);
        s.Sync();
        return false;
    });
    XTestFakeButtonEvent(s.x(), 1, False, CurrentTime);
    s.Sync();
    return done;
}

bool FindSceneArea(const Image &output, Rect *area, int scale)
{
    const int width = 640 * scale, height = 480 * scale;
    // The first column and row where green fills most of a scene's height or
    // width; a box over the scene leaves well over 150 of each.
    constexpr int kEnough = 150;
    std::vector<int> cols, rows;
    Profiles(output, IsGreenTinted, &cols, &rows);
    int x, y, last;
    if (!span(cols, kEnough, &x, &last) || !span(rows, kEnough, &y, &last))
        return false;
    // Its far edges where a 640x480 area puts them (within the output): not
    // a window the compositor is still scaling into view.
    auto edge = [&](const std::vector<int> &counts, int last) {
        int size = static_cast<int>(counts.size());
        return last >= size || (counts[last] >= kEnough && (last + 1 >= size ||
                                                            counts[last + 1] < kEnough / 3));
    };
    if (!edge(cols, x + width - 1) || !edge(rows, y + height - 1))
        return false;
    *area = Rect{x, y, width, height};
    return true;
}

bool FindBoxArea(const Image &output, Rect *box)
{
    // Enough of the colour in a line that a lit sphere's white never is.
    constexpr int kEnough = 60;
    std::vector<int> cols, rows;
    Profiles(output, DialogLight, &cols, &rows);
    int x0, x1, y0, y1;
    if (!span(cols, kEnough, &x0, &x1) || !span(rows, kEnough, &y0, &y1) || x1 - x0 < 120 ||
        y1 - y0 < 80)
        return false;
    *box = Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    return true;
}

bool TitleBarAbove(const Image &output, const Rect &area)
{
    int n = 0, dark = 0, light = 0;
    for (int y = std::max(0, area.y - 20); y < area.y - 3; ++y)
        for (int x = std::max(0, area.x); x < std::min(output.width, area.x + area.width); ++x) {
            Rgb c = output.At(x, y);
            int lo = std::min({c.r, c.g, c.b}), hi = std::max({c.r, c.g, c.b});
            ++n;
            dark += hi <= 100 && hi - lo <= 12;
            light += lo >= 190;
        }
    return n > 0 && dark >= n * 6 / 10 && light >= 20;
}

Image Crop(const Image &image, const Rect &r)
{
    Image part;
    int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
    int x1 = std::min(image.width, r.x + r.width), y1 = std::min(image.height, r.y + r.height);
    if (x1 <= x0 || y1 <= y0)
        return part;
    part.width = x1 - x0;
    part.height = y1 - y0;
    for (int y = y0; y < y1; ++y) {
        const uint8_t *row = &image.rgb[(static_cast<size_t>(y) * image.width + x0) * 3];
        part.rgb.insert(part.rgb.end(), row, row + part.width * 3);
    }
    return part;
}

}  // namespace e2e
