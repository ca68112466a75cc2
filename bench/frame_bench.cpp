// frame_bench: one frame of the program on Mesa's software GL at 640x480,
// against an empty frame and against frame_reference (same GL work, bare
// SDL2, a child process taking turns in short runs); and a left click up to
// its box on screen: the first box of the run (which starts GTK), later boxes,
// and the context's first selection pass on its own. Our frame is PeekMessageA,
// DrawScene, SwapBuffers through the real SDL backend; a click is timed from
// the button message to the box's map, seen over a second X connection. Runs
// on a private virtual display when DISPLAY is unset.
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/gdi32.h"
#include "platform/user32.h"
#include "scene/draw_scene.h"
#include "scene/picking.h"
#include "shell/main_loop.h"
#include "shell/scene_window.h"
#include "virtual_display.h"
#include "x_input.h"
#include "x_session.h"
#include "x_windows.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kWidth = 640;
const int kHeight = 480;
// Short runs, taking turns with the reference, best of each: the machine's
// other work then disturbs both sides alike and the best run shows the cost.
const double kSecondsPerRun = 0.75;
const int kRounds = 8;
// Boxes timed after the first, whose time is GTK starting.
const int kPicks = 7;

// The display started when there is none.
VirtualDisplay private_display;

// ---- frames --------------------------------------------------------------

// What the loop does with one message; false when the queue was empty.
bool pump_one_message()
{
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

// A frame as the loop draws it: messages that came in are handled first
// (in the loop, by the passes before), then the pass that finds the queue
// empty draws and presents.
void scene_frame()
{
    while (pump_one_message()) {
    }
    DrawScene();
    SwapBuffers(device_context);
}

void empty_frame()
{
    while (pump_one_message()) {
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SwapBuffers(device_context);
}

// Mean milliseconds per frame over kSecondsPerRun, after a warm-up.
double time_frames(void (*frame)())
{
    for (int warm = 0; warm < 20; ++warm)
        frame();
    Clock::time_point start = Clock::now();
    int frames = 0;
    double elapsed = 0.0;
    do {
        frame();
        ++frames;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < kSecondsPerRun);
    return elapsed * 1000.0 / frames;
}

// ---- the pictures as the lists upload them --------------------------------

struct Picture {
    GLint width, height;
    std::vector<unsigned char> rgb;
};

// Calls each texture list and reads back the image it installed, exactly as
// the GL received it.
std::vector<Picture> read_back_pictures()
{
    std::vector<Picture> pictures(5);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (GLuint list = 1; list <= 5; ++list) {
        Picture &p = pictures[list - 1];
        glCallList(list);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &p.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &p.height);
        p.rgb.resize((size_t)p.width * p.height * 3);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, p.rgb.data());
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pictures;
}

bool write_pictures(const std::string &path, const std::vector<Picture> &pictures)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = true;
    for (const Picture &p : pictures) {
        int32_t size[2] = {p.width, p.height};
        ok = ok && fwrite(size, 4, 2, f) == 2 &&
             fwrite(p.rgb.data(), 1, p.rgb.size(), f) == p.rgb.size();
    }
    return fclose(f) == 0 && ok;
}

// Replaces the five upload lists with lists that bind a texture object
// holding the same picture, with the filters and wrap the lists' texture had.
void bind_textures_once(const std::vector<Picture> &pictures)
{
    static GLuint textures[5];
    glGenTextures(5, textures);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < 5; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, pictures[i].width, pictures[i].height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, pictures[i].rgb.data());
        glNewList(i + 1, GL_COMPILE);
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// ---- the reference program ------------------------------------------------

// frame_reference runs beside us for the whole comparison and times a run
// whenever asked, so the two sides can take turns in short runs.
struct Reference {
    Process process;
    FILE *to = nullptr;
    FILE *from = nullptr;
};

// The reference reads its orders on stdin and answers on stdout.
bool start_reference(Reference *r, const std::string &pictures, const std::string &frame_out)
{
    int to_child[2], from_child[2];
    if (pipe2(to_child, O_CLOEXEC) != 0)
        return false;
    if (pipe2(from_child, O_CLOEXEC) != 0) {
        close(to_child[0]);
        close(to_child[1]);
        return false;
    }
    ProcessOptions o;
    o.argv = {FRAME_REFERENCE_PATH, pictures, frame_out};
    o.in_fd = to_child[0];
    o.out_fd = from_child[1];
    // Its complaints go where ours go, added to whatever is there.
    o.err_path = "/dev/stderr";
    o.append = true;
    o.death_signal = SIGTERM;
    std::string error;
    bool started = r->process.Start(o, &error);
    close(to_child[0]);
    close(from_child[1]);
    if (!started) {
        close(to_child[1]);
        close(from_child[0]);
        return false;
    }
    r->to = fdopen(to_child[1], "w");
    r->from = fdopen(from_child[0], "r");
    char line[64];
    return r->to != nullptr && r->from != nullptr &&
           fgets(line, sizeof line, r->from) != nullptr && strcmp(line, "ready\n") == 0;
}

