// SDL key codes to virtual-key codes.
#pragma once

#include <SDL.h>

#include "platform/win_types.h"

int SdlKeyToVirtualKey(SDL_Keycode key);
