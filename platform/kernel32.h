// Kernel services: the program's own file name, file attributes, read-only
// file mapping, what a file or a view is, and local memory blocks.
#pragma once

#ifdef _WIN32
// The system's own declarations, through windows.h.
#include "win_types.h"
#else
#include "win_types.h"

// The operations have C linkage, as the platform's own do.
extern "C" {

#define GENERIC_READ 0x80000000u
#define FILE_SHARE_READ 0x00000001u
#define OPEN_EXISTING 3
#define PAGE_READONLY 0x02
#define FILE_MAP_READ 0x0004
#define INVALID_FILE_SIZE 0xFFFFFFFFu

#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u

#define FILE_TYPE_UNKNOWN 0x0000u
#define FILE_TYPE_DISK 0x0001u
#define FILE_TYPE_CHAR 0x0002u
#define FILE_TYPE_PIPE 0x0003u

#define MEM_COMMIT 0x00001000u
#define MEM_PRIVATE 0x00020000u
#define MEM_MAPPED 0x00040000u

// One run of pages with the same state, as VirtualQuery describes it.
struct MEMORY_BASIC_INFORMATION {
    void *BaseAddress;
    void *AllocationBase;
    DWORD AllocationProtect;
    size_t RegionSize;
    DWORD State;
    DWORD Protect;
    DWORD Type;
};

#define LMEM_FIXED 0x0000u
#define LMEM_ZEROINIT 0x0040u

// The full path of the running program's file (module must be null). The
// count of characters copied, without the terminator; `size` when the path
// was cut to fit; 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, char *buffer, DWORD size);
// What kind of thing `path` names, or INVALID_FILE_ATTRIBUTES when nothing
// can be found there.
DWORD GetFileAttributesA(const char *path);

HANDLE CreateFileA(const char *path, DWORD access, DWORD share_mode,
                   void *security, DWORD creation, DWORD flags, HANDLE templ);
// The low 32 bits of the file's size; the high part goes to *size_high when
// it is given. INVALID_FILE_SIZE on failure.
DWORD GetFileSize(HANDLE file, DWORD *size_high);
// FILE_TYPE_DISK for a file on disk; FILE_TYPE_PIPE, FILE_TYPE_CHAR or
// FILE_TYPE_UNKNOWN for anything else that can be opened.
DWORD GetFileType(HANDLE file);
HANDLE CreateFileMappingA(HANDLE file, void *security, DWORD protect,
                          DWORD size_high, DWORD size_low, const char *name);
void *MapViewOfFile(HANDLE mapping, DWORD access, DWORD offset_high,
                    DWORD offset_low, size_t length);
BOOL UnmapViewOfFile(const void *view);
// Describes the run of pages that starts at `address`'s page: a view of a
// file is MEM_MAPPED. Returns the bytes written to *info, 0 on failure.
size_t VirtualQuery(const void *address, MEMORY_BASIC_INFORMATION *info, size_t length);
BOOL CloseHandle(HANDLE object);

void *LocalAlloc(UINT flags, size_t bytes);
void *LocalFree(void *block);

}  // extern "C"
#endif  // _WIN32
