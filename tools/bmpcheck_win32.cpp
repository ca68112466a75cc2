// bmpcheck's system part on Windows: files told apart by their volume's
// serial number and their index on it, read from an open handle (the C
// runtime's stat gives every file the same inode, 0). A folder is opened
// too (backup semantics), and nothing is read: the handle asks for no
// access, so a file another program holds open is still described.
#include "platform/win32/win32_text.h"
#include "platform/win_types.h"
#include "tools/bmpcheck_system.h"

PathKind LookAtPath(const std::string &path, FileId *id)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileA(path.c_str(), 0, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return PathKind::kNothing;
    BY_HANDLE_FILE_INFORMATION info;
    bool described = GetFileInformationByHandle(file, &info);
    DWORD type = GetFileType(file);
    CloseHandle(file);
    // A console, a pipe or a device has no volume to be told apart on.
    if (type != FILE_TYPE_DISK)
        return PathKind::kOther;
    if (!described)
        return PathKind::kNothing;
    *id = {info.dwVolumeSerialNumber,
           static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder
                                                              : PathKind::kFile;
}

bool WriteText(FILE *stream, const std::string &text)
{
    return WriteSystemText(stream, text.c_str());
}
