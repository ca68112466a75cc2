// A message box's texts, icon, buttons and answers from its MessageBoxA
// arguments. Pure: no window system, so the command-line tools' backend
// shares it as well.
#include "platform/core/core_message_box.h"

#include "platform/platform_internal.h"

BoxLayout DescribeMessageBox(const char *text, const char *caption, UINT type)
{
    BoxLayout box;
    box.text = Cp949ToUtf8(text != nullptr ? text : "");
    box.caption = Cp949ToUtf8(caption != nullptr ? caption : "");

    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: box.icon = kBoxStop; break;
    case MB_ICONEXCLAMATION: box.icon = kBoxExclamation; break;
    case MB_ICONINFORMATION: box.icon = kBoxInformation; break;
    default: box.icon = kBoxNoIcon; break;
    }

    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        box.buttons[0] = {"Yes", IDYES};
        box.buttons[1] = {"No", IDNO};
        box.button_count = 2;
        break;
    case MB_OKCANCEL:
        box.buttons[0] = {"OK", IDOK};
        box.buttons[1] = {"Cancel", IDCANCEL};
        box.button_count = 2;
        break;
    default:
        box.buttons[0] = {"OK", IDOK};
        box.buttons[1] = box.buttons[0];
        box.button_count = 1;
        break;
    }
    box.return_answer = box.buttons[0].answer;
    box.escape_answer = box.buttons[box.button_count - 1].answer;
    return box;
}

std::string BoxAsLine(const BoxLayout &layout)
{
    std::string line = layout.caption + ": " + layout.text;
    // Some texts bring their own line feed; every box ends one line.
    if (line.back() != '\n')
        line += '\n';
    return line;
}
