// bmpcheck's system part on POSIX: files told apart by device and inode;
// the terminal takes the bytes as they are.
#include <sys/stat.h>

#include "tools/bmpcheck_system.h"

PathKind LookAtPath(const std::string &path, FileId *id)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return PathKind::kNothing;
    *id = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    if (S_ISREG(info.st_mode))
        return PathKind::kFile;
    return S_ISDIR(info.st_mode) ? PathKind::kFolder : PathKind::kOther;
}

bool WriteText(FILE *stream, const std::string &text)
{
    fputs(text.c_str(), stream);
    return fflush(stream) == 0 && !ferror(stream);
}
