// Ctrl+C or Ctrl+Break in the console the program runs in, or closing that
// console, closes the program's windows the way their close buttons do, so
// the program ends through its own close handling with exit code 0 rather
// than being cut off by the system. This is the Windows counterpart of the
// stand-in's handling of an interrupt; it installs itself when the program
// starts and needs nothing from the program's code.
#include "platform/user32.h"

namespace {

// Static initialisation runs on the thread that later runs main, which owns
// every window of the program.
const DWORD program_thread = GetCurrentThreadId();

BOOL CALLBACK post_close(HWND window, LPARAM posted)
{
    if (PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0))
        ++*reinterpret_cast<int *>(posted);
    return TRUE;
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI on_console_event(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    int posted = 0;
    EnumThreadWindows(program_thread, post_close, reinterpret_cast<LPARAM>(&posted));
    // With no window yet there is nothing to close: the system's default
    // handling ends the process.
    if (posted == 0)
        return FALSE;
    // The system ends the process as soon as a close event's handler
    // returns; waiting here lets the program finish first (its own end
    // ends this thread too). The system's time limit still applies.
    if (event == CTRL_CLOSE_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

const BOOL handler_installed = SetConsoleCtrlHandler(on_console_event, TRUE);

}  // namespace
