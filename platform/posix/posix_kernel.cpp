// Kernel services over POSIX, shared by every backend: the program's own
// path from /proc, file attributes from stat, files opened read-only and
// without blocking, read-only mappings of a whole file with mmap, and local
// memory blocks over malloc. A file handle and a mapping handle are small
// heap records; a view is the mmap address itself, remembered with its
// length so it can be unmapped. Only read access is offered, which is all
// the program asks for.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

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

// POSIX has no share modes: where FILE_SHARE_READ would keep writers out,
// another program may truncate a file while a view of it is read, and a read
// past the new end raises SIGBUS. The SIGBUS handler puts private zero pages
// in place of the part of a live view that the file lost and lets the read go
// on; VirtualQuery reports that part as MEM_PRIVATE rather than MEM_MAPPED,
// which is how a caller learns that its view no longer holds the file. A
// fault anywhere else goes to whatever handled SIGBUS before.
//
// A view as the fault handler sees it. Records are never freed, only reused,
// so the handler can walk the list at any moment without a lock: a record
// is published (address set) after its other fields are written.
struct ViewRecord {
    std::atomic<uintptr_t> address{0};    // 0: free for reuse
    std::atomic<size_t> length{0};        // whole pages
    std::atomic<uintptr_t> lost_from{0};  // first page replaced by zeros, or 0
    ViewRecord *next = nullptr;           // fixed once the record is listed
};

// Guards changes to the list; the fault handler only reads it.
std::mutex view_lock;
std::atomic<ViewRecord *> view_records{nullptr};
size_t page_size = 4096;
bool fault_handler_installed = false;
struct sigaction previous_bus_action;

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

// What fstat says of an open file handle; false for any other handle.
bool stat_of_file(HANDLE handle, struct stat *info)
{
    KernelObject *file = object_with_tag(handle, kFileTag);
    return file != nullptr && fstat(file->fd, info) == 0;
}

// The live view that holds `at`, or null. Safe inside the fault handler.
ViewRecord *view_holding(uintptr_t at)
{
    for (ViewRecord *r = view_records.load(std::memory_order_acquire); r != nullptr; r = r->next) {
        uintptr_t start = r->address.load(std::memory_order_acquire);
        if (start != 0 && at >= start && at - start < r->length.load(std::memory_order_relaxed))
            return r;
    }
    return nullptr;
}

