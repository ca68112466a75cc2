// Writes a loaded picture as a PNG file, for bmpcheck --png. Two
// implementations, chosen when bmpcheck is linked: libpng's compressed
// output where libpng is at hand (Linux), and a small writer of its own with
// uncompressed data for the Windows build, which carries no libpng.
#pragma once

#include <string>

#include "assets/bmp_loader.h"

// 8-bit RGB, rows top first as PNGs store them (the record's run bottom
// first). False when the file cannot be written.
bool WritePng(const std::string &path, const RgbImage *image);
