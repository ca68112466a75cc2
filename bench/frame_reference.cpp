// frame_reference: the scene's frame as a bare SDL2 program issues it, the
// baseline for frame_bench and startup_bench. One SDL window and context, the
// program's fixed state and lists (glyph outlines from the platform's builder,
// pictures as the program uploads them), each frame's GL calls in a row, then
// a swap; no window procedure, loop or scene code.
//   frame_reference PICTURES FIRST_FRAME_OUT: writes the first frame, prints
//   "ready", then times each "run SECONDS" read on its input (window at x=640).
//   frame_reference --first-frame: the start-up reference, run as the program
//   is; reports its steps on stderr and ends after the first frame.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/bmp_loader.h"
#include "platform/gdi32.h"
#include "platform/platform_internal.h"
#include "platform/wgl.h"
#include "startup_clock.h"

namespace {

const int kWidth = 640;
const int kHeight = 480;

GLUquadric *quadric;
GLuint glyph_base;
// Filled, textured spheres of 24 and 12 subdivisions, then the backdrop.
GLuint geometry_base;
float title_spin, center_spin, togo_orbit, togo_spin;
float france_orbit = 120.0f, france_spin, swiss_orbit = 240.0f, swiss_spin;

struct Picture {
    int32_t width, height;
    std::vector<unsigned char> rgb;
};

// When each step of a start began and ended.
struct Step {
    const char *name;
    double begin, end;
};
Step steps[] = {{"loaded", 0, 0},   {"window", 0, 0},     {"context", 0, 0}, {"font", 0, 0},
                {"pictures", 0, 0}, {"first_draw", 0, 0}, {"present", 0, 0}};
bool timing_steps = false;

void mark(const char *name, bool begins)
{
    if (!timing_steps)
        return;
    for (Step &s : steps)
        if (strcmp(s.name, name) == 0)
            (begins ? s.begin : s.end) = now_ms();
}

__attribute__((constructor)) void mark_loaded()
{
    steps[0].begin = steps[0].end = now_ms();
}

// The five pictures in the folder, in the lists' order, as the program
// reads them.
bool load_pictures(Picture out[5])
{
    static const char *const kFiles[5] = {"KOREA.bmp", "TOGO.bmp", "BACK.bmp", "FRANCE.bmp",
                                          "SWIS.bmp"};
    for (int i = 0; i < 5; ++i) {
        RgbImage *image = LoadBmpImage(kFiles[i]);
        if (image == nullptr)
            return false;
        out[i].width = image->width;
        out[i].height = image->height;
        out[i].rgb.assign(image->pixels, image->pixels + (size_t)image->width * image->height * 3);
        free(image->pixels);
        free(image);
    }
    return true;
}

bool read_pictures(const char *path, Picture out[5])
{
    FILE *f = fopen(path, "rb");
    if (f == nullptr)
        return false;
    bool ok = true;
    for (int i = 0; i < 5 && ok; ++i) {
        ok = fread(&out[i].width, 4, 1, f) == 1 && fread(&out[i].height, 4, 1, f) == 1 &&
             out[i].width > 0 && out[i].height > 0 && out[i].width <= 16384 &&
             out[i].height <= 16384;
        if (ok) {
            out[i].rgb.resize((size_t)out[i].width * out[i].height * 3);
            ok = fread(out[i].rgb.data(), 1, out[i].rgb.size(), f) == out[i].rgb.size();
        }
    }
    fclose(f);
    return ok;
}

SDL_Window *open_window(int x)
{
    mark("window", true);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return nullptr;
    SDL_Window *window = nullptr;
    // The program's request: 5-6-5 colour, 16-bit depth, double buffered,
    // taking whatever colour the display has when it cannot be met.
    for (int attempt = 0; attempt < 2 && window == nullptr; ++attempt) {
        SDL_GL_ResetAttributes();
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, attempt == 0 ? 5 : 0);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, attempt == 0 ? 6 : 0);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, attempt == 0 ? 5 : 0);
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window = SDL_CreateWindow("frame reference", x, 0, kWidth, kHeight, SDL_WINDOW_OPENGL);
    }
    mark("window", false);
    mark("context", true);
    if (window == nullptr || SDL_GL_CreateContext(window) == nullptr)
        return nullptr;
    mark("context", false);
    return window;
}

