// mkart: draws the setup program's pictures from code, so that no binary picture is kept in the sources.
//   mkart OUTDIR
// writes check.bmp, cross.bmp, question.bmp, door.bmp (36 x 18, 256 colours: the normal image and the
// disabled one side by side), runglyph.bmp (28 x 28, 16 colours), app.ico and setup.ico (32 x 32, 16 colours
// with a mask), and ArtData.cpp with the same bytes for the program to load from memory.
// Every shape is described in a 32-unit (or 18-unit) space and sampled at pixel centres, so the same drawing
// renders at 32 and at 28 pixels.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "framework/FormTable.h"

namespace {

// The 16 colours of the classic palette; pictures use only these.
enum Colour : uint8_t {
    Black, Maroon, Green, Olive, Navy, Purple, Teal, Silver, Gray, Red, Lime, Yellow, Blue, Fuchsia, Aqua, White
};
const uint8_t kPalette[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                 {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                 {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                 {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
// Background of the button pictures: the bottom-left pixel, shown as transparent. Used by no drawing.
constexpr uint8_t kKey = Olive;

struct Pt {
    double x, y;
};

double SegDist(Pt p, Pt a, Pt b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

double PolylineDist(Pt p, const std::vector<Pt>& pts) {
    double d = 1e9;
    for (size_t i = 1; i < pts.size(); ++i) d = std::min(d, SegDist(p, pts[i - 1], pts[i]));
    return d;
}

bool InPolygon(Pt p, const std::vector<Pt>& poly) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        if ((poly[i].y > p.y) != (poly[j].y > p.y) &&
            p.x < (poly[j].x - poly[i].x) * (p.y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
            in = !in;
    }
    return in;
}

// A drawing: layers painted in order over a background, each a region of the unit space and a colour.
class Drawing {
public:
    using Region = std::function<bool(Pt)>;
    void Add(Region r, uint8_t colour) { layers_.push_back({std::move(r), colour}); }

    // Filled rectangle [x0,x1) x [y0,y1) in units, optionally with an outline of width `edge` units.
    void Rect(double x0, double y0, double x1, double y1, uint8_t fill, int outline = -1, double edge = 1) {
        if (outline >= 0)
            Add([=](Pt p) { return p.x >= x0 && p.x < x1 && p.y >= y0 && p.y < y1; }, uint8_t(outline));
        const double e = outline >= 0 ? edge : 0;
        Add([=](Pt p) { return p.x >= x0 + e && p.x < x1 - e && p.y >= y0 + e && p.y < y1 - e; }, fill);
    }
    // A stroke along a polyline: core of half-width r, edge one unit wider.
    void Stroke(std::vector<Pt> pts, double r, uint8_t core, int edge = -1) {
        if (edge >= 0) Add([=](Pt p) { return PolylineDist(p, pts) <= r + 1; }, uint8_t(edge));
        Add([=](Pt p) { return PolylineDist(p, pts) <= r; }, core);
    }
    void Polygon(std::vector<Pt> poly, uint8_t fill) {
        Add([=](Pt p) { return InPolygon(p, poly); }, fill);
    }
    void Disc(Pt c, double r, uint8_t fill) {
        Add([=](Pt p) { return std::hypot(p.x - c.x, p.y - c.y) <= r; }, fill);
    }

    // Renders size x size pixels of a drawing made in `units` x `units`; -1 marks the background.
    std::vector<int> Render(int size, double units) const {
        std::vector<int> px(size_t(size) * size, -1);
        const double scale = units / size;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const Pt p{(x + 0.5) * scale, (y + 0.5) * scale};
                for (const auto& l : layers_)
                    if (l.region(p)) px[size_t(y) * size + x] = l.colour;
            }
        return px;
    }

private:
    struct Layer {
        Region region;
        uint8_t colour;
    };
    std::vector<Layer> layers_;
};

std::vector<Pt> Arc(Pt c, double r, double from, double to, int steps) {
    std::vector<Pt> pts;
    for (int i = 0; i <= steps; ++i) {
        const double a = from + (to - from) * i / steps;
        pts.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    return pts;
}

const double kPi = 3.14159265358979323846;

// ---- The button pictures, 18 x 18 units
Drawing CheckMark() {
    Drawing d;
    d.Stroke({{3.5, 9.5}, {7.5, 13.5}, {15, 4}}, 1.1, Lime, Green);
    return d;
}
Drawing CrossMark() {
    Drawing d;
    d.Stroke({{4.5, 4.5}, {13.5, 13.5}}, 1.1, Red, Maroon);
    d.Stroke({{13.5, 4.5}, {4.5, 13.5}}, 1.1, Red, Maroon);
    return d;
}
Drawing QuestionMark() {
    Drawing d;
    std::vector<Pt> hook = Arc({9, 6}, 3.5, kPi * 1.05, kPi * 2.5, 40);
    hook.push_back({9, 11.2});
    d.Stroke(hook, 1.0, Aqua, Teal);
    d.Disc({9, 14.6}, 2.2, Teal);
    d.Disc({9, 14.6}, 1.2, Aqua);
    return d;
}
Drawing OpenDoor() {
    Drawing d;
    d.Rect(2, 1, 12, 17, Yellow, Black);                                  // the doorway, light beyond
    d.Polygon({{11, 1}, {16.5, 3}, {16.5, 16}, {11, 17}}, Black);          // the leaf swung open, its edge
    d.Polygon({{12, 2.4}, {15.5, 3.8}, {15.5, 15.2}, {12, 15.8}}, Maroon);
    d.Disc({14.5, 9.5}, 0.8, Yellow);                                     // the knob
    d.Rect(0, 16, 11, 17, Gray);                                          // the threshold
    return d;
}

// ---- The icons, 32 x 32 units
// The application: a help book with a question mark, and a quill.
Drawing AppIcon() {
    Drawing d;
    d.Rect(5, 4, 24, 29, Blue, Navy);                  // cover
    d.Rect(5, 4, 8, 29, Navy);                         // spine
    d.Rect(8, 26, 24, 28, White);                      // page edges
    d.Rect(8, 28, 24, 29, Navy);
    std::vector<Pt> hook = Arc({16, 11.5}, 3.6, kPi * 1.05, kPi * 2.5, 40);
    hook.push_back({16, 17.5});
    d.Stroke(hook, 1.2, Yellow);
    d.Disc({16, 21.5}, 1.6, Yellow);
    // The quill, lying across the book's corner.
    d.Polygon({{30.5, 1.5}, {26, 3.5}, {21.5, 9}, {19.5, 15}, {22, 13}, {27, 8.5}}, Black);
    d.Polygon({{29.5, 2.5}, {26.3, 4.3}, {22.5, 9.2}, {21, 13}, {26.3, 8}}, White);
    d.Stroke({{29.5, 2.5}, {19.8, 15.2}}, 0.35, Silver);
    d.Stroke({{19.8, 15.2}, {17.5, 19}}, 0.6, Black);  // the nib
    return d;
}
// The setup program: a floppy disk with the book's question mark, and a green arrow into the machine.
Drawing SetupIcon() {
    Drawing d;
    d.Polygon({{3, 3}, {25, 3}, {29, 7}, {29, 29}, {3, 29}}, Black);
    d.Polygon({{4, 4}, {24.6, 4}, {28, 7.4}, {28, 28}, {4, 28}}, Navy);
    d.Rect(9, 4, 23, 12, Silver, Gray);                // shutter
    d.Rect(18, 5.5, 21, 10.5, Navy);
    d.Rect(7, 15, 25, 28, White, Gray);                // label
    std::vector<Pt> hook = Arc({16, 19}, 2.3, kPi * 1.05, kPi * 2.5, 30);
    hook.push_back({16, 23.2});
    d.Stroke(hook, 0.8, Blue);
    d.Disc({16, 25.6}, 0.9, Blue);
    d.Polygon({{24, 17}, {31.5, 24.5}, {24, 32}}, Green);  // arrow head
    d.Polygon({{24.8, 19}, {30, 24.5}, {24.8, 30}}, Lime);
    return d;
}

// ---- Writers
using Bytes = std::vector<uint8_t>;
using qs::ByteWriter;

void InfoHeader(ByteWriter& b, int w, int h, int bpp, int colours, uint32_t imageSize) {
    b.U32(40); b.U32(uint32_t(w)); b.U32(uint32_t(h)); b.U16(1); b.U16(uint16_t(bpp)); b.U32(0);
    b.U32(imageSize); b.U32(0); b.U32(0); b.U32(unsigned(colours)); b.U32(0);
}

void Palette(ByteWriter& b, int colours) {
    for (int i = 0; i < colours; ++i) {
        const uint8_t* c = kPalette[i < 16 ? i : 0];
        b.U8(c[2]); b.U8(c[1]); b.U8(c[0]); b.U8(0);
    }
}

// Pixels (palette indices, top row first) as bottom-up rows of bpp 4 or 8, each padded to 4 bytes.
Bytes PixelRows(const std::vector<uint8_t>& px, int w, int h, int bpp) {
    Bytes b;
    const int stride = ((w * bpp + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(size_t(stride), 0);
        for (int x = 0; x < w; ++x) {
            const uint8_t v = px[size_t(y) * w + x];
            if (bpp == 8) row[size_t(x)] = v;
            else row[size_t(x / 2)] |= uint8_t(x % 2 ? v : v << 4);
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

Bytes Bmp(const std::vector<uint8_t>& px, int w, int h, int bpp) {
    const int colours = 1 << bpp;
    const Bytes rows = PixelRows(px, w, h, bpp);
    const uint32_t offset = 14 + 40 + uint32_t(colours) * 4;
    Bytes out;
    ByteWriter b(out);
    b.U8('B'); b.U8('M'); b.U32(offset + uint32_t(rows.size())); b.U32(0); b.U32(offset);
    InfoHeader(b, w, h, bpp, colours, uint32_t(rows.size()));
    Palette(b, colours);
    b.Bytes(rows);
    return out;
}

// n x n, 16 colours; background pixels are transparent through the mask.
Bytes Ico(const std::vector<int>& px, int n) {
    std::vector<uint8_t> colour(px.size());
    for (size_t i = 0; i < px.size(); ++i) colour[i] = px[i] < 0 ? 0 : uint8_t(px[i]);
    const Bytes xorRows = PixelRows(colour, n, n, 4);
    Bytes mask;
    const int maskStride = ((n + 31) / 32) * 4;
    for (int y = n - 1; y >= 0; --y)
        for (int byte = 0; byte < maskStride; ++byte) {
            uint8_t v = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = byte * 8 + bit;
                if (x < n && px[size_t(y) * n + x] < 0) v |= uint8_t(0x80 >> bit);
            }
            mask.push_back(v);
        }
    const uint32_t imageSize = 40 + 16 * 4 + uint32_t(xorRows.size() + mask.size());
    Bytes out;
    ByteWriter b(out);
    b.U16(0); b.U16(1); b.U16(1);                         // icon directory with one image
    b.U8(uint8_t(n)); b.U8(uint8_t(n)); b.U8(16); b.U8(0); b.U16(1); b.U16(4); b.U32(imageSize); b.U32(6 + 16);
    InfoHeader(b, n, 2 * n, 4, 16, uint32_t(xorRows.size() + mask.size()));
    Palette(b, 16);
    b.Bytes(xorRows);
    b.Bytes(mask);
    return out;
}

// Two n x n images side by side (the drawing's 18 units in n pixels): the drawing, and the disabled one (grey,
// outlined in white one pixel down and to the right), on the transparent key colour.
std::vector<uint8_t> ButtonPicture(const Drawing& d, int n) {
    const std::vector<int> img = d.Render(n, 18);
    const size_t row = size_t(2 * n);
    std::vector<uint8_t> px(row * size_t(n), kKey);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int v = img[size_t(y) * n + x];
            if (v >= 0) px[size_t(y) * row + x] = uint8_t(v);
            if (v >= 0 && x + 1 < n && y + 1 < n) px[size_t(y + 1) * row + n + x + 1] = White;
        }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (img[size_t(y) * n + x] >= 0) px[size_t(y) * row + n + x] = Gray;
    if (px[size_t(n - 1) * row] != kKey) throw std::runtime_error("a picture covers its transparent corner");
    return px;
}

// The sets drawn: the window's 96 DPI and the usual scalings (125, 150, 200 %), each at its own size rather than
// enlarged pixel by pixel.
constexpr int kDrawnDpis[] = {96, 120, 144, 192};

// One set's file images, in the order of the Picture values (CheckMark .. SetupIcon).
std::vector<Bytes> PictureSet(int dpi) {
    const int b = qs::form::Scale(18, dpi), r = qs::form::Scale(28, dpi), i = qs::form::Scale(32, dpi);
    std::vector<Bytes> set;
    for (const Drawing& d : {CheckMark(), CrossMark(), QuestionMark(), OpenDoor()})
        set.push_back(Bmp(ButtonPicture(d, b), 2 * b, b, 8));
    const std::vector<int> run = AppIcon().Render(r, 32);  // the application's picture, a little smaller
    std::vector<uint8_t> px(run.size());
    for (size_t k = 0; k < run.size(); ++k) px[k] = run[k] < 0 ? kKey : uint8_t(run[k]);
    if (px[size_t(r - 1) * r] != kKey) throw std::runtime_error("the run picture covers its corner");
    set.push_back(Bmp(px, r, r, 4));
    set.push_back(Ico(AppIcon().Render(i, 32), i));
    set.push_back(Ico(SetupIcon().Render(i, 32), i));
    return set;
}

void WriteFile(const std::string& path, const Bytes& b) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(b.data(), 1, b.size(), f) != b.size() || std::fclose(f) != 0)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkart OUTDIR\n");
        return 2;
    }
    try {
        const std::string dir = std::string(argv[1]) + "/";
        // Every set goes to files too, the 96 DPI one under the plain names that the resources take; the tests read
        // them all.
        const char* const files[] = {"check", "cross", "question", "door", "runglyph", "app", "setup"};
        const char* const symbols[] = {"kCheckMark", "kCross", "kQuestion", "kDoor", "kRunGlyph", "kAppIcon", "kSetupIcon"};
        const char* const cases[] = {"CheckMark", "Cross", "Question", "Door", "RunGlyph", "AppIcon", "SetupIcon"};
        std::string cpp =
            "// Generated by mkart: the program's pictures as .bmp and .ico file images, one set per drawn DPI.\n"
            "#include \"framework/ArtData.h\"\n\nnamespace qs::art {\nnamespace {\n";
        std::string sets = "const Blob kSets[][7] = {\n";
        for (const int dpi : kDrawnDpis) {
            const std::vector<Bytes> set = PictureSet(dpi);
            const std::string suffix = dpi == qs::form::kBaseDpi ? "" : "-" + std::to_string(dpi);
            sets += "    {";
            for (size_t k = 0; k < set.size(); ++k) {
                WriteFile(dir + files[k] + suffix + (k < 5 ? ".bmp" : ".ico"), set[k]);
                const std::string symbol = symbols[k] + (suffix.empty() ? "" : std::to_string(dpi));
                cpp += "const unsigned char " + symbol + "[] = {";
                for (size_t i = 0; i < set[k].size(); ++i) {
                    if (i % 20 == 0) cpp += "\n   ";
                    cpp += " " + std::to_string(set[k][i]) + ",";
                }
                cpp += "\n};\n";
                sets += "{" + symbol + ", sizeof " + symbol + "}" + (k + 1 < set.size() ? ", " : "");
            }
            sets += "},\n";
        }
        cpp += sets + "};\nconst int kSetDpis[] = {";
        for (const int dpi : kDrawnDpis) cpp += std::to_string(dpi) + ", ";
        cpp += "};\n\nint SetOf(int dpi) {\n    for (int i = 0; i < int(sizeof kSetDpis / sizeof *kSetDpis); ++i)\n"
               "        if (kSetDpis[i] == dpi) return i;\n    return -1;\n}\n\n}  // namespace\n\n"
               "bool DrawnFor(int dpi) { return SetOf(dpi) >= 0; }\n\n"
               "Blob PictureBytes(form::Picture picture, int dpi) {\n"
               "    const int set = SetOf(dpi) >= 0 ? SetOf(dpi) : 0;\n    switch (picture) {\n";
        for (int k = 0; k < 7; ++k)
            cpp += std::string("    case form::Picture::") + cases[k] + ": return kSets[set][" + std::to_string(k) + "];\n";
        cpp += "    case form::Picture::None: break;\n    }\n    return {nullptr, 0};\n}\n\n}  // namespace qs::art\n";
        Bytes src;
        src.assign(cpp.begin(), cpp.end());
        WriteFile(dir + "ArtData.cpp", src);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkart: %s\n", e.what());
        return 1;
    }
    return 0;
}
