// Kernel services: read-only file mapping and local memory blocks.
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

#define LMEM_FIXED 0x0000u
#define LMEM_ZEROINIT 0x0040u

HANDLE CreateFileA(const char *path, DWORD access, DWORD share_mode,
                   void *security, DWORD creation, DWORD flags, HANDLE templ);
// The low 32 bits of the file's size; the high part goes to *size_high when
// it is given. INVALID_FILE_SIZE on failure.
DWORD GetFileSize(HANDLE file, DWORD *size_high);
HANDLE CreateFileMappingA(HANDLE file, void *security, DWORD protect,
                          DWORD size_high, DWORD size_low, const char *name);
void *MapViewOfFile(HANDLE mapping, DWORD access, DWORD offset_high,
                    DWORD offset_low, size_t length);
BOOL UnmapViewOfFile(const void *view);
BOOL CloseHandle(HANDLE object);

void *LocalAlloc(UINT flags, size_t bytes);
void *LocalFree(void *block);

}  // extern "C"
#endif  // _WIN32
