// SDL key events as the window core's key reports.
#pragma once

#include <SDL.h>

#include "platform/core/core_state.h"

// The virtual-key code of an SDL key, or 0 for keys that have none (those
// are not reported).
int SdlKeyToVirtualKey(SDL_Keycode key);
// Reports a key press, repeat or release, with the Alt and Ctrl held with it.
void SdlReportKey(PlatformWindow *window, const SDL_KeyboardEvent &event);
