// bmpcheck [--png OUT] FILE...: runs each file through the program's own
// loader, so a picture that passes here loads in the show. Prints per file
// what its headers say (header form, size, bit depth, compression, colour
// count) and whether it loaded; the loader's own message boxes appear on
// standard error as "Error: ...". With --png, also writes what was decoded
// as a PNG: OUT is the PNG for a single FILE, or a folder that receives
// NAME.png for each FILE. Exit status 0 when every file loaded, 1 when one
// did not, 2 for a usage error.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/bmp_header.h"
#include "assets/bmp_loader.h"
#include "tools/png_writer.h"

namespace {

const char *compression_name(uint32_t compression)
{
    switch (compression) {
    case BI_RGB:
        return "BI_RGB";
    case BI_RLE8:
        return "BI_RLE8";
    case BI_RLE4:
        return "BI_RLE4";
    case BI_BITFIELDS:
        return "BI_BITFIELDS";
    default:
        return "unknown compression";
    }
}

bool read_whole_file(const char *path, std::vector<uint8_t> *bytes)
{
    FILE *file = fopen(path, "rb");
    if (file == nullptr)
        return false;
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + n);
    bool ok = ferror(file) == 0;
    fclose(file);
    return ok;
}

// One line about the headers, as far as they can be read.
std::string describe(const char *path)
{
    std::vector<uint8_t> bytes;
    if (!read_whole_file(path, &bytes))
        return "cannot be read";
    BmpHeaderInfo info;
    ReadBmpHeader(bytes.data(), bytes.size(), &info);
    char text[512];
    const char *framing = info.has_file_header ? "file header" : "no file header";
    if (info.dib == nullptr) {
        snprintf(text, sizeof text, "%zu bytes, too short for a DIB header", bytes.size());
        return text;
    }
    if (!info.known_form) {
        snprintf(text, sizeof text, "%s, %u-byte DIB header (not a form the loader reads)",
                 framing, info.header_size);
        return text;
    }
    if (!info.header_fits) {
        snprintf(text, sizeof text, "%s, %u-byte DIB header cut off after %zu bytes", framing,
                 info.header_size, info.dib_room);
        return text;
    }
    const DibInfoHeader &h = info.header;
    std::string masks;
    if (info.has_masks) {
        char m[80];
        snprintf(m, sizeof m, " (masks %08X %08X %08X)", info.masks[0], info.masks[1],
                 info.masks[2]);
        masks = m;
    }
    snprintf(text, sizeof text, "%s, %s, %d x %d%s, %u bits, %s%s, %u colours, bits at %llu",
             framing, info.header_size == BMP_CORE_HEADER_SIZE ? "12-byte core header"
                                                               : "40-byte info header",
             h.biWidth, h.biHeight, h.biHeight < 0 ? " (top-down)" : "", h.biBitCount,
             compression_name(h.biCompression), masks.c_str(), info.color_count,
             static_cast<unsigned long long>(info.bits_offset));
    return text;
}

// A file's name follows the last separator; Windows takes both kinds.
#ifdef _WIN32
const char kPathSeparators[] = "/\\";
#else
const char kPathSeparators[] = "/";
#endif

std::string png_path_for(const std::string &out, bool out_is_folder, const char *bmp_path)
{
    if (!out_is_folder)
        return out;
    std::string name = bmp_path;
    size_t slash = name.find_last_of(kPathSeparators);
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name = name.substr(0, dot);
    return out + "/" + name + ".png";
}

int usage()
{
    fprintf(stderr, "usage: bmpcheck [--png OUT] FILE...\n"
                    "  OUT is the PNG for one FILE, or a folder for several.\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string png_out;
    std::vector<const char *> files;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--png") {
            if (i + 1 >= argc)
                return usage();
            png_out = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            return usage();
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty())
        return usage();
    struct stat out_info;
    bool out_is_folder = !png_out.empty() && stat(png_out.c_str(), &out_info) == 0 &&
                         S_ISDIR(out_info.st_mode);
    if (!png_out.empty() && files.size() > 1 && !out_is_folder) {
        fprintf(stderr, "bmpcheck: with several files, --png takes an existing folder\n");
        return 2;
    }

    int status = 0;
    for (const char *path : files) {
        // The box, if any, comes first on standard error; the verdict follows.
        fflush(stdout);
        RgbImage *image = LoadBmpImage(path);
        if (image == nullptr) {
            printf("%s: %s: not loaded\n", path, describe(path).c_str());
            status = 1;
            continue;
        }
        printf("%s: %s: loaded\n", path, describe(path).c_str());
        if (!png_out.empty()) {
            std::string target = png_path_for(png_out, out_is_folder, path);
            if (!WritePng(target, image)) {
                fprintf(stderr, "bmpcheck: cannot write %s\n", target.c_str());
                status = 1;
            }
        }
        free(image->pixels);
        free(image);
    }
    return status;
}
