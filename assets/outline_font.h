// The title font: 96 display lists of extruded glyphs for codes 32..127.
#pragma once

#include <GL/gl.h>

#include "assets/shared_state.h"
#include "platform/wgl.h"

extern GLYPHMETRICSFLOAT glyph_metrics[96];

void BuildOutlineFont(void);
void PrintOutlineText(const char *text);
void DeleteOutlineFont(void);
