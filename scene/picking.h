// Left-click picking: one selection-mode pass of the scene around the cursor,
// and the message box naming what was hit.
#pragma once

#include <GL/gl.h>

void PickAt(int x, int y);
void ReportPick(const GLuint *buffer);
// The text shown for a selection name (code page 949 bytes), and the same
// text in UTF-8.
const char *PickText(GLuint name);
const char *PickTextUtf8(GLuint name);