// Replaces the pages of a view from the one holding `at` to the view's end
// with private zero pages. The whole rest goes at once: a file that lost
// this page has usually lost everything after it too, and the caller is
// told the view went bad whatever the rest holds.
bool replace_lost_pages(uintptr_t at)
{
    ViewRecord *view = view_holding(at);
    if (view == nullptr)
        return false;
    uintptr_t page = at & ~(static_cast<uintptr_t>(page_size) - 1);
    uintptr_t end = view->address.load(std::memory_order_relaxed) +
                    view->length.load(std::memory_order_relaxed);
    if (mmap(reinterpret_cast<void *>(page), end - page, PROT_READ,
             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED)
        return false;
    uintptr_t lost = view->lost_from.load(std::memory_order_relaxed);
    if (lost == 0 || page < lost)
        view->lost_from.store(page, std::memory_order_relaxed);
    return true;
}

void on_bus_fault(int, siginfo_t *info, void *)
{
    int interrupted_errno = errno;  // mmap may change it under the reader
    // si_code > 0: raised by the hardware for an access, not sent by kill.
    if (info->si_code > 0 && replace_lost_pages(reinterpret_cast<uintptr_t>(info->si_addr))) {
        errno = interrupted_errno;
        return;  // the access runs again and reads zeros
    }
    // Not ours. With the previous disposition back, the faulting access runs
    // again and meets it; a signal sent by someone is raised again, and
    // delivered once this handler returns.
    sigaction(SIGBUS, &previous_bus_action, nullptr);
    if (info->si_code <= 0)
        raise(SIGBUS);
}

// Called with view_lock held, before the first view is made.
bool install_fault_handler()
{
    if (fault_handler_installed)
        return true;
    long size = sysconf(_SC_PAGESIZE);
    if (size > 0)
        page_size = static_cast<size_t>(size);
    struct sigaction action;
    action.sa_sigaction = on_bus_fault;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    if (sigaction(SIGBUS, &action, &previous_bus_action) != 0)
        return false;
    fault_handler_installed = true;
    return true;
}

// Lists a new view; null when there is no memory for its record.
ViewRecord *list_view(uintptr_t address, size_t length)
{
    ViewRecord *record = nullptr;
    for (ViewRecord *r = view_records.load(std::memory_order_relaxed); r != nullptr; r = r->next) {
        if (r->address.load(std::memory_order_relaxed) == 0) {
            record = r;
            break;
        }
    }
    if (record == nullptr) {
        record = new (std::nothrow) ViewRecord();
        if (record == nullptr)
            return nullptr;
        record->next = view_records.load(std::memory_order_relaxed);
        view_records.store(record, std::memory_order_release);
    }
    record->length.store(length, std::memory_order_relaxed);
    record->lost_from.store(0, std::memory_order_relaxed);
    record->address.store(address, std::memory_order_release);
    return record;
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
    // Non-blocking, so a named pipe opens at once instead of waiting for a
    // writer; nothing here ever reads a descriptor, so the flag stays.
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
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

DWORD GetFileType(HANDLE handle)
{
    if (PlatformCallFails("GetFileType"))
        return FILE_TYPE_UNKNOWN;
    struct stat info;
    if (!stat_of_file(handle, &info))
        return FILE_TYPE_UNKNOWN;
    if (S_ISREG(info.st_mode))
        return FILE_TYPE_DISK;
    if (S_ISCHR(info.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;  // a block device, say: not a file on disk here
}

DWORD GetFileSize(HANDLE handle, DWORD *size_high)
{
    if (PlatformCallFails("GetFileSize"))
        return INVALID_FILE_SIZE;
    struct stat info;
    if (!stat_of_file(handle, &info))
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
    std::lock_guard<std::mutex> guard(view_lock);
    if (!install_fault_handler())
        return nullptr;
    // Pages come in as they are read, not all at once: a huge file with a
    // small picture in front costs only the pages the picture needs.
    void *view = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, mapping->fd, 0);
    if (view == MAP_FAILED)
        return nullptr;
    size_t pages = (length + page_size - 1) / page_size * page_size;
    if (list_view(reinterpret_cast<uintptr_t>(view), pages) == nullptr) {
        munmap(view, length);
        return nullptr;
    }
    return view;
}

BOOL UnmapViewOfFile(const void *view)
{
    if (PlatformCallFails("UnmapViewOfFile"))
        return FALSE;
    std::lock_guard<std::mutex> guard(view_lock);
    uintptr_t address = reinterpret_cast<uintptr_t>(view);
    for (ViewRecord *r = view_records.load(std::memory_order_relaxed); r != nullptr; r = r->next) {
        if (address != 0 && r->address.load(std::memory_order_relaxed) == address) {
            // Off the list first: once unmapped, the range may be anyone's.
            r->address.store(0, std::memory_order_release);
            munmap(const_cast<void *>(view), r->length.load(std::memory_order_relaxed));
            return TRUE;
        }
    }
    return FALSE;
}

size_t VirtualQuery(const void *address, MEMORY_BASIC_INFORMATION *info, size_t length)
{
    if (PlatformCallFails("VirtualQuery"))
        return 0;
    if (info == nullptr || length < sizeof(*info))
        return 0;
    std::lock_guard<std::mutex> guard(view_lock);
    // Only views are described: they are all the program asks about.
    ViewRecord *view = view_holding(reinterpret_cast<uintptr_t>(address));
    if (view == nullptr)
        return 0;
    uintptr_t start = view->address.load(std::memory_order_relaxed);
    uintptr_t end = start + view->length.load(std::memory_order_relaxed);
    uintptr_t lost = view->lost_from.load(std::memory_order_relaxed);
    if (lost == 0)
        lost = end;
    uintptr_t page =
        reinterpret_cast<uintptr_t>(address) & ~(static_cast<uintptr_t>(page_size) - 1);
    bool mapped = page < lost;
    info->BaseAddress = reinterpret_cast<void *>(page);
    info->AllocationBase = reinterpret_cast<void *>(start);
    info->AllocationProtect = PAGE_READONLY;
    info->RegionSize = (mapped ? lost : end) - page;
    info->State = MEM_COMMIT;
    info->Protect = PAGE_READONLY;
    info->Type = mapped ? MEM_MAPPED : MEM_PRIVATE;
    return sizeof(*info);
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
