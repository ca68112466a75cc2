// Kernel services over POSIX: the program's own path from /proc, file
// attributes from stat, files opened read-only, read-only mappings of a
// whole file with mmap, and local memory blocks over malloc. Shared by every
// backend. A file handle and a mapping handle are small heap records; a view
// is the mmap address itself, remembered with its length so it can be
// unmapped. Share modes are not enforced (POSIX has no such lock) and only
// read access is offered, which is all the program asks for.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/kernel32.h"
#include "platform/platform_hooks.h"

namespace {

// Tags that tell the two kinds of handle apart, and a closed record from a
// live one, so CloseHandle can refuse a handle it did not make.
enum : uint32_t { kFileTag = 0x46494c45u, kMappingTag = 0x4d415050u, kDeadTag = 0 };

struct KernelObject {
    uint32_t tag;
    int fd;         // a file: its descriptor; a mapping: its own duplicate
    uint64_t size;  // a mapping: the length of the file when it was made
};

// A live view: the platform unmaps by address alone, mmap needs the length.
struct ViewRecord {
    const void *address;
    size_t length;
    ViewRecord *next;
};

std::mutex view_lock;
ViewRecord *live_views = nullptr;

KernelObject *object_with_tag(HANDLE handle, uint32_t tag)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return nullptr;
    KernelObject *object = static_cast<KernelObject *>(handle);
    return object->tag == tag ? object : nullptr;
}

// A new handle record owning fd; when there is no memory for it, fd is
// closed and null comes back.
KernelObject *new_object(uint32_t tag, int fd, uint64_t size)
{
    KernelObject *object = static_cast<KernelObject *>(malloc(sizeof(KernelObject)));
    if (object == nullptr) {
        close(fd);
        return nullptr;
    }
    object->tag = tag;
    object->fd = fd;
    object->size = size;
    return object;
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, char *buffer, DWORD size)
{
    if (PlatformCallFails("GetModuleFileNameA"))
        return 0;
    if (module != nullptr || buffer == nullptr || size == 0)
        return 0;
    // readlink neither terminates nor says whether it cut the path, so it
    // is given one byte more than may be kept: filling that byte means cut.
    char path[4097];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0)
        return 0;
    size_t kept = static_cast<size_t>(length);
    bool cut = kept >= sizeof path || kept >= size;
    if (kept >= size)
        kept = size - 1;
    memcpy(buffer, path, kept);
    buffer[kept] = '\0';
    return cut ? size : static_cast<DWORD>(kept);
}

DWORD GetFileAttributesA(const char *path)
{
    if (PlatformCallFails("GetFileAttributesA"))
        return INVALID_FILE_ATTRIBUTES;
    struct stat info;
    if (path == nullptr || stat(path, &info) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

HANDLE CreateFileA(const char *path, DWORD access, DWORD, void *, DWORD creation,
                   DWORD, HANDLE)
{
    if (PlatformCallFails("CreateFileA"))
        return INVALID_HANDLE_VALUE;
    if (path == nullptr || access != GENERIC_READ || creation != OPEN_EXISTING)
        return INVALID_HANDLE_VALUE;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    // open() lets a directory through; the platform's file open does not.
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    KernelObject *file = new_object(kFileTag, fd, 0);
    return file != nullptr ? file : INVALID_HANDLE_VALUE;
}

DWORD GetFileSize(HANDLE handle, DWORD *size_high)
{
    if (PlatformCallFails("GetFileSize"))
        return INVALID_FILE_SIZE;
    KernelObject *file = object_with_tag(handle, kFileTag);
    struct stat info;
    if (file == nullptr || fstat(file->fd, &info) != 0)
        return INVALID_FILE_SIZE;
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size_high != nullptr)
        *size_high = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

HANDLE CreateFileMappingA(HANDLE handle, void *, DWORD protect, DWORD size_high,
                          DWORD size_low, const char *name)
{
    if (PlatformCallFails("CreateFileMappingA"))
        return nullptr;
    KernelObject *file = object_with_tag(handle, kFileTag);
    // Only what the program uses: an unnamed read-only mapping of the whole
    // file.
    if (file == nullptr || protect != PAGE_READONLY || size_high != 0 ||
        size_low != 0 || name != nullptr)
        return nullptr;
    struct stat info;
    if (fstat(file->fd, &info) != 0 || info.st_size <= 0)
        return nullptr;  // an empty file has nothing to map, as on the platform
    // The mapping outlives the file handle if the caller closes that first.
    int fd = fcntl(file->fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    return new_object(kMappingTag, fd, static_cast<uint64_t>(info.st_size));
}

void *MapViewOfFile(HANDLE handle, DWORD access, DWORD offset_high,
                    DWORD offset_low, size_t length)
{
    if (PlatformCallFails("MapViewOfFile"))
        return nullptr;
    KernelObject *mapping = object_with_tag(handle, kMappingTag);
    if (mapping == nullptr || access != FILE_MAP_READ || offset_high != 0 ||
        offset_low != 0 || mapping->size > SIZE_MAX)
        return nullptr;
    size_t whole = static_cast<size_t>(mapping->size);
    if (length == 0)
        length = whole;
    if (length > whole)
        return nullptr;
    ViewRecord *record = static_cast<ViewRecord *>(malloc(sizeof(ViewRecord)));
    if (record == nullptr)
        return nullptr;
    // Callers read the whole view straight away; faulting it in at once is
    // much cheaper than one fault per page.
    void *view = mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                      mapping->fd, 0);
    if (view == MAP_FAILED) {
        free(record);
        return nullptr;
    }
    record->address = view;
    record->length = length;
    std::lock_guard<std::mutex> guard(view_lock);
    record->next = live_views;
    live_views = record;
    return view;
}

BOOL UnmapViewOfFile(const void *view)
{
    if (PlatformCallFails("UnmapViewOfFile"))
        return FALSE;
    ViewRecord *found = nullptr;
    {
        std::lock_guard<std::mutex> guard(view_lock);
        for (ViewRecord **link = &live_views; *link != nullptr; link = &(*link)->next) {
            if ((*link)->address == view) {
                found = *link;
                *link = found->next;
                break;
            }
        }
    }
    if (found == nullptr)
        return FALSE;
    munmap(const_cast<void *>(found->address), found->length);
    free(found);
    return TRUE;
}

BOOL CloseHandle(HANDLE handle)
{
    if (PlatformCallFails("CloseHandle"))
        return FALSE;
    KernelObject *object = object_with_tag(handle, kFileTag);
    if (object == nullptr)
        object = object_with_tag(handle, kMappingTag);
    if (object == nullptr)
        return FALSE;
    close(object->fd);
    object->tag = kDeadTag;
    free(object);
    return TRUE;
}

void *LocalAlloc(UINT flags, size_t bytes)
{
    if (PlatformCallFails("LocalAlloc"))
        return nullptr;
    // A zero-byte request still yields a block that LocalFree accepts.
    size_t size = bytes != 0 ? bytes : 1;
    if (flags & LMEM_ZEROINIT)
        return calloc(1, size);
    return malloc(size);
}

void *LocalFree(void *block)
{
    if (PlatformCallFails("LocalFree"))
        return block;  // the platform hands the block back when it fails
    free(block);
    return nullptr;
}
