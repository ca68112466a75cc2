// The presentation without a pointer: Tab and Shift+Tab reach each of the
// six objects, the focus mark shows round it in every drawing mode, and
// Return shows the object's box, which a screen reader reads over AT-SPI.
// Return held on a box, repeating, opens no second box. On Weston, Tab and
// Return give the box a click gives.
#include "driver/journey.h"  // GoogleTest before Xlib

#include <X11/XKBlib.h>
#include <atspi/atspi.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

// This test program's own AT-SPI client keeps a few GLib blocks to its end;
// the program under test is judged by its own reports.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:g_malloc\nleak:libatspi\n";
}

namespace e2e {
namespace {

const char kBox[] = "Selection";

// The six objects in Tab order, with the text of their boxes.
struct ObjectCase {
    const char *object;
    const char *text;
};
const ObjectCase kObjects[6] = {
    {"title", "Team Tarsel"},
    {"korea", "대한민국\nFIFA 랭킹 : 29위\n1승(3점)"},
    {"togo", "토고\nFIFA 랭킹 : 61위\n1패(0점)"},
    {"france", "프랑스\nFIFA 랭킹 : 8위\n1무(1점)"},
    {"switzerland", "스위스\nFIFA 랭킹 : 35위\n1무(1점)"},
    {"backdrop", "순위\n1.대한민국\n2.프랑스\n2.스위스\n4.토고"},
};

bool IsWhite(Rgb c) { return c.r >= 250 && c.g >= 250 && c.b >= 250; }
bool IsBlack(Rgb c) { return c.r <= 5 && c.g <= 5 && c.b <= 5; }

// The mark's white band: runs of white pixels with black two pixels to
// either side, at least kRun long (the Korean flag's bars make short ones);
// their bounds and how many pixels they hold.
struct MarkSeen {
    Rect band;
    int pixels = 0;
};

constexpr int kRun = 30;

bool BandAt(const Image &image, int x, int y, int dx, int dy)
{
    return IsWhite(image.At(x, y)) && IsBlack(image.At(x - 2 * dy, y - 2 * dx)) &&
           IsBlack(image.At(x + 2 * dy, y + 2 * dx));
}

MarkSeen FindMark(const Image &image)
{
    MarkSeen seen;
    int left = image.width, top = image.height, right = -1, bottom = -1;
    // Rows (dx 1) and columns (dy 1).
    for (int dir = 0; dir < 2; ++dir) {
        int dx = dir == 0, dy = dir == 1;
        int lines = dx ? image.height : image.width, length = dx ? image.width : image.height;
        for (int line = 2; line + 2 < lines; ++line)
            for (int at = 2, run = 0; at + 2 <= length; ++at) {
                int x = dx ? at : line, y = dx ? line : at;
                if (at + 2 < length && BandAt(image, x, y, dx, dy)) {
                    ++run;
                    continue;
                }
                if (run >= kRun) {
                    seen.pixels += run;
                    int first = at - run, last = at - 1;
                    left = std::min(left, dx ? first : line);
                    right = std::max(right, dx ? last : line);
                    top = std::min(top, dx ? line : first);
                    bottom = std::max(bottom, dx ? line : last);
                }
                run = 0;
            }
    }
    if (seen.pixels > 0)
        seen.band = Rect{left, top, right - left + 1, bottom - top + 1};
    return seen;
}

bool Inside(const Rect &r, double x, double y, double margin)
{
    return x - margin > r.x && x + margin < r.x + r.width && y - margin > r.y &&
           y + margin < r.y + r.height;
}

// Why the mark in `frame` is not one round object `index`, or "" if it is;
// a sphere's is only judged by its size (its place is the unit tests').
std::string JudgeMark(const Image &frame, int index)
{
    MarkSeen mark = FindMark(frame);
    const Rect &r = mark.band;
    if (mark.pixels == 0)
        return "no focus mark";
    std::string where = " (mark " + ToString(r) + ")";
    // The band runs all the way round (each side is two pixels wide).
    if (mark.pixels < (r.width + r.height) * 2 * 2 * 9 / 10)
        return "the mark's band is broken (" + std::to_string(mark.pixels) + " pixels)" + where;
    bool right_place = true;
    if (index == 5)
        right_place = r.width >= 620 && r.height >= 460;  // round the window
    else if (index == 0)
        right_place = r.y + r.height / 2 < kBelowTitle && r.width + r.height > 100;
    else if (index == 1)
        right_place = Inside(r, KoreaSpot().x, KoreaSpot().y, KoreaSpot().radius);
    if (index < 2 || index == 5)
        return right_place ? "" : "the mark is not round the object" + where;
    // Off the axis of view a sphere's box is drawn out a little.
    bool sphere_sized = r.width > 50 && r.width < 200 &&
                        std::abs(r.width - r.height) < std::max(r.width, r.height) / 4;
    return sphere_sized ? "" : "the mark is not a sphere's" + where;
}

// A box as a screen reader reads it over AT-SPI.
struct BoxSeen {
    bool found = false;
    std::string name, text, buttons, apps;
    int icons = 0;
    bool modal = false;
};

std::string Name(AtspiAccessible *a)
{
    gchar *name = atspi_accessible_get_name(a, nullptr);
    std::string s = name != nullptr ? name : "";
    g_free(name);
    return s;
}

void EachChild(AtspiAccessible *a, const std::function<void(AtspiAccessible *)> &visit)
{
    int n = atspi_accessible_get_child_count(a, nullptr);
    for (int i = 0; i < n; ++i)
        if (AtspiAccessible *child = atspi_accessible_get_child_at_index(a, i, nullptr)) {
            visit(child);
            g_object_unref(child);
        }
}

// The labels, buttons and icons under `a`.
void Collect(AtspiAccessible *a, BoxSeen *box, int depth)
{
    EachChild(a, [&](AtspiAccessible *child) {
        AtspiRole role = atspi_accessible_get_role(child, nullptr);
        std::string name = Name(child);
        // On Wayland the box draws its own title bar, whose label is its name.
        if (role == ATSPI_ROLE_LABEL && !name.empty() && name != box->name && box->text.empty())
            box->text = name;
        if (role == ATSPI_ROLE_PUSH_BUTTON)
            box->buttons += (box->buttons.empty() ? "" : ",") + name;
        if (role == ATSPI_ROLE_ICON || role == ATSPI_ROLE_IMAGE)
            ++box->icons;
        if (depth < 12)
            Collect(child, box, depth + 1);
    });
}

// The first alert of the application group_g.
BoxSeen AlertOfGroupG()
{
    BoxSeen box;
    AtspiAccessible *desktop = atspi_get_desktop(0);
    EachChild(desktop, [&](AtspiAccessible *app) {
        std::string app_name = Name(app);
        box.apps += app_name + " ";
        if (app_name != "group_g")
            return;
        EachChild(app, [&](AtspiAccessible *window) {
            if (box.found || atspi_accessible_get_role(window, nullptr) != ATSPI_ROLE_ALERT)
                return;
            box.found = true;
            box.name = Name(window);
            AtspiStateSet *states = atspi_accessible_get_state_set(window);
            box.modal = atspi_state_set_contains(states, ATSPI_STATE_MODAL);
            g_object_unref(states);
            Collect(window, &box, 0);
        });
    });
    g_object_unref(desktop);
    return box;
}

// A session bus for the programs started from now on and for us, which
// starts the accessibility bus on the first request, as a desktop session
// does. Its own runtime folder keeps the accessibility bus's socket apart
// from a test running beside this one. One per process, as AT-SPI connects once.
class AccessibilityBus {
public:
    ~AccessibilityBus()
    {
        bus_.Kill();
        if (!dir_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(dir_, ignored);
        }
    }

