// The presentation without a pointer: Tab and Shift+Tab reach each of the
// six objects, the focus mark shows round it in the default, wire-frame
// and outlined modes, and Return shows the object's box, which a screen
// reader finds through AT-SPI, on an accessibility bus started as a
// desktop session starts it (a session bus, with the accessibility bus's
// launcher on it). Return held on a box, repeating, opens no second box.
// On Weston, Tab and Return give the box a click gives.
// The driver first: GoogleTest before Xlib.
#include "driver/journey.h"

#include <X11/XKBlib.h>
#include <atspi/atspi.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

// In the sanitized build: this test program's own AT-SPI client keeps a few
// GLib blocks to the end (its D-Bus matches and caches). The program under
// test is judged by its own sanitizer reports, which this does not touch.
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

// ---- the focus mark in a picture ------------------------------------------

bool IsWhite(Rgb c) { return c.r >= 250 && c.g >= 250 && c.b >= 250; }
bool IsBlack(Rgb c) { return c.r <= 5 && c.g <= 5 && c.b <= 5; }

// The mark's white band: straight runs of white pixels with black two
// pixels to either side, across the run, at least kRun long (the Korean
// flag's broken bars make short ones). Its bounds, and how many pixels the
// runs hold.
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
        for (int line = 2; line + 2 < lines; ++line) {
            int run = 0;
            for (int at = 2; at + 2 <= length; ++at) {
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

// Why the mark in `frame` is not one round object `index`, or "" if it is.
// Where the mark lies round each sphere is the unit tests' to judge; here
// a sphere's mark must be a sphere's size.
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

// ---- AT-SPI, as a screen reader reads the box -----------------------------

struct BoxSeen {
    bool found = false;
    std::string name, text, buttons;
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

// The labels, buttons and icons under `a`.
void Collect(AtspiAccessible *a, BoxSeen *box, int depth)
{
    int n = atspi_accessible_get_child_count(a, nullptr);
    for (int i = 0; i < n && depth < 12; ++i) {
        AtspiAccessible *child = atspi_accessible_get_child_at_index(a, i, nullptr);
        if (child == nullptr)
            continue;
        AtspiRole role = atspi_accessible_get_role(child, nullptr);
        std::string name = Name(child);
        // On Wayland the box draws its own title bar, whose label is its name.
        if (role == ATSPI_ROLE_LABEL && !name.empty() && name != box->name && box->text.empty())
            box->text = name;
        if (role == ATSPI_ROLE_PUSH_BUTTON)
            box->buttons += (box->buttons.empty() ? "" : ",") + name;
        if (role == ATSPI_ROLE_ICON || role == ATSPI_ROLE_IMAGE)
            ++box->icons;
        Collect(child, box, depth + 1);
        g_object_unref(child);
    }
}

// The first alert of the application group_g: its name, the first label's
// text beside it, its buttons and icons, whether it is modal.
BoxSeen AlertOfGroupG(std::string *apps)
{
    BoxSeen box;
    AtspiAccessible *desktop = atspi_get_desktop(0);
    int n = atspi_accessible_get_child_count(desktop, nullptr);
    apps->clear();
    for (int i = 0; i < n && !box.found; ++i) {
        AtspiAccessible *app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (app == nullptr)
            continue;
        std::string app_name = Name(app);
        *apps += app_name + " ";
        int windows = app_name == "group_g" ? atspi_accessible_get_child_count(app, nullptr) : 0;
        for (int w = 0; w < windows && !box.found; ++w) {
            AtspiAccessible *window = atspi_accessible_get_child_at_index(app, w, nullptr);
            if (window == nullptr)
                continue;
            if (atspi_accessible_get_role(window, nullptr) == ATSPI_ROLE_ALERT) {
                box.found = true;
                box.name = Name(window);
                AtspiStateSet *states = atspi_accessible_get_state_set(window);
                box.modal = atspi_state_set_contains(states, ATSPI_STATE_MODAL);
                g_object_unref(states);
                Collect(window, &box, 0);
            }
            g_object_unref(window);
        }
        g_object_unref(app);
    }
    g_object_unref(desktop);
    return box;
}

// A session bus, named to the programs started from now on and to us, on
// which the first to ask for the accessibility bus has it started, as in a
// desktop session. The accessibility bus's socket goes in the runtime
// folder, which is this bus's own: without one it would be the same path
// in the home folder for every test running beside this one. One for the
// whole test program: AT-SPI connects once per process.
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

AccessibilityBus g_accessibility_bus;

// The box AT-SPI shows, once it has the text `expected` (a box just
// closed may linger there a moment), or whatever it shows at the deadline.
BoxSeen ReadBox(const std::string &what, const std::string &expected)
{
    BoxSeen box;
    std::string apps;
    WaitUntil(kReact, [&] {
        box = AlertOfGroupG(&apps);
        return box.text == expected;
    });
    if (!box.found || box.text.empty())
        JOURNEY_FAIL() << what << ": no alert of group_g with text in AT-SPI; applications: "
                       << apps;
    return box;
}

// The usual start, with the accessibility bus up before the program, as a
// desktop session has it.
template <typename Base>
class ReadableShow : public Base {
protected:
    Window StartReadableShow()
    {
        this->StartDisplay();
        std::string error = g_accessibility_bus.Start(this->artifacts_);
        if (!error.empty())
            JOURNEY_FAIL() << error;
        this->PrepareRunFolder();
        this->StartProgram();
        return this->WaitForScene();
    }
};

class KeysJourney : public ReadableShow<Journey> {
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
    Window scene = StartReadableShow();

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

    // Return held on Korea's box (opened with Space, so the scene window
    // last saw Return go up) with the keyboard repeating: the box answers,
    // and no repeat reaches the scene window to open another.
    Press(scene, XK_Tab);
    Press(scene, XK_Tab);
    ASSERT_TRUE(Tap(x_, scene, XK_space));
    Window box = WaitForBox(kBox, "held-box");
    XAutoRepeatOn(x_.x());
    XkbSetAutoRepeatRate(x_.x(), XkbUseCoreKbd, 100, 20);
    ASSERT_TRUE(Focus(x_, box));
    GoneWatch gone(x_, TopLevel(x_, box));
    KeyDown(x_, XK_Return);
    // Long enough for the keyboard to repeat several times over, however
    // slow the machine: the repeats come from the display server.
    usleep(1000 * 1000);
    KeyUp(x_, XK_Return);
    XAutoRepeatOff(x_.x());
    x_.Sync();
    ASSERT_TRUE(gone.Wait(kReact)) << "Return held did not answer the box";
    WaitFrames(scene, 3 * kFramesToSeeAKey);
    EXPECT_EQ(None, FindWindow(x_, kBox)) << "a repeat of the Return that answered opened a box";
    EndWithEscape(scene);
}

// On Weston: Tab, Tab and Return give exactly the box a click on Korea
// gives, and AT-SPI reads it there too.
class KeysJourneyOnWayland : public ReadableShow<SessionJourney> {};

TEST_P(KeysJourneyOnWayland, TabAndReturnShowTheBoxAClickShows)
{
    Window scene = StartReadableShow();
    ClickScene(scene, static_cast<int>(KoreaSpot().x), static_cast<int>(KoreaSpot().y));
    Window box = WaitForBox(kBox, "click-box");
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
