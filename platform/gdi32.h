// Graphics device operations: pixel formats, buffer swap, and font objects.
#pragma once

#ifdef _WIN32
// The system's own declarations, through windows.h.
#include "win_types.h"
#else
#include "win_types.h"

// The operations have C linkage, as the platform's own do.
extern "C" {

struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits;
    BYTE cRedShift;
    BYTE cGreenBits;
    BYTE cGreenShift;
    BYTE cBlueBits;
    BYTE cBlueShift;
    BYTE cAlphaBits;
    BYTE cAlphaShift;
    BYTE cAccumBits;
    BYTE cAccumRedBits;
    BYTE cAccumGreenBits;
    BYTE cAccumBlueBits;
    BYTE cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40, "the platform's 40-byte record");

#define PFD_DOUBLEBUFFER 0x00000001u
#define PFD_DRAW_TO_WINDOW 0x00000004u
#define PFD_SUPPORT_OPENGL 0x00000020u
#define PFD_TYPE_RGBA 0
#define PFD_MAIN_PLANE 0

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR *request);
BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR *request);
BOOL SwapBuffers(HDC dc);

#define FW_BOLD 700
#define HANGUL_CHARSET 129
#define OUT_TT_PRECIS 4
#define CLIP_DEFAULT_PRECIS 0
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0

HFONT CreateFontA(int height, int width, int escapement, int orientation,
                  int weight, DWORD italic, DWORD underline, DWORD strike_out,
                  DWORD char_set, DWORD out_precision, DWORD clip_precision,
                  DWORD quality, DWORD pitch_and_family, const char *face);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

}  // extern "C"
#endif  // _WIN32
