// pick_memory_bench: how much resident memory 1,000 left clicks add to the
// program, with the scene's geometry played from its display lists (as the
// program draws) and, beside it, issued vertex by vertex (as it drew before
// it had the lists, and still does when a context gives it no list names).
//
// Each click is PickAt as the window procedure calls it, in the window and
// context that OpenSceneWindow makes through the real SDL backend, at a
// point outside the view: the whole selection pass runs and nothing is hit,
// so no box waits for an answer. The lists are measured first, since memory
// the direct drawing takes is not given back. Needs a display:
// bench/run_bench.sh, or xvfb-run, gives it a virtual one.
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/gdi32.h"
#include "platform/user32.h"
#include "scene/draw_scene.h"
#include "scene/picking.h"
#include "scene/scene_lists.h"
#include "shell/scene_window.h"

namespace {

const int kPicks = 1000;
const int kWarmUpPicks = 100;
const double kLimitMb = 8.0;

long resident_kb()
{
    long pages = 0, resident = 0;
    FILE *f = fopen("/proc/self/statm", "r");
    if (f == nullptr)
        return -1;
    int got = fscanf(f, "%ld %ld", &pages, &resident);
    fclose(f);
    return got == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

void pump_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Resident growth in MB over kPicks clicks, each followed by a frame as the
// loop would draw one, after a warm-up that lets the allocators settle.
double growth_over_picks()
{
    for (int pick = 0; pick < kWarmUpPicks; ++pick) {
        PickAt(-50, -50);
        DrawScene();
        SwapBuffers(device_context);
    }
    pump_messages();
    long before = resident_kb();
    for (int pick = 0; pick < kPicks; ++pick) {
        PickAt(-50, -50);
        DrawScene();
        SwapBuffers(device_context);
        if (pick % 50 == 0)
            pump_messages();
    }
    pump_messages();
    long after = resident_kb();
    return before < 0 || after < 0 ? -1.0 : (after - before) / 1024.0;
}

}  // namespace

int main()
{
    const char *display = getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        fprintf(stderr, "pick_memory_bench: needs a display (run it through bench/run_bench.sh "
                        "or xvfb-run)\n");
        return 1;
    }
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    if (chdir(GROUP_G_RUN_DIR) != 0) {
        fprintf(stderr, "pick_memory_bench: no run folder %s\n", GROUP_G_RUN_DIR);
        return 1;
    }
    if (!OpenSceneWindow("OpenGL Team Tarsel", 640, 480, 16, false))
        return 1;
    pump_messages();
    printf("pick memory: %d clicks outside the view (the whole selection pass, no box),\n"
           "each followed by a frame, 640x480 on %s\n",
           kPicks, (const char *)glGetString(GL_RENDERER));

    long start = resident_kb();
    double with_lists = growth_over_picks();
    DeleteSceneLists();
    double direct = growth_over_picks();
    CloseSceneWindow();

    printf("%-50s %12s\n", "", "resident MB");
    printf("%-50s %12.1f\n", "after start-up", start / 1024.0);
    printf("%-50s %12.1f\n", "growth, geometry from lists (the program)", with_lists);
    printf("%-50s %12.1f\n", "growth, geometry issued directly (the old drawing)", direct);
    printf("target pick_memory: %.1f MB vs limit %.1f MB: %s\n", with_lists, kLimitMb,
           with_lists >= 0 && with_lists <= kLimitMb ? "met" : "missed");
    return 0;
}
