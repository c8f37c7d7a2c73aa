// The package writer/reader library and the mkpak tool (run as a real process).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "PakWriter.h"
#include "TestData.h"
#include "package/Crc32.h"
#include "package/PakFormat.h"

using namespace qs;
using namespace qs::pak;
using Bytes = std::vector<uint8_t>;
using qs::test::RandomBytes;
namespace fs = std::filesystem;

namespace {

std::vector<FileToPack> SampleEntries() {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "Quillostrand help line " + std::to_string(i % 17) + "\r\n";
    return {
        {"QUILSTR.EXE", RandomBytes(30000, 1, 20), 0x2A8C6B20u, "Quillostrand.exe"},
        {"README.TXT", Bytes(text.begin(), text.end()), 0x2A8C6B21u, ""},
        {"EMPTY.DAT", {}, 0x21000000u, "e"},
    };
}

struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() / ("qs-mkpak-" + std::to_string(std::random_device{}()));
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

void WriteFile(const fs::path& p, const Bytes& b) {
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

std::string ReadText(const fs::path& p) {
    std::ifstream f(p);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Runs the built tool; returns its exit code and leaves stdout+stderr in *output.
int RunMkpak(const std::string& args, const TempDir& dir, std::string* output = nullptr) {
    const fs::path log = dir.path / "mkpak.log";
    const std::string cmd = std::string(QS_BUILD_DIR) + "/tools/mkpak/mkpak " + args + " >" + log.string() + " 2>&1";
    const int status = std::system(cmd.c_str());
    if (output) *output = ReadText(log);
    return status == -1 ? -1 : (status >> 8) & 0xFF;
}

void ExpectRefused(const std::function<void()>& f, const std::string& part) {
    try {
        f();
        ADD_FAILURE() << "not refused: " << part;
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find(part), std::string::npos) << e.Message();
    }
}

}  // namespace

TEST(PakWriter, BuildThenParse_GivesBackEveryFieldAndFile) {
    for (bool extra : {false, true}) {
        PakOptions o;
        o.version = "2.1 (build 7)\r\n";
        o.extraNames = extra;
        o.reserved = 0x1234;
        const auto entries = SampleEntries();
        const Bytes image = BuildPackage(entries, o);
        const PakInfo info = ParsePackage(image, "sample");
        EXPECT_EQ(info.product, "Quillostrand");
        EXPECT_EQ(info.version, "2.1 (build 7)\r\n");
        EXPECT_EQ(info.extraNames, extra);
        EXPECT_EQ(info.reserved, 0x1234);
        EXPECT_EQ(info.dirPos, 5 + 2 + 4 + 12 + 4 + 15 + 1);
        ASSERT_EQ(info.entries.size(), entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            const PakDirRecord& d = info.entries[i];
            EXPECT_EQ(d.name, entries[i].name);
            EXPECT_EQ(d.extraName, extra ? entries[i].extraName : "");
            EXPECT_EQ(d.dosTime, entries[i].dosTime);
            EXPECT_EQ(d.unpackedSize, static_cast<int32_t>(entries[i].data.size()));
            EXPECT_EQ(d.fileCrc, Crc32UpdateLong(entries[i].data.data(), entries[i].data.size(), 0));
            EXPECT_EQ(UnpackEntry(image, d), entries[i].data);
        }
    }
}

TEST(PakWriter, SetupProgramsHeaderScanReadsTheWrittenPackage) {
    TempDir dir;
    PakOptions o;
    o.version = "3.0";
    o.extraNames = true;
    const auto entries = SampleEntries();
    const fs::path pak = dir.path / "Quilstr.pak";
    WritePackageFile(pak.string(), entries, o);
    const PackageSummary s = ScanPackage(pak.string(), PakRole::Main);
    EXPECT_EQ(s.VersionText, "3.0");
    EXPECT_TRUE(s.HasExtraName);
    EXPECT_EQ(s.EntryCount, 3);
    EXPECT_EQ(s.TotalSize, 30000 + static_cast<int32_t>(entries[1].data.size()));
    EXPECT_EQ(s.DirPos, ParsePackage(ReadWholeFile(pak.string()), "p").dirPos);
}

// A version longer than the format's 32 bytes (made by another tool): Setup.exe's scan and mkpak list read the same
// first 32 bytes, cut before a character that would not fit whole, and list says it was cut.
TEST(PakWriter, LongVersion_SetupAndMkpakListReadTheSame) {
    TempDir dir;
    PakOptions o;
    o.version = "1.0";
    Bytes image = BuildPackage({}, o);
    const size_t at = 5 + 2 + 4 + o.product.size();  // magic, reserved, product length and text
    const std::string longVersion = std::string(31, 'a') + "\xC5\x82" + std::string(7, 'b');  // "ł" across byte 32
    image[at] = uint8_t(longVersion.size());
    image.erase(image.begin() + std::ptrdiff_t(at + 4), image.begin() + std::ptrdiff_t(at + 4 + o.version.size()));
    image.insert(image.begin() + std::ptrdiff_t(at + 4), longVersion.begin(), longVersion.end());
    const fs::path pak = dir.path / "Quilstr.pak";
    WriteFile(pak, image);

    const std::string shown(31, 'a');
    EXPECT_EQ(ScanPackage(pak.string(), PakRole::Main).VersionText, shown);
    const PakInfo info = ParsePackage(image, "Quilstr.pak");
    EXPECT_EQ(info.version, shown);
    EXPECT_EQ(info.versionLength, 40);
    std::string out;
    ASSERT_EQ(RunMkpak("list " + pak.string(), dir, &out), 0) << out;
    EXPECT_NE(out.find("Version: " + shown + " (stored 40 bytes; Setup.exe reads the first 32)"), std::string::npos)
        << out;
}

TEST(PakWriter, Refusals) {
    const auto one = [](const std::string& name) { return std::vector<FileToPack>{{name, {1, 2, 3}, 0, ""}}; };
    for (const char* bad : {"", "a/b.txt", "a\\b.txt", "c:x", "..", ".", "CON", "nul.txt", "com1", "tab\there"})
        ExpectRefused([&] { BuildPackage(one(bad), PakOptions{}); }, "not a plain file name");
    std::vector<FileToPack> twice = {{"A.TXT", {}, 0, ""}, {"a.txt", {}, 0, ""}};
    ExpectRefused([&] { BuildPackage(twice, PakOptions{}); }, "given twice");
    PakOptions longProduct;
    longProduct.product = std::string(33, 'p');
    ExpectRefused([&] { BuildPackage(one("A"), longProduct); }, "longer than 32");
    PakOptions longVersion;
    longVersion.version = std::string(33, 'v');
    ExpectRefused([&] { BuildPackage(one("A"), longVersion); }, "longer than 32");
    PakOptions exactly32;
    exactly32.product = std::string(32, 'p');
    exactly32.version = std::string(32, 'v');
    EXPECT_NO_THROW(BuildPackage(one("A"), exactly32));
}

TEST(PakWriter, RefusedPackage_LeavesAnExistingFileUntouchedAndNoTemporary) {
    TempDir dir;
    const fs::path pak = dir.path / "Quilstr.pak";
    WriteFile(pak, {'o', 'l', 'd'});
    ExpectRefused([&] { WritePackageFile(pak.string(), {{"a/b", {}, 0, ""}}, PakOptions{}); }, "plain file");
    EXPECT_EQ(ReadWholeFile(pak.string()), (Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(fs::exists(pak.string() + ".part"));
}

TEST(PakReader, DamagedPackagesAreNamed) {
    const Bytes image = BuildPackage(SampleEntries(), PakOptions{});
    ExpectRefused([&] { ParsePackage(Bytes{'Q', 'V', 'P', 'A', 'X', 0, 0}, "x.pak"); }, "x.pak is not a package");
    ExpectRefused([&] { ParsePackage(Bytes{}, "x.pak"); }, "is not a package");
    // Cut anywhere inside header or directory.
    const size_t dirEnd = static_cast<size_t>(ParsePackage(image, "p").entries[0].dataOffset);
    for (size_t cut = 5; cut < dirEnd; cut += 3) {
        const Bytes shortImage(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(cut));
        ExpectRefused([&] { ParsePackage(shortImage, "cut.pak"); }, "cut.pak is damaged");
    }
    // Cut inside the first entry's fixed part: the first field that does not fit is named.
    const PakInfo whole = ParsePackage(image, "p");
    const size_t fixedStart = size_t(whole.dirPos) + 4 + 1 + whole.entries[0].name.size();
    const char* const fields[] = {"FileTime", "UnpackedSize", "DataOffset", "PackedSize", "FileCRC", "DataCRC"};
    for (size_t k = 0; k < 24; ++k) {
        const Bytes shortImage(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(fixedStart + k));
        ExpectRefused([&] { ParsePackage(shortImage, "cut.pak"); },
                      std::string(fields[k / 4]) + " lies past the end of the file");
    }
    // Packed data cut short: the last entry's data lie past the end.
    const Bytes noTail(image.begin(), image.end() - 10);
    ExpectRefused([&] { ParsePackage(noTail, "t.pak"); }, "outside the file");
}

TEST(PakReader, CrcMismatchesNameTheEntry) {
    const auto entries = SampleEntries();
    Bytes image = BuildPackage(entries, PakOptions{});
    const PakInfo info = ParsePackage(image, "p");
    const PakDirRecord& readme = info.entries[1];
    Bytes flipped = image;
    flipped[static_cast<size_t>(readme.dataOffset) + 5] ^= 0x10;
    ExpectRefused([&] { UnpackEntry(flipped, readme); }, "Entry \"README.TXT\": CRC-32 of the packed data");
    PakDirRecord wrongFileCrc = readme;
    wrongFileCrc.fileCrc ^= 1;
    ExpectRefused([&] { UnpackEntry(image, wrongFileCrc); }, "CRC-32 of the unpacked file");
    PakDirRecord wrongSize = readme;
    wrongSize.unpackedSize += 1;
    ExpectRefused([&] { UnpackEntry(image, wrongSize); }, "instead of");
}

TEST(DosTime, LocalTimeRoundTripAndClamping) {
    std::tm tm{};
    tm.tm_year = 2024 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 15;
    tm.tm_hour = 13;
    tm.tm_min = 45;
    tm.tm_sec = 31;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    const uint32_t d = DosTimeFromTime(t);
    EXPECT_EQ(d >> 25, 44u);
    EXPECT_EQ((d >> 21) & 15, 3u);
    EXPECT_EQ((d >> 16) & 31, 15u);
    EXPECT_EQ((d >> 11) & 31, 13u);
    EXPECT_EQ((d >> 5) & 63, 45u);
    EXPECT_EQ(d & 31, 15u);  // seconds / 2
    EXPECT_EQ(TimeFromDosTime(d), t - 1);
    EXPECT_EQ(DosTimeText(d), "2024-03-15 13:45:30");
    EXPECT_EQ(DosTimeFromTime(0), (1u << 21) | (1u << 16));  // 1970 -> 1980-01-01
}

TEST(MkpakTool, CreateListTestExtract) {
    TempDir dir;
    const fs::path src = dir.path / "src";
    fs::create_directories(src);
    const Bytes b = RandomBytes(50000, 9, 30), c = RandomBytes(1000, 10);
    WriteFile(src / "b.dat", b);
    WriteFile(src / "a.txt", {'h', 'i'});
    WriteFile(dir.path / "c.bin", c);
    const fs::path pak = dir.path / "out.pak";
    std::string out;
    ASSERT_EQ(RunMkpak("create " + pak.string() + " --product Quillostrand --version 1.5 --extra-names " +
                           (dir.path / "c.bin").string() + " " + src.string(),
                       dir, &out),
              0)
        << out;
    const PakInfo info = ParsePackage(ReadWholeFile(pak.string()), "out.pak");
    ASSERT_EQ(info.entries.size(), 3u);
    EXPECT_EQ(info.entries[0].name, "c.bin");  // order as given, then the folder sorted by name
    EXPECT_EQ(info.entries[1].name, "a.txt");
    EXPECT_EQ(info.entries[2].name, "b.dat");
    EXPECT_TRUE(info.extraNames);
    EXPECT_EQ(info.version, "1.5");

    ASSERT_EQ(RunMkpak("list " + pak.string(), dir, &out), 0);
    EXPECT_NE(out.find("b.dat"), std::string::npos);
    EXPECT_NE(out.find("Version: 1.5"), std::string::npos);
    ASSERT_EQ(RunMkpak("test " + pak.string(), dir, &out), 0) << out;
    ASSERT_EQ(RunMkpak("extract " + pak.string() + " " + (dir.path / "x").string(), dir, &out), 0) << out;
    EXPECT_EQ(ReadWholeFile((dir.path / "x" / "b.dat").string()), b);
    EXPECT_EQ(ReadWholeFile((dir.path / "x" / "c.bin").string()), c);
    EXPECT_EQ(ReadWholeFile((dir.path / "x" / "a.txt").string()), (Bytes{'h', 'i'}));
}

TEST(MkpakTool, AnyNumberOfJobs_GivesTheSamePackageAndFiles) {
    TempDir dir;
    const fs::path src = dir.path / "src";
    fs::create_directories(src);
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "Topic " + std::to_string(i % 41) + " of the help file\r\n";
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"empty.dat", {}},  {"one.bin", {0x7F}}, {"ABCDEFGH.TXT", Bytes(text.begin(), text.end())},
        {"rand.bin", RandomBytes(20000, 3, 25)}, {"zeros.bin", Bytes(30000, 0)},
    };
    for (const auto& [name, data] : files) WriteFile(src / name, data);
    Bytes first;
    for (const char* jobs : {"1", "2", "7"}) {  // 7: more threads than files
        const fs::path pak = dir.path / (std::string("j") + jobs + ".pak");
        std::string out;
        ASSERT_EQ(RunMkpak("create " + pak.string() + " --jobs " + jobs + " --product Q --version 1 " + src.string(),
                           dir, &out),
                  0)
            << out;
        const Bytes image = ReadWholeFile(pak.string());
        if (first.empty()) first = image;
        EXPECT_EQ(image, first) << jobs << " jobs";
        const fs::path x = dir.path / (std::string("x") + jobs);
        ASSERT_EQ(RunMkpak("extract --jobs " + std::string(jobs) + " " + pak.string() + " " + x.string(), dir, &out),
                  0)
            << out;
        for (const auto& [name, data] : files) EXPECT_EQ(ReadWholeFile((x / name).string()), data) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(x), fs::directory_iterator()), 5);
    }
}

