// The scene window's procedure. It runs inside PeekMessageA and
// DispatchMessageA, and also inside the platform calls that create or
// destroy the window or show a modal box, so what it writes can change
// during those calls.
#include "shell/window_procedure.h"

#include "assets/outline_font.h"
#include "platform/user32.h"
#include "scene/draw_scene.h"
#include "scene/picking.h"
#include "scene/render_setup.h"

bool key_down[256];
bool key_pressed[256];
unsigned int focused_object = kNoFocus;

// The objects a click can name, in the order the scene draws them, which
// is the order Tab visits them in.
static const unsigned int kFocusOrder[] = {kTitleName, kKoreaName, kTogoName,
                                           kFranceName, kSwissName, kBackdropName};
static const int kFocusCount = (int)(sizeof kFocusOrder / sizeof kFocusOrder[0]);

// Tab: the next object, round to the first after the last; the first Tab
// goes to the first object, the first Shift+Tab to the last.
static void move_focus(bool backwards)
{
    int at = -1;
    for (int i = 0; i < kFocusCount; ++i)
        if (kFocusOrder[i] == focused_object)
            at = i;
    if (at < 0)
        at = backwards ? 0 : kFocusCount - 1;
    at = (at + (backwards ? kFocusCount - 1 : 1)) % kFocusCount;
    focused_object = kFocusOrder[at];
}

void ForgetBoxKeys(void)
{
    key_pressed[VK_RETURN] = false;
    key_pressed[VK_SPACE] = false;
}

LRESULT SceneWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_ACTIVATE:
        // The high word is non-zero exactly while the window is minimized.
        window_active = HIWORD(wparam) == 0;
        return 0;
    case WM_SYSCOMMAND:
        if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER)
            return 0;
        break;
    case WM_CLOSE:
        DeleteOutlineFont();
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wparam < 256) {
            // Return and Space open a box: a key held down opens it once,
            // not again with each repeat.
            bool repeat = (lparam & kKeyWasDown) != 0;
            if (!repeat || (wparam != VK_RETURN && wparam != VK_SPACE))
                key_pressed[wparam] = true;
            key_down[wparam] = true;
        }
        // The focus moves at once, with the Shift held as Tab went down.
        if (wparam == VK_TAB)
            move_focus(key_down[VK_SHIFT]);
        return 0;
    case WM_KEYUP:
        if (wparam < 256)
            key_down[wparam] = false;
        return 0;
    case WM_SIZE:
        ResizeScene(LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_LBUTTONDOWN:
        // A click takes the keyboard focus away: the mark goes.
        focused_object = kNoFocus;
        PickAt(LOWORD(lparam), HIWORD(lparam));
        ForgetBoxKeys();
        return 0;
    case WM_RBUTTONDOWN:
        togo_orbit += kOrbitNudge;
        france_orbit += kOrbitNudge;
        swiss_orbit += kOrbitNudge;
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
