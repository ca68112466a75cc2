// bmp_seed_corpus OUTDIR: the fuzzer's starting points, a small file per
// encoding and header form and a few to refuse, so it begins inside every decoder.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/bmp_bytes.h"

namespace {

std::vector<uint32_t> pattern(int width, int height, uint32_t modulo)
{
    std::vector<uint32_t> values(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<uint32_t>((i * 7 + i / 5) % modulo);
    return values;
}

BmpFields indexed(int bits, bool core)
{
    BmpFields f;
    f.header_size = core ? 12 : 40;
    f.width = 11;
    f.height = 6;
    f.bit_count = static_cast<uint16_t>(bits);
    f.palette.resize(static_cast<size_t>(1) << bits);
    for (size_t i = 0; i < f.palette.size(); ++i)
        f.palette[i] = static_cast<uint32_t>(i * 0x010203u);
    f.bits = PackRows(f.width, f.height, bits, pattern(f.width, f.height, 1u << bits));
    return f;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: bmp_seed_corpus OUTDIR\n");
        return 2;
    }
    std::vector<std::pair<std::string, Bytes>> seeds;
    for (int bits : {1, 4, 8}) {
        for (bool core : {false, true}) {
            BmpFields f = indexed(bits, core);
            std::string name = std::to_string(bits) + (core ? "-core" : "-info");
            seeds.push_back({name + ".bmp", BuildBmp(f)});
            f.file_header = false;
            seeds.push_back({name + "-packed.bmp", BuildBmp(f)});
        }
    }
    {
        BmpFields f = indexed(8, false);
        f.clr_used = 5;
        f.palette.resize(5);
        seeds.push_back({"8-five-colours.bmp", BuildBmp(f)});
        f = indexed(8, false);
        f.compression = 1;
        f.clr_used = 16;
        f.palette.resize(16);
        f.bits = EncodeRle8(f.width, f.height, pattern(f.width, f.height, 16));
        seeds.push_back({"rle8.bmp", BuildBmp(f)});
        // Delta, end of bitmap and an odd absolute run by hand.
        f.bits = {3, 1, 0, 3, 2, 3, 4, 0, 0, 2, 2, 1, 2, 5, 0, 0, 0, 1};
        seeds.push_back({"rle8-escapes.bmp", BuildBmp(f)});
        f = indexed(4, false);
        f.compression = 2;
        f.bits = EncodeRle4(f.width, f.height, pattern(f.width, f.height, 16));
        seeds.push_back({"rle4.bmp", BuildBmp(f)});
        f.bits = {5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 2, 1, 1, 4, 0x77, 0, 1};
        seeds.push_back({"rle4-escapes.bmp", BuildBmp(f)});
    }
    for (int bits : {16, 24, 32}) {
        BmpFields f;
        f.width = 7;
        f.height = 5;
        f.bit_count = static_cast<uint16_t>(bits);
        f.bits = PackRows(f.width, f.height, bits, pattern(f.width, f.height, 0xFFFFFFu));
        seeds.push_back({std::to_string(bits) + ".bmp", BuildBmp(f)});
        f.height = -5;
        seeds.push_back({std::to_string(bits) + "-top-down.bmp", BuildBmp(f)});
        if (bits != 24) {
            f.height = 5;
            f.compression = 3;
            f.masks = bits == 16 ? std::vector<uint32_t>{0xF800, 0x07E0, 0x001F}
                                 : std::vector<uint32_t>{0x3FF00000, 0x000FFC00, 0x000003FF};
            seeds.push_back({std::to_string(bits) + "-bitfields.bmp", BuildBmp(f)});
            f.file_header = false;
            seeds.push_back({std::to_string(bits) + "-bitfields-packed.bmp", BuildBmp(f)});
        }
    }
    BmpFields v5;
    v5.header_size = 124;
    seeds.push_back({"v5-header.bmp", BuildBmp(v5)});
    // Both sides of the size limits, as 46-byte run-length files (16384 x 5461
    // is skipped by the fuzzer: 256 MiB).
    const std::pair<int, int> claims[] = {{16384, 1}, {16385, 1}, {16384, 5461}, {16384, 5462}, {30000, 30000}};
    for (auto [w, h] : claims)
        seeds.push_back({"claim-" + std::to_string(w) + "x" + std::to_string(h) + ".bmp", RunLengthClaim(w, h)});
    std::string dir = argv[1];
    for (const auto &seed : seeds) {
        if (!WriteBytes(dir + "/" + seed.first, seed.second)) {
            fprintf(stderr, "bmp_seed_corpus: cannot write %s/%s\n", dir.c_str(),
                    seed.first.c_str());
            return 1;
        }
    }
    return 0;
}
