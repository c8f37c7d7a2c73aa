// A small PNG writer for the screenshots: each row filtered against the one above ("Up"), then deflated with
// the fixed Huffman code and runs only (matches at distance 1). Window pictures are mostly flat colour, so the
// runs take them down to a few kilobytes; nothing here needs to be fast.
#include "PngWriter.h"

#include <fstream>

#include "package/Crc32.h"

namespace qs::test {
namespace {

class BitWriter {
public:
    void Bits(uint32_t value, int count) {  // least significant bit first
        for (int i = 0; i < count; ++i) {
            acc_ |= ((value >> i) & 1u) << used_;
            if (++used_ == 8) Flush();
        }
    }
    void Code(uint32_t code, int length) {  // Huffman codes go most significant bit first
        for (int i = length - 1; i >= 0; --i) Bits((code >> i) & 1u, 1);
    }
    std::vector<uint8_t> Finish() {
        if (used_) Flush();
        return std::move(out_);
    }

private:
    void Flush() {
        out_.push_back(uint8_t(acc_));
        acc_ = 0;
        used_ = 0;
    }
    std::vector<uint8_t> out_;
    uint32_t acc_ = 0;
    int used_ = 0;
};

void Literal(BitWriter& w, int sym) {
    if (sym < 144) w.Code(0x30 + sym, 8);
    else if (sym < 256) w.Code(0x190 + (sym - 144), 9);
    else if (sym < 280) w.Code(sym - 256, 7);
    else w.Code(0xC0 + (sym - 280), 8);
}

// A match of length 3..258 at distance 1.
void Run(BitWriter& w, int length) {
    static const int kBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int kExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    int code = 28;
    while (kBase[code] > length) --code;
    Literal(w, 257 + code);
    w.Bits(uint32_t(length - kBase[code]), kExtra[code]);
    w.Code(0, 5);  // distance code 0: distance 1
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
    BitWriter w;
    w.Bits(1, 1);  // the last block
    w.Bits(1, 2);  // fixed Huffman codes
    size_t i = 0;
    while (i < data.size()) {
        size_t run = 0;
        if (i > 0)
            while (i + run < data.size() && run < 258 && data[i + run] == data[i - 1]) ++run;
        if (run >= 3) {
            Run(w, int(run));
            i += run;
        } else {
            Literal(w, data[i]);
            ++i;
        }
    }
    Literal(w, 256);
    return w.Finish();
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& body) {
    Put32(png, uint32_t(body.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body.begin(), body.end());
    Put32(png, Crc32UpdateLong(png.data() + start, png.size() - start, 0));
}

}  // namespace

std::vector<uint8_t> EncodePng(const uint32_t* pixels, int width, int height) {
    const size_t stride = size_t(width) * 3;
    std::vector<uint8_t> raw, row(stride), above(stride);
    raw.reserve((stride + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint32_t* px = pixels + size_t(y) * size_t(width);
        for (size_t x = 0; x < size_t(width); ++x) {
            row[3 * x] = uint8_t(px[x] >> 16);
            row[3 * x + 1] = uint8_t(px[x] >> 8);
            row[3 * x + 2] = uint8_t(px[x]);
        }
        raw.push_back(y == 0 ? 0 : 2);  // "None" for the first row, "Up" for the others
        for (size_t x = 0; x < stride; ++x) raw.push_back(uint8_t(row[x] - (y ? above[x] : 0)));
        row.swap(above);
    }
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    const std::vector<uint8_t> deflated = Deflate(raw);
    z.insert(z.end(), deflated.begin(), deflated.end());
    Put32(z, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    Put32(ihdr, uint32_t(width));
    Put32(ihdr, uint32_t(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    return png;
}

bool WritePngFile(const std::string& path, const uint32_t* pixels, int width, int height) {
    const std::vector<uint8_t> png = EncodePng(pixels, width, height);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    return bool(f);
}

}  // namespace qs::test
