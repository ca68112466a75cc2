// The one window of class "OpenGL" that the platform's tests open on the
// recording backend, with the outer size, style and procedure they need.
#pragma once

#include <gtest/gtest.h>

#include "platform/user32.h"

inline HWND OpenFakeWindow(DWORD style = WS_POPUP, int width = 64, int height = 48,
                           WNDPROC procedure = DefWindowProcA)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = "OpenGL";
    EXPECT_NE(0, RegisterClassA(&wc));
    HWND w = CreateWindowExA(0, "OpenGL", "t", style, 0, 0, width, height, nullptr, nullptr,
                             nullptr, nullptr);
    EXPECT_NE(nullptr, w);
    return w;
}
