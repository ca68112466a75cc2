// Finds a picture in the working folder or in the installed pictures'
// folder. Relies on the platform for the program's own file name and for
// file attributes; opens and reads nothing itself. The installed folder is
// found from the program's own file rather than fixed at build time, so an
// installation works wherever its prefix was put.
#include "assets/picture_path.h"

#include <cstdio>
#include <cstring>

#include "platform/kernel32.h"

#ifndef GROUP_G_PICTURE_FOLDER
#define GROUP_G_PICTURE_FOLDER "."
#endif

const char *installed_picture_folder = GROUP_G_PICTURE_FOLDER;

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// True when `path` names something that is not a folder.
bool is_file(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Steps over one leading "name" segment of `path` and the separator after
// it; null when the path does not start with that segment.
const char *after_segment(const char *path, const char *name)
{
    size_t length = strlen(name);
    if (strncmp(path, name, length) != 0)
        return nullptr;
    if (path[length] == '\0')
        return path + length;
    return is_separator(path[length]) ? path + length + 1 : nullptr;
}

}  // namespace

int InstalledPictureFolder(char *buffer, size_t size)
{
    char program[kPicturePathBytes];
    DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return 0;

    // The program's folder is program[0, end): its path up to the last
    // separator, which is kept to join the rest with.
    size_t end = length;
    while (end > 0 && !is_separator(program[end - 1]))
        end--;
    if (end == 0)
        return 0;
    char separator = program[--end];

    // Leading "." and ".." segments are resolved against the program's
    // folder, so the path shown to users reads /usr/share/... rather than
    // /usr/games/../share/.... The program's path has no links to undo.
    // The first segment (the root, or a drive) is never taken off: any ".."
    // left then stays in the path as given.
    const char *rest = installed_picture_folder;
    for (;;) {
        const char *next = after_segment(rest, ".");
        if (next == nullptr) {
            next = after_segment(rest, "..");
            size_t cut = end;
            while (cut > 0 && !is_separator(program[cut - 1]))
                cut--;
            if (next == nullptr || cut == 0)
                break;
            end = cut - 1;
        }
        rest = next;
    }

    int written;
    if (*rest == '\0' && end == 0)
        written = snprintf(buffer, size, "%c", separator);
    else if (*rest == '\0')
        written = snprintf(buffer, size, "%.*s", static_cast<int>(end), program);
    else
        written = snprintf(buffer, size, "%.*s%c%s", static_cast<int>(end), program, separator,
                           rest);
    return written > 0 && static_cast<size_t>(written) < size;
}

const char *PicturePath(const char *name, char *buffer, size_t size)
{
    if (is_file(name))
        return name;
    char folder[kPicturePathBytes];
    if (!InstalledPictureFolder(folder, sizeof folder))
        return name;
    int written = snprintf(buffer, size, "%s/%s", folder, name);
    if (written <= 0 || static_cast<size_t>(written) >= size || !is_file(buffer))
        return name;
    return buffer;
}
