// The title font: 96 display lists of extruded glyphs for the codes 32 to 127
// of a bold "Comic Sans MS", made by the platform's outline service for the
// current rendering context, drawn a whole string at a time with one
// glCallLists. Relies on the scene window's device context and a current
// rendering context. The font objects it makes are never deleted, and
// nothing here measures or centres text.
#include "assets/outline_font.h"

#include "assets/shared_state.h"
#include "platform/gdi32.h"

unsigned int font_base = 0;
GLYPHMETRICSFLOAT glyph_metrics[96];

static const GLsizei kGlyphCount = 96;
static const DWORD kFirstCode = 32;

// The texture lists have fixed names and are defined only after the font is
// built, so in a fresh context glGenLists would hand those names out for
// glyphs. Each one that holds no list yet is claimed with an empty list, so
// the reservation below cannot take it. An empty list draws nothing, and the
// texture build replaces it with its own.
static void claim_texture_list_names(void)
{
    for (GLuint name = kFirstTextureList; name < kFirstTextureList + kTextureListCount; name++) {
        if (!glIsList(name)) {
            glNewList(name, GL_COMPILE);
            glEndList();
        }
    }
}

void BuildOutlineFont(void)
{
    claim_texture_list_names();
    font_base = glGenLists(kGlyphCount);
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, HANGUL_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             FF_DONTCARE | DEFAULT_PITCH, "Comic Sans MS");
    SelectObject(device_context, font);
    // A failed build leaves the lists empty and the title invisible; the
    // rest of the scene does not depend on it, so the result is not examined.
    wglUseFontOutlinesA(device_context, kFirstCode, kGlyphCount, font_base, 0.1f, 0.5f,
                        WGL_FONT_POLYGONS, glyph_metrics);
}

void PrintOutlineText(const char *text)
{
    GLsizei length = 0;
    while (text[length] != '\0')
        length++;
    glPushAttrib(GL_LIST_BIT);
    // Unsigned arithmetic: with font_base below 32 the base wraps around and
    // each byte still lands on font_base + byte - 32.
    glListBase(font_base - kFirstCode);
    glCallLists(length, GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

void DeleteOutlineFont(void)
{
    // A base of 0 means no range was ever reserved; deleting 96 lists from
    // there would take the texture lists 1 to 5 with it.
    if (font_base == 0)
        return;
    glDeleteLists(font_base, kGlyphCount);
}
