// box_text: the end-to-end tests' window into the Windows build's message
// boxes, run under Wine beside the program. Reads the text of a box back
// from the box itself, as the system holds it, so a test sees what a reader
// of the box sees whatever font draws it.
//
//   box_text TITLE [SECONDS]   waits up to SECONDS (10) for a message box
//                              called TITLE and prints its text as UTF-16
//                              code units in hex ("B300 D55C 000A ..."), one
//                              line; exit status 1 when none appeared
//   box_text --code-page       prints the system's ANSI code page
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The class of dialog boxes, message boxes among them, and the control that
// holds a message box's text.
const wchar_t kDialogClass[] = L"#32770";
const int kTextControl = 0xFFFF;

std::wstring widen(const char *text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--code-page") == 0) {
        printf("%u\n", GetACP());
        return 0;
    }
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: box_text TITLE [SECONDS] | box_text --code-page\n");
        return 2;
    }
    std::wstring title = widen(argv[1]);
    DWORD limit = (argc == 3 ? static_cast<DWORD>(atoi(argv[2])) : 10) * 1000;
    DWORD start = GetTickCount();
    HWND box = nullptr;
    // A box is filled in before it is shown: once visible, its text is there.
    while ((box = FindWindowW(kDialogClass, title.c_str())) == nullptr || !IsWindowVisible(box)) {
        if (GetTickCount() - start > limit) {
            fprintf(stderr, "box_text: no box called %s\n", argv[1]);
            return 1;
        }
        Sleep(50);
    }
    wchar_t text[1024];
    UINT length = GetDlgItemTextW(box, kTextControl, text, 1024);
    for (UINT i = 0; i < length; i++)
        printf(i == 0 ? "%04X" : " %04X", static_cast<unsigned>(text[i]));
    printf("\n");
    return 0;
}