TEST(MkpakTool, DamagedEntries_TheFirstIsNamedAndNoHalfWrittenFileIsLeft) {
    TempDir dir;
    const fs::path pak = dir.path / "p.pak";
    WritePackageFile(pak.string(), SampleEntries(), PakOptions{});
    Bytes image = ReadWholeFile(pak.string());
    const PakInfo info = ParsePackage(image, "p");
    image[static_cast<size_t>(info.entries[1].dataOffset)] ^= 0x40;  // README.TXT
    image[static_cast<size_t>(info.entries[2].dataOffset)] ^= 0x40;  // EMPTY.DAT, after it
    WriteFile(pak, image);
    for (const char* jobs : {"1", "2"}) {
        std::string out;
        EXPECT_EQ(RunMkpak(std::string("test --jobs ") + jobs + " " + pak.string(), dir, &out), 1);
        EXPECT_NE(out.find("Entry \"README.TXT\""), std::string::npos) << out;
        EXPECT_EQ(out.find("EMPTY.DAT"), std::string::npos) << out;
        const fs::path x = dir.path / (std::string("x") + jobs);
        EXPECT_EQ(RunMkpak(std::string("extract --jobs ") + jobs + " " + pak.string() + " " + x.string(), dir, &out),
                  1);
        EXPECT_NE(out.find("Entry \"README.TXT\""), std::string::npos) << out;
        EXPECT_TRUE(fs::exists(x / "QUILSTR.EXE"));
        EXPECT_EQ(std::distance(fs::directory_iterator(x), fs::directory_iterator()), 1) << "a partial file is left";
    }
}

