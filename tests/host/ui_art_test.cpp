// The picture generator: runs the host-built mkart and checks the files it draws.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kMkart = std::string(QS_BUILD_DIR) + "/tools/mkart/mkart";

std::vector<uint8_t> Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }

struct Bmp {
    int width = 0, height = 0, bpp = 0;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    std::vector<int> index;         // top row first
    uint32_t Colour(int x, int y) const { return palette.at(size_t(index.at(size_t(y) * width + x))); }
};

// Reads a BMP file image (bottom-up, 4 or 8 bits per pixel) at `at` (the info header for icons).
Bmp ReadDib(const std::vector<uint8_t>& b, size_t info, size_t bits, bool icon) {
    Bmp m;
    m.width = int(U32(b, info + 4));
    m.height = int(U32(b, info + 8)) / (icon ? 2 : 1);
    m.bpp = U16(b, info + 14);
    const size_t colours = size_t(1) << m.bpp;
    for (size_t i = 0; i < colours; ++i) {
        const size_t p = info + 40 + 4 * i;
        m.palette.push_back(uint32_t(b.at(p + 2)) << 16 | uint32_t(b.at(p + 1)) << 8 | b.at(p));
    }
    const size_t stride = size_t((m.width * m.bpp + 31) / 32) * 4;
    m.index.resize(size_t(m.width) * m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const size_t row = bits + size_t(m.height - 1 - y) * stride;
            const uint8_t v = m.bpp == 8 ? b.at(row + size_t(x)) : uint8_t(x % 2 ? b.at(row + x / 2) & 15 : b.at(row + x / 2) >> 4);
            m.index[size_t(y) * m.width + x] = v;
        }
    return m;
}

Bmp ReadBmp(const std::string& path) {
    const std::vector<uint8_t> b = Slurp(path);
    EXPECT_GE(b.size(), 54u) << path;
    EXPECT_EQ(b.at(0), 'B');
    EXPECT_EQ(b.at(1), 'M');
    EXPECT_EQ(U32(b, 2), b.size());
    return ReadDib(b, 14, U32(b, 10), false);
}

class Mkart : public ::testing::Test {
protected:
    void SetUp() override {
        // One folder per process: CTest runs these tests side by side.
        dir_ = ::testing::TempDir() + "mkart-test-" + std::to_string(getpid());
        ASSERT_EQ(std::system(("rm -rf '" + dir_ + "' && mkdir -p '" + dir_ + "'").c_str()), 0);
        ASSERT_EQ(std::system(("'" + kMkart + "' '" + dir_ + "'").c_str()), 0) << kMkart;
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "' '" + dir_ + "-again'").c_str()); }
    std::string Path(const char* f) const { return dir_ + "/" + f; }
    std::string dir_;
};

}  // namespace

// Each set of pictures: the window's own (96 DPI, plain names) and those drawn at 125, 150 and 200 %, each at its
// size rather than enlarged.
struct ArtSet {
    std::string suffix;
    int button, run, icon;  // pixels: a button picture's side, the run picture's, an icon's
};
const ArtSet kSets[] = {{"", 18, 28, 32}, {"-120", 23, 35, 40}, {"-144", 27, 42, 48}, {"-192", 36, 56, 64}};

TEST_F(Mkart, ButtonPictures_TwoImagesNormalAndDisabledOnATransparentCorner) {
    for (const ArtSet& set : kSets)
        for (const char* name : {"check", "cross", "question", "door"}) {
            const std::string file = name + set.suffix + ".bmp";
            SCOPED_TRACE(file);
            const int n = set.button;
            const Bmp m = ReadBmp(Path(file.c_str()));
            ASSERT_EQ(m.width, 2 * n);
            ASSERT_EQ(m.height, n);
            EXPECT_EQ(m.bpp, 8);
            const uint32_t key = m.Colour(0, n - 1);  // bottom-left: shown as transparent
            std::set<uint32_t> normal, disabled;
            int drawn = 0;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    normal.insert(m.Colour(x, y));
                    disabled.insert(m.Colour(n + x, y));
                    drawn += m.Colour(x, y) != key;
                }
            EXPECT_GT(drawn, n * n / 10);         // something is drawn
            EXPECT_GE(normal.size(), 3u);         // in colour: key plus two shades at least
            EXPECT_EQ(disabled, (std::set<uint32_t>{key, 0x808080u, 0xFFFFFFu}));  // grey outlined in white
            EXPECT_EQ(m.Colour(n, n - 1), key);
        }
}

