// Font objects of the stand-in graphics device, over fontconfig and FreeType,
// shared by every backend: CreateFontA records a logical font, SelectObject
// makes it the font of a device context, and FaceOfFont opens the installed
// face that best matches the request, once for the whole run. fontconfig's
// answer stands in for the platform's font mapper: whatever it returns is
// used, and a face name that is not installed is not an error. Draws
// nothing: freetype_outlines.cpp turns the selected font into geometry.
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <deque>
#include <mutex>
#include <string>

#include "platform/freetype/freetype_font.h"
#include "platform/gdi32.h"
#include "platform/platform_hooks.h"
#include "platform/platform_internal.h"

// The part of a logical font that decides which face is used. Width,
// escapement, orientation, underline, strike-out, character set, precision,
// quality and pitch do not change the outlines that are made from it:
// outlines are normalised to the em square, and a face is chosen by name,
// weight and slant first, as the platform's mapper does for an outline font.
struct FontRequest {
    std::string face;
    int weight;
    bool italic;
    bool resolved;   // fontconfig has been asked (its answer may be "none")
    FT_Face handle;  // null when nothing usable was found
    bool embolden;   // a bold request that fell on a face without bold
};

struct OpenFace {
    std::string path;
    int index;
    FT_Face handle;
};

// Cost per CreateFontA call: one small record. Requests that ask for the
// same thing share one resolution, and requests that resolve to the same file
// share one FreeType face, so a program that makes a font on every display
// switch opens the font file once. Font objects are never deleted (the
// program never asks for that); they stay reachable here until exit.
// Deques: records are handed out by address and must not move.
static std::deque<FontRequest> font_requests;
static std::deque<PlatformGdiObject> font_objects;
static std::deque<OpenFace> open_faces;
static FT_Library freetype_library = nullptr;

// What a device context holds before the program selects anything, and what
// SelectObject hands back for it: the default face at normal weight.
static FontRequest system_font_request{"", 400, false, false, nullptr, false};
static PlatformGdiObject system_font{&system_font_request, 0};

// The platform keeps face names to 31 bytes; longer names are cut, not refused.
static const size_t kFaceNameLimit = 31;

static FontRequest *request_for(const char *face, int weight, bool italic)
{
    std::string name = face != nullptr ? std::string(face) : std::string();
    if (name.size() > kFaceNameLimit)
        name.resize(kFaceNameLimit);
    // A weight of 0 means "don't care", which the platform reads as normal.
    if (weight <= 0)
        weight = 400;
    for (FontRequest &request : font_requests) {
        if (request.face == name && request.weight == weight && request.italic == italic)
            return &request;
    }
    font_requests.push_back(FontRequest{name, weight, italic, false, nullptr, false});
    return &font_requests.back();
}

// One FreeType face per font file for the whole run.
static FT_Face open_face(const char *path, int index)
{
    for (const OpenFace &open : open_faces) {
        if (open.index == index && open.path == path)
            return open.handle;
    }
    if (freetype_library == nullptr && FT_Init_FreeType(&freetype_library) != 0) {
        freetype_library = nullptr;
        return nullptr;
    }
    FT_Face handle = nullptr;
    if (FT_New_Face(freetype_library, path, index, &handle) != 0)
        return nullptr;
    open_faces.push_back(OpenFace{path, index, handle});
    return handle;
}

static std::once_flag font_service_once;
static bool font_service_ready = false;

void PrepareFontService(void)
{
    std::call_once(font_service_once, [] { font_service_ready = FcInit() != FcFalse; });
}

static void resolve_request(FontRequest *request)
{
    request->resolved = true;
    PrepareFontService();
    if (!font_service_ready)
        return;
    FcPattern *pattern = FcPatternCreate();
    if (pattern == nullptr)
        return;
    if (!request->face.empty())
        FcPatternAddString(pattern, FC_FAMILY,
                           reinterpret_cast<const FcChar8 *>(request->face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request->weight));
    FcPatternAddInteger(pattern, FC_SLANT, request->italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    // Glyph outlines are the only use of a font here; prefer faces that have them.
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return;

    FcChar8 *file = nullptr;
    int index = 0;
    FcBool embolden = FcFalse;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
        request->handle = open_face(reinterpret_cast<const char *>(file), index);
        request->embolden = request->handle != nullptr && embolden &&
                            !(request->handle->style_flags & FT_STYLE_FLAG_BOLD);
    }
    FcPatternDestroy(match);
}

FT_Face FaceOfFont(const PlatformGdiObject *font, bool *embolden)
{
    if (embolden != nullptr)
        *embolden = false;
    if (font == nullptr || font->request == nullptr)
        return nullptr;
    if (!font->request->resolved)
        resolve_request(font->request);
    if (embolden != nullptr)
        *embolden = font->request->embolden;
    return font->request->handle;
}

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD,
                  DWORD, DWORD, DWORD, DWORD, DWORD, const char *face)
{
    if (PlatformCallFails("CreateFontA"))
        return nullptr;
    font_objects.push_back(PlatformGdiObject{request_for(face, weight, italic != 0), height});
    return &font_objects.back();
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (PlatformCallFails("SelectObject"))
        return nullptr;
    if (dc == nullptr || object == nullptr)
        return nullptr;
    HGDIOBJ previous = dc->font != nullptr ? dc->font : &system_font;
    dc->font = object;
    return previous;
}