// With `pictures` null, they are read from the folder once the glyphs are
// built, where the program reads them.
bool set_up_scene(Picture *pictures)
{
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, (double)kWidth / kHeight, (double)0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHT0);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    quadric = gluNewQuadric();
    if (quadric == nullptr)
        return false;
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    gluQuadricTexture(quadric, GL_FALSE);

    // Names 1 to 5 are held for the texture lists, so the glyphs get the
    // same names as in the program.
    for (GLuint name = 1; name <= 5; ++name) {
        glNewList(name, GL_COMPILE);
        glEndList();
    }
    mark("font", true);
    glyph_base = glGenLists(96);
    static PlatformDC dc{};
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, HANGUL_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             FF_DONTCARE | DEFAULT_PITCH, "Comic Sans MS");
    SelectObject(&dc, font);
    static GLYPHMETRICSFLOAT metrics[96];
    if (!wglUseFontOutlinesA(&dc, 32, 96, glyph_base, 0.1f, 0.5f, WGL_FONT_POLYGONS, metrics))
        return false;
    mark("font", false);
    glEnable(GL_LIGHTING);

    static Picture loaded[5];
    if (pictures == nullptr) {
        mark("pictures", true);
        if (!load_pictures(loaded))
            return false;
        mark("pictures", false);
        pictures = loaded;
    }

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (GLuint list = 1; list <= 5; ++list) {
        const Picture &p = pictures[list - 1];
        glNewList(list, GL_COMPILE);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, p.width, p.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     p.rgb.data());
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    geometry_base = glGenLists(3);
    gluQuadricTexture(quadric, GL_TRUE);
    for (int i = 0; i < 2; ++i) {
        glNewList(geometry_base + i, GL_COMPILE);
        gluSphere(quadric, 1.5, i == 0 ? 24 : 12, i == 0 ? 24 : 12);
        glEndList();
    }
    gluQuadricTexture(quadric, GL_FALSE);
    glNewList(geometry_base + 2, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-18.0f, -14.0f, -10.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(18.0f, -14.0f, -10.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(18.0f, 14.0f, -10.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-18.0f, 14.0f, -10.0f);
    glEnd();
    glEndList();
    glEnable(GL_TEXTURE_2D);
    return geometry_base != 0 && glGetError() == GL_NO_ERROR;
}

float step(float angle, float by, float limit)
{
    float sum = angle + by;
    return sum > limit ? 0.0f : sum;
}

// The program keeps the quadric's settings beside it to choose a list; the
// reference, always filled and textured, knows its list.
void sphere_pair(float r1, float g1, float b1, GLuint list, int n, float r2, float g2, float b2)
{
    gluQuadricDrawStyle(quadric, GLU_FILL);
    glColor3f(r1, g1, b1);
    glCallList(list);
    gluQuadricTexture(quadric, GL_TRUE);
    GLuint sphere = geometry_base + (n == 24 ? 0 : 1);
    glCallList(sphere);
    glColor3f(r2, g2, b2);
    glCallList(sphere);
}

void orbiting(GLuint name, float orbit, float spin, float r1, float g1, float b1, GLuint list,
              float r2, float g2, float b2)
{
    glPushName(name);
    glPushMatrix();
    glRotatef(orbit, 0.0f, 1.0f, 0.0f);
    glTranslatef(7.0f, 0.0f, 0.0f);
    glRotatef(spin, 0.0f, 1.0f, 0.0f);
    sphere_pair(r1, g1, b1, list, 12, r2, g2, b2);
    glPopMatrix();
    glPopName();
}

// The frame with every display switch in its starting state.
void draw_frame()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glInitNames();
    glTranslatef(0.0f, 0.0f, -22.0f);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);

    glPushName(100);
    glPushMatrix();
    glTranslatef(0.0f, 6.0f, 0.0f);
    glRotatef(title_spin, 1.0f, 1.0f, 0.0f);
    glTranslatef(-2.0f, 0.0f, 0.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    glPushAttrib(GL_LIST_BIT);
    glListBase(glyph_base - 32);
    glCallLists(9, GL_UNSIGNED_BYTE, " GROUP_G ");
    glPopAttrib();
    glPopMatrix();
    glPopName();

    glRotatef(45.0f, 1.0f, 1.0f, 0.0f);
    glPushName(101);
    glPushMatrix();
    glRotatef(center_spin, 1.0f, 1.0f, 0.0f);
    sphere_pair(0.9f, 0.0f, 0.0f, 1, 24, 0.9f, 0.9f, 0.9f);
    glPopMatrix();
    glPopName();
    orbiting(102, togo_orbit, togo_spin, 0.5f, 0.5f, 0.0f, 2, 0.9f, 0.9f, 0.0f);
    orbiting(104, france_orbit, france_spin, 0.0f, 0.0f, 0.9f, 4, 0.9f, 0.9f, 0.9f);
    orbiting(105, swiss_orbit, swiss_spin, 0.0f, 0.0f, 0.9f, 5, 0.9f, 0.9f, 0.9f);

    title_spin += 5.0f;
    if (title_spin >= 360.0f)
        title_spin -= 360.0f;
    center_spin = step(center_spin, 5.0f, 359.5f);
    togo_orbit = step(togo_orbit, 2.0f, 359.95f);
    togo_spin = step(togo_spin, 3.0f, 358.0f);
    france_orbit = step(france_orbit, 2.0f, 359.95f);
    france_spin = step(france_spin, 3.0f, 358.0f);
    swiss_orbit = step(swiss_orbit, 2.0f, 359.95f);
    swiss_spin = step(swiss_spin, 3.0f, 358.0f);

    glPushName(103);
    glPushMatrix();
    glRotatef(-45.0f, 1.0f, 1.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glCallList(3);
    glCallList(geometry_base + 2);
    glPopMatrix();
    glPopName();
}

// One pass of a minimal event loop: take what the queue holds, then draw
// and present.
void frame(SDL_Window *window)
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    draw_frame();
    SDL_GL_SwapWindow(window);
}

}  // namespace