double time_reference(Reference *r)
{
    fprintf(r->to, "run %.3f\n", kSecondsPerRun);
    fflush(r->to);
    char line[128];
    double ms = -1.0;
    int frames = 0;
    if (fgets(line, sizeof line, r->from) == nullptr ||
        sscanf(line, "ms_per_frame=%lf frames=%d", &ms, &frames) != 2)
        return -1.0;
    return ms;
}

void stop_reference(Reference *r)
{
    if (r->to != nullptr)
        fclose(r->to);
    if (r->from != nullptr)
        fclose(r->from);
    // It ends once its orders end.
    r->process.WaitExit(std::chrono::seconds(60));
}

// Pixels (RGBA) that differ between two frames of the same size.
long count_differences(const std::vector<unsigned char> &ours, const std::string &path)
{
    std::vector<unsigned char> theirs(ours.size());
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return -1;
    size_t got = fread(theirs.data(), 1, theirs.size(), f);
    fclose(f);
    if (got != theirs.size())
        return -1;
    long differing = 0;
    for (size_t i = 0; i < ours.size(); i += 4)
        differing += memcmp(&ours[i], &theirs[i], 3) != 0;
    return differing;
}

// ---- a click up to its box -------------------------------------------------

// Watches the display from a connection of its own for the box window to be
// mapped, notes when, and answers it with Return so the click returns.
struct BoxWatch {
    std::atomic<bool> listening{false};
    std::atomic<bool> connected{false};
    std::atomic<bool> pick_done{false};
    std::atomic<bool> quit{false};
    std::atomic<long long> shown_at{0};  // steady clock, nanoseconds; 0 = not yet
};

// Finds the box and answers it with Return until it has gone. The key is
// typed again now and then: the box may take it only once it has drawn
// itself.
void answer_box(const e2e::XSession &s, BoxWatch *watch)
{
    Window box = e2e::WaitForWindow(s, "Selection", e2e::Seconds(30));
    if (box == None)
        return;
    e2e::GoneWatch gone(s, e2e::TopLevel(s, box));
    do {
        e2e::Tap(s, box, XK_Return, e2e::Seconds(1));
    } while (!gone.Wait(e2e::Seconds(0.2)) && !watch->pick_done && !watch->quit);
}

void watch_for_boxes(BoxWatch *watch)
{
    e2e::XSession s;
    const char *display = getenv("DISPLAY");
    std::string error;
    if (display == nullptr || !s.Connect(display, &error)) {
        watch->listening = true;
        return;
    }
    XSelectInput(s.x(), s.root(), SubstructureNotifyMask);
    s.Sync();
    watch->connected = true;
    watch->listening = true;
    pollfd p{ConnectionNumber(s.x()), POLLIN, 0};
    while (!watch->quit) {
        bool shown = false;
        while (XPending(s.x())) {
            XEvent event;
            XNextEvent(s.x(), &event);
            if (event.type == MapNotify && watch->shown_at == 0 && !watch->pick_done) {
                watch->shown_at = Clock::now().time_since_epoch().count();
                shown = true;
            }
        }
        if (shown)
            answer_box(s, watch);
        else
            poll(&p, 1, 100);
    }
}

// A click outside the view: the same selection pass, with nothing hit and
// so no box.
double time_selection_pass()
{
    std::vector<double> passes;
    for (int pick = 0; pick < kPicks; ++pick) {
        Clock::time_point start = Clock::now();
        PickAt(-50, -50);
        passes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        scene_frame();
    }
    std::sort(passes.begin(), passes.end());
    return passes[passes.size() / 2];
}

// Milliseconds from the click to the box being mapped, or a negative value
// when no box appeared.
double time_one_pick(BoxWatch *watch)
{
    watch->shown_at = 0;
    watch->pick_done = false;
    long long clicked = Clock::now().time_since_epoch().count();
    // The window procedure's path for a left button press at the centre,
    // where the Korea sphere always is.
    SceneWindowProc(window_handle, WM_LBUTTONDOWN, 0, MAKELPARAM(kWidth / 2, kHeight / 2));
    watch->pick_done = true;
    long long shown = watch->shown_at;
    // Let the loop settle the focus back before the next click.
    for (int settle = 0; settle < 5; ++settle)
        scene_frame();
    return shown == 0 ? -1.0 : (shown - clicked) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void print_target(const char *name, double measured, const char *unit, double limit)
{
    printf("target %s: %.3f%s vs limit %.2f%s: %s\n", name, measured, unit, limit, unit,
           measured >= 0 && measured <= limit ? "met" : "missed");
}

}  // namespace

