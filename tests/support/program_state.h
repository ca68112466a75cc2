// Puts the program-wide state back to what a fresh process has, together
// with the recording backend, so each test starts from program load.
#pragma once

void ResetProgramState();

// Only the scene's angles and the F2 to F5 flags, as a fresh process has them.
void ResetAnglesAndFlags();
