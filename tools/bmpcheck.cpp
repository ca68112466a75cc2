// bmpcheck [--png OUT] FILE...: runs each file through the program's own
// loader, so a picture that passes here loads in the show, and prints what
// its headers say and whether it loaded, or why not (the loader's boxes go to
// standard error). Files are read through the loader's own kernel services:
// only files on disk, and no more of them than the headers take. A --png
// output never replaces an input, a file that is not a PNG, or a PNG this run
// wrote for another file. FILE is taken as given; no other folder is tried.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/bmp_header.h"
#include "assets/bmp_loader.h"
#include "platform/kernel32.h"
#include "tools/bmpcheck_system.h"
#include "tools/png_writer.h"

namespace {

// Exit status: bits that say what happened, so a script can tell a
// picture that does not load from a PNG that was not written.
const int kAllWell = 0;
const int kNotLoaded = 1;
const int kUsageError = 2;  // alone: nothing was read
const int kPngNotWritten = 4;
// Not an exit status: the command line leaves the run to go on.
const int kCarryOn = -1;

#ifndef GROUP_G_VERSION
#define GROUP_G_VERSION "unknown"
#endif

const char kUsage[] =
    "usage: bmpcheck [--png OUT] [--] FILE...\n"
    "       bmpcheck --help | --version\n"
    "  Runs each FILE through the presentation's picture loader and says\n"
    "  what it holds and whether it loads.\n"
    "  --png OUT  also write each decoded picture as a PNG: OUT is a .png\n"
    "             file for one FILE, or an existing folder that receives\n"
    "             NAME.png for each FILE. No input, no existing file that is\n"
    "             not a PNG, and no PNG written for another FILE is replaced.\n"
    "exit status: 0 every file loaded (and its PNG was written),\n"
    "  1 a file did not load, 4 a PNG was refused or could not be written,\n"
    "  5 both, 2 usage error (nothing read).\n";

// The most any header reading needs: file header, 40-byte header, three
// masks and the largest colour table.
const size_t kLongestHeaders =
    BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + 3 * 4 + 4 * 65535;

struct Options {
    std::string png_out;  // empty: no PNGs
    bool png_to_folder = false;
    std::vector<const char *> files;
};

bool same_file(const FileId &a, const FileId &b)
{
    return a.volume == b.volume && a.index == b.index;
}

// An answer on standard output: 0 once it got there, 1 when it could not
// be written (a full disk, a closed pipe).
int answer(const std::string &text)
{
    return WriteText(stdout, text) ? kAllWell : 1;
}

int usage(const std::string &problem)
{
    WriteText(stderr, (problem.empty() ? "" : "bmpcheck: " + problem + "\n") + kUsage);
    return kUsageError;
}

bool ends_with_png(const std::string &path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char &c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".png";
}

// Fills `options` from the command line. Returns kCarryOn, or the exit
// status when the command line alone settles the run (a usage error).
int parse_arguments(int argc, char **argv, Options *options)
{
    bool only_files = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (only_files || arg.empty() || arg[0] != '-' || arg == "-") {
            options->files.push_back(argv[i]);
        } else if (arg == "--") {
            only_files = true;
        } else if (arg == "--png") {
            if (i + 1 >= argc)
                return usage("--png needs OUT");
            options->png_out = argv[++i];
            if (options->png_out.empty())
                return usage("--png needs OUT");
        } else if (arg == "--help" || arg == "-h") {
            return answer(kUsage);
        } else if (arg == "--version") {
            return answer("bmpcheck " GROUP_G_VERSION "\n");
        } else {
            return usage("unknown option " + arg);
        }
    }
    if (options->files.empty())
        return usage("no FILE given");
    if (options->png_out.empty())
        return kCarryOn;
    FileId out_id;
    options->png_to_folder = LookAtPath(options->png_out, &out_id) == PathKind::kFolder;
    if (options->png_to_folder)
        return kCarryOn;
    if (options->files.size() > 1)
        return usage("with several files, --png takes an existing folder");
    // A forgotten OUT would otherwise take the first FILE's place.
    if (!ends_with_png(options->png_out))
        return usage("--png takes a .png file or a folder, not " + options->png_out);
    return kCarryOn;
}

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

// What kind of thing an open handle is when it is not a file on disk.
const char *kind_of(DWORD file_type)
{
    switch (file_type) {
    case FILE_TYPE_PIPE:
        return "a pipe or a socket";
    case FILE_TYPE_CHAR:
        return "a device";
    default:
        return "neither a file nor a folder";
    }
}