    // Why it could not start, or "" once it runs.
    std::string Start(const std::string &log_dir)
    {
        if (!dir_.empty())
            return "";
        // A socket's path has little room: the bus lives in /tmp.
        char dir[] = "/tmp/group_g-bus.XXXXXX";
        if (mkdtemp(dir) == nullptr)
            return "no folder for the session bus";
        dir_ = dir;
        std::string socket = dir_ + "/bus", address = "unix:path=" + socket, error;
        ProcessOptions bus;
        bus.argv = {"dbus-daemon", "--session", "--nofork", "--address=" + address};
        bus.env = {"XDG_RUNTIME_DIR=" + dir_};
        bus.err_path = log_dir + "/dbus-daemon.err";
        if (!bus_.Start(bus, &error))
            return "dbus-daemon: " + error;
        if (!WaitUntil(kAppear, [&] { return access(socket.c_str(), F_OK) == 0; }))
            return "the session bus did not come up";
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        return atspi_init() < 0 ? "AT-SPI did not start" : "";
    }

private:
    Process bus_;
    std::string dir_;
};

// Up before the program, as on a desktop.
void StartAccessibilityBus(const std::string &log_dir)
{
    static AccessibilityBus bus;
    std::string error = bus.Start(log_dir);
    if (!error.empty())
        JOURNEY_FAIL() << error;
}

// The box AT-SPI shows, once it has the text `expected` (a box just
// closed may linger there a moment), or whatever it shows at the deadline.
BoxSeen ReadBox(const std::string &what, const std::string &expected)
{
    BoxSeen box;
    WaitUntil(kReact, [&] {
        box = AlertOfGroupG();
        return box.text == expected;
    });
    if (!box.found || box.text.empty())
        JOURNEY_FAIL() << what << ": no alert of group_g with text in AT-SPI; applications: "
                       << box.apps;
    return box;
}

class KeysJourney : public Journey {
protected:
    void TearDown() override
    {
        if (x_.x() != nullptr)
            XAutoRepeatOff(x_.x());
        Journey::TearDown();
    }

