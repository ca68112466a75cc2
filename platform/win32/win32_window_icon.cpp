// The program's windows show the icon of its resources (program.rc.in) in
// their title bar, on the taskbar and in Alt+Tab, as the file does in
// Explorer. The program's code, the same on every platform, keeps the stock
// icon for its window class; each window of a class the program registered
// is given the resource's big and small icons here as it is created. Like
// the console handler, this installs itself when the program starts and
// needs nothing from the program's code.
#include "platform/user32.h"

namespace {

const int kIconResource = 1;

HICON resource_icon(int width_metric, int height_metric)
{
    // Shared: loaded once per size and never destroyed, as the system
    // keeps them for the process's life.
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                         MAKEINTRESOURCEA(kIconResource), IMAGE_ICON,
                                         GetSystemMetrics(width_metric),
                                         GetSystemMetrics(height_metric), LR_SHARED));
}

// Runs after each message the thread's windows are sent has been handled:
// once a window of ours has accepted its creation, before it is shown.
LRESULT CALLBACK after_message(int code, WPARAM wparam, LPARAM lparam)
{
    const CWPRETSTRUCT *sent = reinterpret_cast<const CWPRETSTRUCT *>(lparam);
    if (code == HC_ACTION && sent->message == WM_CREATE && sent->lResult != -1 &&
        reinterpret_cast<HMODULE>(GetClassLongPtrA(sent->hwnd, GCLP_HMODULE)) ==
            GetModuleHandleA(nullptr)) {
        HICON big = resource_icon(SM_CXICON, SM_CYICON);
        HICON small = resource_icon(SM_CXSMICON, SM_CYSMICON);
        if (big != nullptr)
            SendMessageA(sent->hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        if (small != nullptr)
            SendMessageA(sent->hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Static initialisation runs on the thread that later runs main and makes
// the windows; the hook watches that thread only.
const HHOOK icon_hook =
    SetWindowsHookExA(WH_CALLWNDPROCRET, after_message, nullptr, GetCurrentThreadId());

}  // namespace
