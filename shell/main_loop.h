// The message loop: open the scene window, alternate between messages and
// frames, act on the keys between frames, close at the end.
#pragma once

#include "shell/window_procedure.h"

// The whole program: open, loop, close. Returns the process exit code.
int RunPresentation(void);
