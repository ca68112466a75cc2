// The program-wide names that cross the program's layers: the display flags
// the loop owns and the scene reads, the scene window's handles that picking
// and the title font use, the selection names the scene draws and picking
// reports, the texture list numbers, and the glyph lists' base.
//
// Declarations only: each variable is defined by the file that owns it
// (shell/main_loop.cpp, shell/scene_window.cpp, assets/outline_font.cpp).
// It sits with the assets, the lowest of the program's layers, so that
// scene/ and assets/ never need to include anything from shell/.
#pragma once

#include "platform/win_types.h"

// Display flags and the activity flag, owned by the loop (shell/main_loop.cpp).
extern bool window_active;
extern bool lighting_on;
extern bool texturing_on;
extern bool solid_spheres;
extern bool filled_polygons;

// The scene window, owned by shell/scene_window.cpp.
extern bool fullscreen;
extern HWND window_handle;
extern HDC device_context;

// The first of the 96 glyph lists, owned by assets/outline_font.cpp.
extern unsigned int font_base;

// Selection names: one per object of the scene, in the order it draws them
// (the backdrop last, although its number lies between the others).
constexpr unsigned int kTitleName = 100;
constexpr unsigned int kKoreaName = 101;
constexpr unsigned int kTogoName = 102;
constexpr unsigned int kBackdropName = 103;
constexpr unsigned int kFranceName = 104;
constexpr unsigned int kSwissName = 105;

// Texture lists: fixed display-list names, each uploading one picture when
// called. The glyph lists never take any of them.
constexpr unsigned int kKoreaTexture = 1;
constexpr unsigned int kTogoTexture = 2;
constexpr unsigned int kBackdropTexture = 3;
constexpr unsigned int kFranceTexture = 4;
constexpr unsigned int kSwissTexture = 5;
constexpr unsigned int kFirstTextureList = kKoreaTexture;
constexpr unsigned int kTextureListCount = 5;