TEST(MkpakTool, Refusals_NonZeroExitAndNoPackageLeft) {
    TempDir dir;
    WriteFile(dir.path / "ok.txt", {'x'});
    const std::string ok = (dir.path / "ok.txt").string();
    WriteFile(dir.path / "AVeryLongName.txt", {'x'});
    const fs::path mid = dir.path / "mid";
    fs::create_directories(mid);
    WriteFile(mid / "a.txt", RandomBytes(100000, 4));
    const std::string gone = (mid / "m.dat").string();
    fs::create_symlink(dir.path / "nowhere", gone);
    WriteFile(mid / "z.txt", RandomBytes(100000, 5));
    const fs::path pak = dir.path / "r.pak";
    const struct { std::string args, message; } cases[] = {
        {"create " + pak.string() + " --product Quillostrand --version 1 " + (dir.path / "missing.txt").string(),
         "Cannot read"},
        {"create " + pak.string() + " --product " + std::string(33, 'P') + " --version 1 " + ok, "longer than 32"},
        {"create " + pak.string() + " --product Q --version " + std::string(40, '9') + " " + ok, "longer than 32"},
        {"create " + pak.string() + " --product Q --version 1 " + ok + " " + ok, "given twice"},
        {"create " + pak.string() + " --product Q --version 1 " + (dir.path / "AVeryLongName.txt").string(),
         "AVeryLongName.txt\" is longer than 12 characters"},
        // A dangling link cannot be read even by root; the files around it are fine.
        {"create " + pak.string() + " --jobs 2 --product Q --version 1 " + mid.string(), "Cannot read " + gone},
        {"test " + ok, "is not a package"},
        {"list " + (dir.path / "none.pak").string(), "Cannot read"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(RunMkpak(c.args, dir, &out), 1) << c.args;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.args << "\n" << out;
        EXPECT_FALSE(fs::exists(pak)) << c.args;
        EXPECT_FALSE(fs::exists(pak.string() + ".part")) << c.args;
    }
    for (const std::string& usage : {"create " + pak.string(),
                                     "create " + pak.string() + " --jobs 0 --product Q --version 1 " + ok,
                                     "test --jobs x1 " + ok, "extract --jobs " + ok}) {
        std::string out;
        EXPECT_EQ(RunMkpak(usage, dir, &out), 2) << usage;
        EXPECT_NE(out.find("usage"), std::string::npos) << out;
        EXPECT_FALSE(fs::exists(pak)) << usage;
    }
}
