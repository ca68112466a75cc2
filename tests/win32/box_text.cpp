// box_text, run under Wine beside the program: reads a message box's text
// back from the box itself, as the system holds it, whatever font draws it.
//   box_text TITLE [SECONDS]   waits up to SECONDS (10) for a box called
//                              TITLE and prints its text in UTF-8, as it is;
//                              exit status 1 when none appeared
//   box_text --code-page       prints the system's ANSI code page
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// The class of dialog boxes, message boxes among them, and the control that
// holds a message box's text.
const wchar_t kDialogClass[] = L"#32770";
const int kTextControl = 0xFFFF;

int main(int argc, char **argv)
{
    _setmode(_fileno(stdout), _O_BINARY);  // the text's own line ends, not CR LF
    if (argc == 2 && strcmp(argv[1], "--code-page") == 0) {
        printf("%u", GetACP());
        return 0;
    }
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: box_text TITLE [SECONDS] | box_text --code-page\n");
        return 2;
    }
    wchar_t title[256] = L"";
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, title, 256);
    DWORD limit = (argc == 3 ? static_cast<DWORD>(atoi(argv[2])) : 10) * 1000;
    DWORD start = GetTickCount();
    HWND box = nullptr;
    // A box is filled in before it is shown: once visible, its text is there.
    while ((box = FindWindowW(kDialogClass, title)) == nullptr || !IsWindowVisible(box)) {
        if (GetTickCount() - start > limit) {
            fprintf(stderr, "box_text: no box called %s\n", argv[1]);
            return 1;
        }
        Sleep(50);
    }
    wchar_t text[1024];
    char utf8[4096];
    int length = GetDlgItemTextW(box, kTextControl, text, 1024);
    fwrite(utf8, 1, WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8, nullptr, nullptr),
           stdout);
    return 0;
}
