// Writes a Windows icon file (.ico) holding one picture per size, for the
// Windows build's icon resource. Pictures up to 128 pixels are stored as
// 32-bit bitmaps with their transparency mask, which every Windows reads;
// larger ones as PNG, which Windows reads from Vista on and keeps the file
// small. Relies on the PNG writer built with libpng.
#pragma once

#include <string>
#include <vector>

struct IcoPicture {
    int size;                          // width and height, 16 to 256 pixels
    std::vector<unsigned char> rgba;   // rows top first, straight alpha
};

// False when a size is out of range or the file cannot be written.
bool WriteIco(const std::string &path, const std::vector<IcoPicture> &pictures);
