// The title font: 96 display lists of extruded glyphs for codes 32..127.
#pragma once

#include <GL/gl.h>

#include "platform/wgl.h"

extern GLuint font_base;
extern GLYPHMETRICSFLOAT glyph_metrics[96];

void BuildOutlineFont(void);
void PrintOutlineText(const char *text);
void DeleteOutlineFont(void);
