// Writes a loaded picture as a PNG file, for bmpcheck --png. Two
// implementations, chosen when bmpcheck is linked: libpng's compressed
// output where libpng is at hand (Linux), and a small writer of its own with
// uncompressed data for the Windows build, which carries no libpng. The
// libpng one also writes the icon's pictures for icongen.
#pragma once

#include <string>
#include <vector>

#include "assets/bmp_loader.h"

// 8-bit RGB, rows top first as PNGs store them (the record's run bottom
// first). False when the file cannot be written.
bool WritePng(const std::string &path, const RgbImage *image);

// 8-bit RGBA, rows top first with nothing between them: the icon, which is
// drawn only where libpng is at hand. False when the file cannot be written.
bool WriteRgbaPng(const std::string &path, int width, int height, const unsigned char *rgba);

// The same PNG appended to `out` instead of written to a file: the largest
// picture of the Windows icon file is stored this way.
bool EncodeRgbaPng(int width, int height, const unsigned char *rgba,
                   std::vector<unsigned char> *out);