int main()
{
    const char *display = getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::string error;
        if (!StartVirtualDisplay(&private_display, "1280x1024x24", false, "", &error)) {
            fprintf(stderr, "frame_bench: no DISPLAY, and %s\n", error.c_str());
            return 1;
        }
        setenv("DISPLAY", private_display.name.c_str(), 1);
        // Registered before the platform registers SDL's shutdown, so it
        // runs after it: SDL lets go of the display before it goes away.
        atexit([] { StopVirtualDisplay(&private_display); });
    }
    // Mesa's software rasterizer on both sides.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    if (chdir(GROUP_G_RUN_DIR) != 0) {
        fprintf(stderr, "frame_bench: no run folder %s\n", GROUP_G_RUN_DIR);
        return 1;
    }
    if (!OpenSceneWindow("OpenGL Team Tarsel", kWidth, kHeight, 16, false))
        return 1;
    while (pump_one_message()) {
    }

    char scratch_template[] = "/tmp/frame_bench.XXXXXX";
    std::string scratch = mkdtemp(scratch_template) ? scratch_template : "/tmp";
    std::string pictures_path = scratch + "/pictures";
    std::string reference_frame_path = scratch + "/reference_frame";

    // The first frame, kept to check that the reference draws the same.
    std::vector<unsigned char> first((size_t)kWidth * kHeight * 4);
    DrawScene();
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, first.data());
    SwapBuffers(device_context);
    std::vector<Picture> pictures = read_back_pictures();
    write_pictures(pictures_path, pictures);

    printf("frame: %dx%d on %s, %.2f s a run, best of %d rounds\n", kWidth, kHeight,
           (const char *)glGetString(GL_RENDERER), kSecondsPerRun, kRounds);

    Reference beside;
    bool reference_ready = start_reference(&beside, pictures_path, reference_frame_path);
    double ours = 1e9, reference = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        ours = std::min(ours, time_frames(scene_frame));
        double r = reference_ready ? time_reference(&beside) : -1.0;
        if (r > 0)
            reference = std::min(reference, r);
    }
    stop_reference(&beside);
    if (reference >= 1e9)
        reference = -1.0;
    double empty = time_frames(empty_frame);

    BoxWatch watch;
    std::thread watcher(watch_for_boxes, &watch);
    while (!watch.listening)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The context's first selection pass sets up the GL's selection mode
    // once; it is timed on its own (a click outside the view, no box), so
    // that the first box's time is that of GTK starting.
    Clock::time_point first_pass = Clock::now();
    PickAt(-50, -50);
    double first_selection_ms =
        std::chrono::duration<double, std::milli>(Clock::now() - first_pass).count();
    scene_frame();
    // Without a watcher nobody would answer the boxes.
    double first_pick_ms = watch.connected ? time_one_pick(&watch) : -1.0;
    std::vector<double> picks;
    for (int pick = 0; pick < kPicks && watch.connected; ++pick)
        picks.push_back(time_one_pick(&watch));
    if (picks.empty())
        picks.push_back(-1.0);
    watch.quit = true;
    watcher.join();
    double pick_ms = median(picks);
    double selection_ms = time_selection_pass();

    bind_textures_once(pictures);
    double bound = 1e9;
    for (int round = 0; round < kRounds / 2; ++round)
        bound = std::min(bound, time_frames(scene_frame));
    long differing = count_differences(first, reference_frame_path);

    CloseSceneWindow();
    unlink(pictures_path.c_str());
    unlink(reference_frame_path.c_str());
    rmdir(scratch.c_str());

    printf("%-44s %10s %10s\n", "", "ms/frame", "frames/s");
    auto row = [](const char *what, double ms) {
        printf("%-44s %10.3f %10.1f\n", what, ms, ms > 0 ? 1000.0 / ms : 0.0);
    };
    row("our frame (loop pass: DrawScene + swap)", ours);
    row("empty frame (clear + swap)", empty);
    row("reference program (same GL work, bare SDL2)", reference);
    row("our frame, textures bound once (information)", bound);
    printf("reference first frame differs from ours in %ld of %d pixels\n", differing,
           kWidth * kHeight);
    printf("first selection pass of the context (a click outside the view): %.3f ms\n",
           first_selection_ms);
    printf("first box of the run (GTK starting), click to box shown: %.3f ms\n", first_pick_ms);
    printf("pick, click to box shown: median %.3f ms of %zu (", pick_ms, picks.size());
    for (size_t i = 0; i < picks.size(); ++i)
        printf("%s%.1f", i ? " " : "", picks[i]);
    printf(") = %.2f frames\n", ours > 0 ? pick_ms / ours : -1.0);
    printf("  of which the selection pass (a click outside the view): %.3f ms = %.2f frames\n",
           selection_ms, ours > 0 ? selection_ms / ours : -1.0);
    printf("  and the box appearing on the display: %.3f ms\n", pick_ms - selection_ms);

    print_target("frame_vs_reference", reference > 0 ? ours / reference : -1.0, "x", 1.10);
    print_target("pick_cost", pick_ms >= 0 && ours > 0 ? pick_ms / ours : -1.0, " frames", 2.0);
    // The first box starts GTK; it may cost what the context's first
    // selection pass and three later boxes cost on this machine, this run.
    double first_box_limit = first_selection_ms + 3.0 * pick_ms;
    printf("first box limit: first selection pass %.1f ms + 3 x later box %.1f ms\n",
           first_selection_ms, pick_ms);
    print_target("first_box", pick_ms >= 0 ? first_pick_ms : -1.0, " ms", first_box_limit);
    return 0;
}
