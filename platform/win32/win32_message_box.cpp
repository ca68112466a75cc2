// Message boxes of the Windows build: the English texts, with the file
// names in them, go to the system's MessageBoxA unchanged (ANSI code page);
// the code page 949 texts are converted and shown with MessageBoxW, so the
// Korean team texts read right on a Windows of any language. Owner,
// buttons, icon and answer are the system's, unchanged.
#include "platform/user32.h"
#include "platform/win32/win32_text.h"

// The system's own call from here on (user32.h renames the program's).
#undef MessageBoxA

int MessageBoxAnsi(HWND owner, const char *text, const char *caption, UINT type)
{
    return MessageBoxA(owner, text, caption, type);
}

int MessageBoxCp949(HWND owner, const char *text, const char *caption, UINT type)
{
    std::wstring wide_text = Cp949ToWide(text);
    std::wstring wide_caption = Cp949ToWide(caption);
    // A null caption keeps its meaning: the system's own "Error".
    return MessageBoxW(owner, wide_text.c_str(),
                       caption != nullptr ? wide_caption.c_str() : nullptr, type);
}
