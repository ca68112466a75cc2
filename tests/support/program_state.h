// Puts the program-wide state back to what a fresh process has, together
// with the recording backend, so each test starts from program load.
#pragma once

void ResetProgramState();
