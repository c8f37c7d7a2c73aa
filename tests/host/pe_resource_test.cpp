// The package key mkpak looks for in a media folder's Setup.exe: a named RCDATA resource, read from a small image
// built here with a resource table as a resource compiler lays it out. Found by name in any letter case; any cut or
// changed byte of the image gives an answer or a plain error, never a read outside it (the sanitizers watch).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "MiniPe.h"
#include "PeResource.h"
#include "base/Exceptions.h"

using qs::pak::FindNamedResource;

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A PE32+ image with one section (file offset 512, address 0x1000) holding the resource table: RCDATA "PAKKEY",
// language 0x409, the four bytes "KEY!".
std::vector<uint8_t> ImageWithKey() {
    std::vector<uint8_t> b = qs::test::MiniPe(1024);
    const size_t pe = qs::test::kMiniPeAt, optional = pe + 24, rsrc = 512;
    Put16(b, pe + 6, 1);               // one section
    Put16(b, pe + 20, 112 + 16 * 8);   // optional header with 16 data directories
    Put32(b, optional + 108, 16);
    Put32(b, optional + 112 + 2 * 8, 0x1000);  // the resource table
    Put32(b, optional + 112 + 2 * 8 + 4, 0x200);
    const size_t section = optional + 112 + 16 * 8;
    Put32(b, section + 8, 0x200);
    Put32(b, section + 12, 0x1000);
    Put32(b, section + 16, 0x200);
    Put32(b, section + 20, rsrc);
    const uint32_t dir = 0x80000000u;
    Put16(b, rsrc + 14, 1);  // types: one by number
    Put32(b, rsrc + 16, 10);
    Put32(b, rsrc + 20, dir | 24);
    Put16(b, rsrc + 24 + 12, 1);  // names: one by name
    Put32(b, rsrc + 40, dir | 96);
    Put32(b, rsrc + 44, dir | 48);
    Put16(b, rsrc + 48 + 14, 1);  // languages
    Put32(b, rsrc + 64, 0x409);
    Put32(b, rsrc + 68, 80);
    Put32(b, rsrc + 80, 0x1000 + 128);  // the data entry
    Put32(b, rsrc + 84, 4);
    Put16(b, rsrc + 96, 6);
    for (size_t i = 0; i < 6; ++i) Put16(b, rsrc + 98 + 2 * i, uint8_t("PAKKEY"[i]));
    std::memcpy(&b[rsrc + 128], "KEY!", 4);
    return b;
}

std::string Found(const std::vector<uint8_t>& image, uint16_t type, const std::string& name) {
    try {
        const auto data = FindNamedResource(image, type, name);
        return data ? std::string(data->begin(), data->end()) : "(none)";
    } catch (const qs::Exception& e) {
        return std::string("error: ") + e.what();
    }
}

}  // namespace

TEST(PeResource, FindsTheKeyByName_NothingElse) {
    const std::vector<uint8_t> image = ImageWithKey();
    EXPECT_EQ(Found(image, 10, "PAKKEY"), "KEY!");
    EXPECT_EQ(Found(image, 10, "pakKey"), "KEY!");
    EXPECT_EQ(Found(image, 10, "PAKKEYS"), "(none)");
    EXPECT_EQ(Found(image, 6, "PAKKEY"), "(none)");
    EXPECT_EQ(Found(qs::test::MiniPe(), 10, "PAKKEY"), "(none)") << "an image without resources";
    EXPECT_EQ(Found(std::vector<uint8_t>(600, 'x'), 10, "PAKKEY"),
              "error: Setup.exe is not a Windows program, or it is damaged");
}

TEST(PeResource, CutOrChangedImages_AnswerOrPlainError) {
    const std::vector<uint8_t> image = ImageWithKey();
    const size_t dataEnd = 512 + 128 + 4;
    for (size_t size = 0; size < image.size(); ++size) {
        const std::string got = Found(std::vector<uint8_t>(image.begin(), image.begin() + std::ptrdiff_t(size)), 10,
                                      "PAKKEY");
        if (size < dataEnd) EXPECT_EQ(got, "error: Setup.exe is not a Windows program, or it is damaged") << size;
        else EXPECT_EQ(got, "KEY!") << size;
    }
    // Each byte of the headers and the table set to its extremes: offsets and counts that point anywhere. Found
    // lets through nothing but the plain error (and the sanitizers catch any read outside the image).
    int found = 0, refused = 0;
    for (size_t at = 0; at < dataEnd; ++at)
        for (const uint8_t v : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0xFF)}) {
            std::vector<uint8_t> changed = image;
            changed[at] = v;
            const std::string got = Found(changed, 10, "PAKKEY");
            found += got == "KEY!";
            refused += got.rfind("error: ", 0) == 0;
        }
    EXPECT_GT(found, 0);
    EXPECT_GT(refused, 0);
}
