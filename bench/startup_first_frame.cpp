// Linked into a copy of the program with --wrap for the calls that mark the
// steps of its start: the first presented frame ends the process at once, so
// the process's lifetime is the time from start to the first frame on
// screen. Before it ends, it writes when each step began and ended (the
// monotonic clock, in milliseconds) to standard error, one line a step, for
// startup_bench's breakdown:
//   STEP <name> <begin> <end>
// A step that runs several times (the five pictures) is reported from its
// first begin to its last end. The program's own procedures have C++
// linkage, so they are wrapped by their mangled names.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "assets/bmp_loader.h"
#include "platform/gdi32.h"
#include "platform/user32.h"
#include "platform/wgl.h"
#include "startup_clock.h"

namespace {

struct Step {
    const char *name;
    double begin;
    double end;
};

// In the order they happen in a start.
Step steps[] = {
    {"loaded", 0, 0},          // the dynamic loader done, static objects made
    {"window", 0, 0},          // CreateWindowExA: the window system starts
    {"context", 0, 0},         // pixel format, GL context, made current
    {"font", 0, 0},            // CreateFontA to the glyph lists
    {"pictures", 0, 0},        // the five LoadBmpImage calls
    {"first_draw", 0, 0},      // the first DrawScene
    {"present", 0, 0},         // the first SwapBuffers
};

Step &step(const char *name)
{
    for (Step &s : steps)
        if (strcmp(s.name, name) == 0)
            return s;
    return steps[0];
}

void begin(const char *name)
{
    Step &s = step(name);
    if (s.begin == 0)
        s.begin = now_ms();
}

void end(const char *name)
{
    step(name).end = now_ms();
}

__attribute__((constructor)) void mark_loaded()
{
    steps[0].begin = steps[0].end = now_ms();
}

}  // namespace

extern "C" {

HWND __real_CreateWindowExA(DWORD, const char *, const char *, DWORD, int, int, int, int,
                            HWND, HMENU, HINSTANCE, void *);
HWND __wrap_CreateWindowExA(DWORD ex_style, const char *class_name, const char *title,
                            DWORD style, int x, int y, int width, int height, HWND parent,
                            HMENU menu, HINSTANCE instance, void *param)
{
    begin("window");
    HWND window = __real_CreateWindowExA(ex_style, class_name, title, style, x, y, width,
                                         height, parent, menu, instance, param);
    end("window");
    return window;
}

BOOL __real_SetPixelFormat(HDC, int, const PIXELFORMATDESCRIPTOR *);
BOOL __wrap_SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *request)
{
    begin("context");
    return __real_SetPixelFormat(dc, format, request);
}

BOOL __real_wglMakeCurrent(HDC, HGLRC);
BOOL __wrap_wglMakeCurrent(HDC dc, HGLRC context)
{
    BOOL made = __real_wglMakeCurrent(dc, context);
    if (context != nullptr)
        end("context");
    return made;
}

HFONT __real_CreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                         DWORD, DWORD, const char *);
HFONT __wrap_CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strike_out, DWORD char_set,
                         DWORD out_precision, DWORD clip_precision, DWORD quality,
                         DWORD pitch_and_family, const char *face)
{
    begin("font");
    return __real_CreateFontA(height, width, escapement, orientation, weight, italic,
                              underline, strike_out, char_set, out_precision,
                              clip_precision, quality, pitch_and_family, face);
}

BOOL __real_wglUseFontOutlinesA(HDC, DWORD, DWORD, DWORD, FLOAT, FLOAT, int,
                                GLYPHMETRICSFLOAT *);
BOOL __wrap_wglUseFontOutlinesA(HDC dc, DWORD first, DWORD count, DWORD list_base,
                                FLOAT deviation, FLOAT extrusion, int format,
                                GLYPHMETRICSFLOAT *metrics)
{
    BOOL built = __real_wglUseFontOutlinesA(dc, first, count, list_base, deviation,
                                            extrusion, format, metrics);
    end("font");
    return built;
}

}  // extern "C"

extern "C" RgbImage *__real__Z12LoadBmpImagePKc(const char *path);
extern "C" RgbImage *__wrap__Z12LoadBmpImagePKc(const char *path)
{
    begin("pictures");
    RgbImage *image = __real__Z12LoadBmpImagePKc(path);
    end("pictures");
    return image;
}

extern "C" int __real__Z9DrawScenev(void);
extern "C" int __wrap__Z9DrawScenev(void)
{
    begin("first_draw");
    int result = __real__Z9DrawScenev();
    end("first_draw");
    return result;
}

extern "C" BOOL __real_SwapBuffers(HDC dc);
extern "C" BOOL __wrap_SwapBuffers(HDC dc)
{
    begin("present");
    BOOL presented = __real_SwapBuffers(dc);
    end("present");
    for (const Step &s : steps)
        fprintf(stderr, "STEP %s %.3f %.3f\n", s.name, s.begin, s.end);
    fflush(stderr);
    _exit(presented ? 0 : 1);
}
