// What a message box shows and how it answers, worked out from the
// program's MessageBoxA arguments once for every backend: the texts in
// UTF-8, the icon, the buttons with their answers, and which answer Return
// and Escape give. The native box draws exactly this.
#pragma once

#include <string>

#include "platform/win_types.h"

enum BoxIcon { kBoxNoIcon, kBoxInformation, kBoxExclamation, kBoxStop };

struct BoxButton {
    const char *label;
    int answer;  // IDOK, IDYES, ...
};

struct BoxLayout {
    std::string text;     // UTF-8, line feeds kept
    std::string caption;  // UTF-8
    BoxIcon icon;
    BoxButton buttons[2];
    int button_count;
    // Return, and the default of a box that cannot be shown: the first
    // button. Escape, closing the box, and the program ending while it is
    // open: the last.
    int return_answer;
    int escape_answer;
};

// How a box's bytes are read: in the system's own encoding, UTF-8 (the
// English texts and the file names in them), or as code page 949 (the
// program's Korean texts).
enum BoxTextEncoding { kBoxTextSystem, kBoxTextCp949 };

// Null texts read as empty. Button sets other than OK, OK/Cancel and Yes/No
// are shown as OK.
BoxLayout DescribeMessageBox(const char *text, const char *caption, UINT type,
                             BoxTextEncoding encoding);

// The one line a box becomes on standard error when it cannot be shown:
// "caption: text", ending in exactly one line feed.
std::string BoxAsLine(const BoxLayout &layout);