// Mean milliseconds per frame over `seconds`, after a warm-up.
double time_frames(SDL_Window *window, double seconds, int *frames)
{
    for (int warm = 0; warm < 20; ++warm)
        frame(window);
    using Clock = std::chrono::steady_clock;
    Clock::time_point start = Clock::now();
    double elapsed = 0.0;
    *frames = 0;
    do {
        frame(window);
        ++*frames;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return elapsed * 1000.0 / *frames;
}

// The first frame of a start, as the program presents it, then the steps
// on standard error ("STEP <name> <begin> <end>") and the end.
int first_frame_only()
{
    timing_steps = true;
    SDL_Window *window = open_window(0);
    if (window == nullptr || !set_up_scene(nullptr)) {
        fprintf(stderr, "frame_reference: no first frame: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    mark("first_draw", true);
    draw_frame();
    mark("first_draw", false);
    mark("present", true);
    SDL_GL_SwapWindow(window);
    mark("present", false);
    for (const Step &s : steps)
        fprintf(stderr, "STEP %s %.3f %.3f\n", s.name, s.begin, s.end);
    fflush(stderr);
    _exit(0);
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--first-frame") == 0)
        return first_frame_only();
    if (argc != 3) {
        fprintf(stderr, "usage: frame_reference PICTURES FIRST_FRAME_OUT\n"
                        "       frame_reference --first-frame\n");
        return 2;
    }
    static Picture pictures[5];
    if (!read_pictures(argv[1], pictures)) {
        fprintf(stderr, "frame_reference: cannot read pictures from %s\n", argv[1]);
        return 1;
    }
    SDL_Window *window = open_window(kWidth);
    if (window == nullptr) {
        fprintf(stderr, "frame_reference: no GL window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);
    if (!set_up_scene(pictures)) {
        fprintf(stderr, "frame_reference: scene setup failed\n");
        return 1;
    }

    std::vector<unsigned char> first((size_t)kWidth * kHeight * 4);
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    draw_frame();
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, first.data());
    SDL_GL_SwapWindow(window);
    FILE *out = fopen(argv[2], "wb");
    if (out == nullptr || fwrite(first.data(), 1, first.size(), out) != first.size()) {
        fprintf(stderr, "frame_reference: cannot write %s\n", argv[2]);
        return 1;
    }
    fclose(out);
    printf("ready\n");
    fflush(stdout);

    char line[64];
    double seconds = 0.0;
    while (fgets(line, sizeof line, stdin) != nullptr) {
        if (sscanf(line, "run %lf", &seconds) != 1)
            continue;
        int frames = 0;
        double ms = time_frames(window, seconds, &frames);
        printf("ms_per_frame=%.4f frames=%d\n", ms, frames);
        fflush(stdout);
    }
    SDL_Quit();
    return 0;
}
