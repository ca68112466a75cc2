// Window system operations: window class and window, the message queue with
// its default handling, display modes, the cursor, focus and message boxes.
// Implemented over SDL2 for the program, and by a recording backend for tests;
// on Windows they are the system's own, message boxes aside (see below).
#pragma once

#ifdef _WIN32
#include "win_types.h"

// MessageBoxA reads its texts in the system's ANSI code page, as the file
// names in them come; the Korean team texts are code page 949 bytes whatever
// that code page is, and go to MessageBoxCp949, which converts them itself.
// Each executable provides both (platform/win32/): the program shows boxes,
// the command-line tools write lines on standard error, so the program's
// MessageBoxA calls go through a name of the executable's own.
int MessageBoxAnsi(HWND owner, const char *text, const char *caption, UINT type);
int MessageBoxCp949(HWND owner, const char *text, const char *caption, UINT type);
#define MessageBoxA MessageBoxAnsi

// The system's CharNextA knows the lead bytes of the double-byte code pages
// only and steps through UTF-8, the programs' ANSI code page where the
// system offers it (program.manifest), byte by byte: the program's calls go
// to a step of its own that takes whole UTF-8 characters there
// (platform/win32/win32_text.cpp).
char *CharNextAnsi(const char *text);
#define CharNextA CharNextAnsi
#else
#include "win_types.h"

// The operations have C linkage, as the platform's own do.
extern "C" {

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char *lpszMenuName;
    const char *lpszClassName;
};

#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_OWNDC 0x0020u

#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_VISIBLE 0x10000000u
#define WS_CAPTION 0x00C00000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW                                                    \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | \
     WS_MAXIMIZEBOX)
#define WS_EX_WINDOWEDGE 0x00000100u
#define WS_EX_APPWINDOW 0x00040000u

#define SW_HIDE 0
#define SW_SHOW 5

// Stock resources, named by small integers as the platform does.
#define IDI_WINLOGO ((const char *)(uintptr_t)32517)
#define IDC_ARROW ((const char *)(uintptr_t)32512)

// Display-mode request: the 148-byte record, of which only the fields below
// are ever filled; the rest is kept as padding so the size stays right.
struct DEVMODEA {
    BYTE dmDeviceName[32];
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;
    WORD dmDriverExtra;
    DWORD dmFields;
    BYTE dmUnion[16];
    short dmColor;
    short dmDuplex;
    short dmYResolution;
    short dmTTOption;
    short dmCollate;
    BYTE dmFormName[32];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFlags;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
};
static_assert(sizeof(DEVMODEA) == 148, "DEVMODEA keeps the platform's size");

#define DM_BITSPERPEL 0x00040000u
#define DM_PELSWIDTH 0x00080000u
#define DM_PELSHEIGHT 0x00100000u
#define CDS_FULLSCREEN 0x00000004u
#define DISP_CHANGE_SUCCESSFUL 0
#define DISP_CHANGE_FAILED (-1)
#define DISP_CHANGE_BADMODE (-2)

HMODULE GetModuleHandleA(const char *module_name);
HICON LoadIconA(HINSTANCE instance, const char *name);
HCURSOR LoadCursorA(HINSTANCE instance, const char *name);
WORD RegisterClassA(const WNDCLASSA *window_class);
BOOL UnregisterClassA(const char *class_name, HINSTANCE instance);
BOOL AdjustWindowRectEx(RECT *rect, DWORD style, BOOL menu, DWORD ex_style);
HWND CreateWindowExA(DWORD ex_style, const char *class_name, const char *title,
                     DWORD style, int x, int y, int width, int height,
                     HWND parent, HMENU menu, HINSTANCE instance, void *param);
BOOL DestroyWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL SetForegroundWindow(HWND window);
HWND SetFocus(HWND window);
HWND GetFocus(void);
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

BOOL PeekMessageA(MSG *msg, HWND window, UINT filter_min, UINT filter_max,
                  UINT remove);
BOOL TranslateMessage(const MSG *msg);
LRESULT DispatchMessageA(const MSG *msg);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void PostQuitMessage(int exit_code);

// Texts in the system's own encoding, UTF-8 here: the English texts and the
// file names they carry. Bytes that are not UTF-8 are shown as \xNN.
int MessageBoxA(HWND owner, const char *text, const char *caption, UINT type);
// The same box for texts in code page 949 (the Korean team texts), shown
// converted whatever the system's encoding is.
int MessageBoxCp949(HWND owner, const char *text, const char *caption, UINT type);

// The next character of a text in the system's own encoding (UTF-8 here);
// the terminator itself at the end.
char *CharNextA(const char *text);

LONG ChangeDisplaySettingsA(DEVMODEA *mode, DWORD flags);
int ShowCursor(BOOL show);

// wsprintfA: bounded formatting into a caller's buffer of at most 1024 bytes.
int wsprintfA(char *buffer, const char *format, ...);

}  // extern "C"
#endif  // _WIN32