    // The mark in a frozen frame, judged and kept as `name`.
    void ExpectMark(Window scene, int index, const std::string &name)
    {
        Image frame = Look(scene, name);
        std::string why = JudgeMark(frame, index);
        EXPECT_EQ("", why) << name << ": focus on the " << kObjects[index].object;
        Thaw();
    }
};

TEST_F(KeysJourney, EveryObjectReachedFromTheKeyboardWithItsMarkAndItsBoxReadByAtSpi)
{
    StartAccessibilityBus(artifacts_);
    Window scene = StartShow();

    // Tab to each object in turn; Return shows its box, which AT-SPI reads.
    for (int i = 0; i < 6; ++i) {
        const std::string name = kObjects[i].object;
        Press(scene, XK_Tab);
        ExpectMark(scene, i, "default-" + name);
        ASSERT_TRUE(Tap(x_, scene, XK_Return));
        Window box = WaitForBox(kBox, name + "-box");
        EXPECT_EQ(scene, TransientFor(x_, box)) << name << ": the box's owner";
        BoxSeen seen = ReadBox(name, kObjects[i].text);
        EXPECT_EQ(kObjects[i].text, seen.text) << name << ": the box's text as AT-SPI reads it";
        EXPECT_EQ(kBox, seen.name);
        EXPECT_EQ("OK", seen.buttons) << name << ": the box's buttons";
        EXPECT_EQ(0, seen.icons) << name << ": the Selection box has no icon";
        EXPECT_TRUE(seen.modal) << name;
        AnswerBox(box, XK_Return, kBox);
        WaitFrames(scene, kFramesToSeeAKey);
        EXPECT_EQ(None, FindWindow(x_, kBox)) << name << ": the Return that answered opened a box";
    }

    // Wire-frame spheres: Shift+Tab back from the backdrop, round to it;
    // outlined polygons: Tab round once more.
    for (KeySym mode : {XK_F4, XK_F5}) {
        Press(scene, mode);
        for (int step = 1; step <= 6; ++step) {
            int i = mode == XK_F4 ? (11 - step) % 6 : step - 1;
            if (mode == XK_F4) {
                ASSERT_TRUE(Chord(x_, scene, {XK_Shift_L, XK_Tab}));
                WaitFrames(scene, kFramesToSeeAKey);
            } else {
                Press(scene, XK_Tab);
            }
            ExpectMark(scene, i, (mode == XK_F4 ? "wire-frame-" : "outlined-") +
                                     std::string(kObjects[i].object));
        }
        Press(scene, mode);
    }

    // Return held, repeating, on Korea's box (opened with Space, so the scene
    // last saw Return go up): no repeat reaches the scene to open another.
    Press(scene, XK_Tab);
    Press(scene, XK_Tab);
    ASSERT_TRUE(Tap(x_, scene, XK_space));
    Window box = WaitForBox(kBox, "held-box");
    XAutoRepeatOn(x_.x());
    XkbSetAutoRepeatRate(x_.x(), XkbUseCoreKbd, 100, 20);
    ASSERT_TRUE(Focus(x_, box));
    GoneWatch gone(x_, TopLevel(x_, box));
    KeyDown(x_, XK_Return);
    // Repeats come from the display server: a second gives several however slow the machine.
    usleep(1000 * 1000);
    KeyUp(x_, XK_Return);
    XAutoRepeatOff(x_.x());
    x_.Sync();
    ASSERT_TRUE(gone.Wait(kReact)) << "Return held did not answer the box";
    WaitFrames(scene, 3 * kFramesToSeeAKey);
    EXPECT_EQ(None, FindWindow(x_, kBox)) << "a repeat of the Return that answered opened a box";
    EndWithEscape(scene);
}

using KeysJourneyOnWayland = SessionJourney;

TEST_P(KeysJourneyOnWayland, TabAndReturnShowTheBoxAClickShows)
{
    StartAccessibilityBus(artifacts_);
    Window scene = StartShow();
    Window box = ClickKorea(scene, "click-box");
    AnswerBox(box, XK_Return, kBox);
    WaitFrames(scene, kFramesToSeeAKey);
    Press(scene, XK_Tab);
    Press(scene, XK_Tab);
    ASSERT_TRUE(Tap(x_, scene, XK_Return));
    box = WaitForBox(kBox, "key-box");
    // Inside the rounded corners, which show what lies behind the box.
    const Image &click = kept_["click-box"], &key = kept_["key-box"];
    Rect inside{6, 6, click.width - 12, click.height - 12};
    EXPECT_EQ(0, DifferingPixels(Crop(click, inside), Crop(key, inside)))
        << "the box Return shows for Korea differs from the click's (see click-box, key-box)";
    EXPECT_EQ(kObjects[1].text, ReadBox("korea", kObjects[1].text).text)
        << "the box's text as AT-SPI reads it";
    AnswerBox(box, XK_Return, kBox);
    EndWithEscape(scene);
}

INSTANTIATE_IN_SESSIONS(KeysJourneyOnWayland, Session::kWeston);

}  // namespace
}  // namespace e2e
