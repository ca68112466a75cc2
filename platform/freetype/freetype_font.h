// What the font objects of the stand-in graphics device are, shared by the
// two halves of the font service: freetype_font.cpp makes and selects them,
// freetype_outlines.cpp turns the selected one into glyph lists. Nothing
// outside platform/ includes this.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/win_types.h"

struct FontRequest;

// One font object, as CreateFontA makes it: the logical request and nothing
// heavier. The face behind it is found and opened on first use and shared by
// every object that asks for the same thing, so making one per display switch
// costs a few bytes and no file.
struct PlatformGdiObject {
    FontRequest *request;
    int height;  // kept as asked; outlines come in em units whatever it is
};

// The face that a font object stands for, opened on first use and kept for
// the rest of the run. Null when nothing installed matches or the file cannot
// be read; *embolden tells whether a bold request fell on a face without one.
FT_Face FaceOfFont(const PlatformGdiObject *font, bool *embolden);

// Loads fontconfig's configuration and caches, the slow part of the first
// font request, once for the run. Any thread may call it, and calls after
// the first wait for that one to finish; font resolution calls it itself, so
// a backend may call it early on a thread of its own to have it done by the
// time the program asks for a font.
void PrepareFontService(void);