// The headers of one file, as the loader would see them: opened and mapped
// through the kernel services, only if it is a file on disk, and only its
// first pages read. False, with what went wrong in `problem`.
bool map_headers(const char *path, BmpHeaderInfo *info, uint64_t *file_size,
                 std::string *problem)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        struct stat status;
        if (stat(path, &status) != 0)
            *problem = std::string("cannot be read (") + strerror(errno) + ")";
        else
            *problem = S_ISDIR(status.st_mode) ? "a folder" : "cannot be read";
        return false;
    }
    HANDLE mapping = nullptr;
    const void *view = nullptr;
    DWORD type = GetFileType(file);
    DWORD size_high = 0, size_low = 0;
    if (type != FILE_TYPE_DISK) {
        *problem = kind_of(type);
    } else {
        size_low = GetFileSize(file, &size_high);
        *file_size = static_cast<uint64_t>(size_high) << 32 | size_low;
        mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping != nullptr)
            view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        if (view == nullptr)
            *problem = *file_size == 0 ? "an empty file" : "cannot be mapped";
    }
    if (view != nullptr) {
        size_t readable = *file_size < kLongestHeaders ? static_cast<size_t>(*file_size)
                                                       : kLongestHeaders;
        ReadBmpHeader(static_cast<const uint8_t *>(view), readable, info);
        UnmapViewOfFile(view);
    }
    if (mapping != nullptr)
        CloseHandle(mapping);
    CloseHandle(file);
    return view != nullptr;
}

// One line about the headers, as far as they can be read.
std::string describe(const char *path)
{
    BmpHeaderInfo info;
    uint64_t file_size = 0;
    std::string problem;
    if (!map_headers(path, &info, &file_size, &problem))
        return problem;
    char text[512];
    const char *framing = info.has_file_header ? "file header" : "no file header";
    if (info.dib == nullptr) {
        snprintf(text, sizeof text, "%llu bytes, too short for a DIB header",
                 static_cast<unsigned long long>(file_size));
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

bool starts_as_png(const std::string &path)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char start[8];
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bool png = fread(start, 1, sizeof start, file) == sizeof start &&
               memcmp(start, kSignature, sizeof start) == 0;
    fclose(file);
    return png;
}

std::string png_path_for(const Options &options, const char *bmp_path)
{
    if (!options.png_to_folder)
        return options.png_out;
    std::string name = bmp_path;
    size_t slash = name.find_last_of(kPathSeparators);
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name = name.substr(0, dot);
    return options.png_out + "/" + name + ".png";
}

// The PNGs of one run: what each input was, and what was written for whom.
struct PngLedger {
    std::vector<FileId> inputs;
    std::vector<FileId> written;
    std::vector<std::string> written_for;  // the input each was written for
};

// Why `target` may not be written, or empty when it may.
std::string refusal(const std::string &target, const PngLedger &ledger)
{
    FileId id;
    PathKind kind = LookAtPath(target, &id);
    if (kind == PathKind::kNothing)
        return "";  // nothing there yet
    // Inputs and written PNGs are files; only a file has an identity to match.
    if (kind != PathKind::kFile)
        return "it exists and is not a PNG";
    for (size_t i = 0; i < ledger.written.size(); ++i)
        if (same_file(id, ledger.written[i]))
            return "already written for " + ledger.written_for[i];
    for (const FileId &input : ledger.inputs)
        if (same_file(id, input))
            return "it is one of the inputs";
    return starts_as_png(target) ? "" : "it exists and is not a PNG";
}

// Writes the PNG of one loaded file; false after saying why it did not.
bool write_png_for(const char *path, const RgbImage *image, const Options &options,
                   PngLedger *ledger)
{
    std::string target = png_path_for(options, path);
    std::string why = refusal(target, *ledger);
    if (!why.empty()) {
        WriteText(stderr, "bmpcheck: " + target + ": not written: " + why + "\n");
        return false;
    }
    FileId id;
    if (!WritePng(target, image) || LookAtPath(target, &id) != PathKind::kFile) {
        WriteText(stderr, "bmpcheck: " + target + ": cannot be written (" + strerror(errno) + ")\n");
        return false;
    }
    ledger->written.push_back(id);
    ledger->written_for.push_back(path);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    Options options;
    int settled = parse_arguments(argc, argv, &options);
    if (settled != kCarryOn)
        return settled;

    PngLedger ledger;
    for (const char *path : options.files) {
        FileId id;
        if (LookAtPath(path, &id) == PathKind::kFile)
            ledger.inputs.push_back(id);
    }

    int status = kAllWell;
    for (const char *path : options.files) {
        // The box, if any, comes first on standard error; the verdict follows
        // (each line is flushed as it is written).
        RgbImage *image = LoadBmpImage(path);
        std::string line = std::string(path) + ": " + describe(path);
        if (image == nullptr) {
            WriteText(stdout, line + ": not loaded: " + BmpFailureReason() + "\n");
            status |= kNotLoaded;
            continue;
        }
        WriteText(stdout, line + ": loaded\n");
        if (!options.png_out.empty()) {
            if (!write_png_for(path, image, options, &ledger))
                status |= kPngNotWritten;
        }
        free(image->pixels);
        free(image);
    }
    return status;
}
