// Entry point of the presentation. With no arguments it runs the show; --help
// and --version answer on standard output without opening a window, and any
// other argument is a usage error (exit status 2), so a mistyped option is
// never silently ignored. The environment is not read.
#include <cstdio>
#include <cstring>

#include "assets/picture_path.h"
#include "shell/main_loop.h"

#ifndef GROUP_G_VERSION
#define GROUP_G_VERSION "unknown"
#endif

static void print_help(void)
{
    char folder[kPicturePathBytes];
    if (!InstalledPictureFolder(folder, sizeof folder))
        snprintf(folder, sizeof folder, "the folder installed with the program");
    printf("Usage: group_g [--help | --version]\n"
           "A 3D presentation of group G of a football tournament: four team spheres\n"
           "orbit in front of a pitch under a tumbling title.\n"
           "\n"
           "Click an object to learn about it, or move a keyboard focus to it with Tab\n"
           "(Shift+Tab back) and press Return or Space; F1 to F5 switch fullscreen,\n"
           "lighting, textures, wire-frame spheres and outlines; Esc ends the show. Every\n"
           "control is described in the manual page group_g(6), on Windows in README.txt.\n"
           "\n"
           "Pictures: KOREA.bmp, TOGO.bmp, BACK.bmp (the backdrop), FRANCE.bmp and\n"
           "SWIS.bmp are read from the current folder; a picture that is not there\n"
           "is taken from %s.\n"
           "Check pictures of your own with bmpcheck.\n"
           "\n"
           "Options:\n"
           "  --help        show this help and exit\n"
           "  --version     show the version and exit\n",
           folder);
}

static bool is_option(const char *argument, const char *option)
{
    return strcmp(argument, option) == 0;
}

// 0 once what was printed has reached standard output; 1 when it could not
// (a full disk, a closed pipe), so a failed write is not taken for success.
static int output_status(void)
{
    return fflush(stdout) == 0 && !ferror(stdout) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 1)
        return RunPresentation();
    if (argc == 2 && is_option(argv[1], "--help")) {
        print_help();
        return output_status();
    }
    if (argc == 2 && is_option(argv[1], "--version")) {
        printf("group_g %s\n", GROUP_G_VERSION);
        return output_status();
    }
    // The first argument that does not belong: a second one after a valid
    // option, or the first one itself.
    bool first_is_valid = is_option(argv[1], "--help") || is_option(argv[1], "--version");
    fprintf(stderr, "group_g: unexpected argument '%s' (group_g --help shows the usage)\n",
            argv[first_is_valid ? 2 : 1]);
    return 2;
}