TEST_F(Mkart, RunPicture_SixteenColoursWithTransparentCorner) {
    for (const ArtSet& set : kSets) {
        const std::string file = "runglyph" + set.suffix + ".bmp";
        SCOPED_TRACE(file);
        const int n = set.run;
        const Bmp m = ReadBmp(Path(file.c_str()));
        ASSERT_EQ(m.width, n);
        ASSERT_EQ(m.height, n);
        EXPECT_EQ(m.bpp, 4);
        const uint32_t key = m.Colour(0, n - 1);
        int drawn = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) drawn += m.Colour(x, y) != key;
        EXPECT_GT(drawn, n * n / 3);
    }
}

TEST_F(Mkart, Icons_WithMaskAndBothCornersTransparent) {
    for (const ArtSet& set : kSets)
        for (const char* name : {"app", "setup"}) {
            const std::string file = name + set.suffix + ".ico";
            SCOPED_TRACE(file);
            const size_t n = size_t(set.icon);
            const std::vector<uint8_t> b = Slurp(Path(file.c_str()));
            ASSERT_GE(b.size(), 22u);
            EXPECT_EQ(U16(b, 0), 0);
            EXPECT_EQ(U16(b, 2), 1);  // icon
            EXPECT_EQ(U16(b, 4), 1);  // one image
            EXPECT_EQ(b[6], n);
            EXPECT_EQ(b[7], n);
            const size_t offset = U32(b, 18);
            EXPECT_EQ(offset + U32(b, 14), b.size());
            const Bmp m = ReadDib(b, offset, offset + 40 + 16 * 4, true);
            EXPECT_EQ(size_t(m.width), n);
            EXPECT_EQ(size_t(m.height), n);
            EXPECT_EQ(m.bpp, 4);
            // The AND mask: n rows, each padded to 4 bytes, after the colour rows; set bits are transparent.
            const size_t colourRow = (n * 4 + 31) / 32 * 4, maskRow = (n + 31) / 32 * 4;
            const size_t mask = offset + 40 + 16 * 4 + n * colourRow;
            ASSERT_EQ(mask + n * maskRow, b.size());
            int transparent = 0;
            for (size_t y = 0; y < n; ++y)
                for (size_t x = 0; x < n; ++x) transparent += (b[mask + y * maskRow + x / 8] >> (7 - x % 8)) & 1;
            EXPECT_GT(transparent, int(n * n / 20));
            EXPECT_LT(transparent, int(n * n * 7 / 10));
            EXPECT_TRUE(b[mask + (n - 1) * maskRow] & 0x80);  // top-left corner (mask rows are bottom-up)
        }
}

TEST_F(Mkart, SameDrawingEveryRunAndTheSourceCarriesTheSameBytes) {
    const std::string again = dir_ + "-again";
    ASSERT_EQ(std::system(("rm -rf '" + again + "' && mkdir -p '" + again + "' && '" + kMkart + "' '" + again + "'").c_str()), 0);
    for (const char* name : {"check.bmp", "cross.bmp", "question.bmp", "door.bmp", "runglyph.bmp", "app.ico", "setup.ico",
                             "ArtData.cpp"})
        EXPECT_EQ(Slurp(Path(name)), Slurp(again + "/" + name)) << name;
    const std::vector<uint8_t> src = Slurp(Path("ArtData.cpp"));
    const std::string text(src.begin(), src.end());
    for (const char* sym : {"kCheckMark", "kCross", "kQuestion", "kDoor", "kRunGlyph", "kAppIcon", "kSetupIcon"})
        EXPECT_NE(text.find(sym), std::string::npos) << sym;
    // The first bytes of the check mark picture appear as written.
    const std::vector<uint8_t> bmp = Slurp(Path("check.bmp"));
    EXPECT_NE(text.find("kCheckMark[] = {\n    " + std::to_string(bmp[0]) + ", " + std::to_string(bmp[1]) + ","),
              std::string::npos);
}
