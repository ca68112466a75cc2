// Modal message boxes over SDL2. Texts arrive in code page 949 and are shown
// as UTF-8. Return picks the first button and Escape the last, as users
// expect of a desktop dialog. Clicks that landed on the owner while the box
// was up are dropped, since the owner takes no input during a modal box.
#include <cstdio>

#include "platform/sdl/sdl_state.h"

int MessageBoxA(HWND owner, const char *text, const char *caption, UINT type)
{
    std::string utf8_text = Cp949ToUtf8(text);
    std::string utf8_caption = Cp949ToUtf8(caption);

    SDL_MessageBoxButtonData buttons[2];
    int button_count;
    if ((type & MB_TYPEMASK) == MB_YESNO) {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"};
        button_count = 2;
    } else if ((type & MB_TYPEMASK) == MB_OKCANCEL) {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"};
        buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"};
        button_count = 2;
    } else {
        buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                          SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                      IDOK, "OK"};
        button_count = 1;
    }

    Uint32 flags = 0;
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: flags = SDL_MESSAGEBOX_ERROR; break;
    case MB_ICONEXCLAMATION: flags = SDL_MESSAGEBOX_WARNING; break;
    case MB_ICONINFORMATION: flags = SDL_MESSAGEBOX_INFORMATION; break;
    }

    SDL_MessageBoxData data = {};
    data.flags = flags;
    data.window = owner != nullptr ? owner->sdl : nullptr;
    data.title = utf8_caption.c_str();
    data.message = utf8_text.c_str();
    data.numbuttons = button_count;
    data.buttons = buttons;

    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        // No box can be shown (no display, no font): the text still reaches
        // the user on the terminal, and the default button answers.
        fprintf(stderr, "%s: %s\n", utf8_caption.c_str(), utf8_text.c_str());
        pressed = buttons[0].buttonid;
    } else if (pressed < 0) {
        pressed = buttons[button_count - 1].buttonid;  // closed without a choice
    }

    if (Sdl().video_ready) {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP);
    }
    return pressed;
}
