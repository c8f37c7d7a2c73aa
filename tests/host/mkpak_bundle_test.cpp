// QstSetup.exe's payload: mkpak bundle (run as a real process) writes it, the stub's own reader (BundleFormat.h)
// reads it back, and openssl's and split's command lines, which know nothing of our code, check the piece hashes. Then the
// reader against signed, cut and damaged bundles, and the writer's refusals.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "MiniPe.h"
#include "PakBundle.h"
#include "PakWriter.h"
#include "stub/BundleFormat.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Read(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}
void Write(const fs::path& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::string Hex(const uint8_t* p, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) s += {digits[p[i] >> 4], digits[p[i] & 15]};
    return s;
}

// A media folder (Setup.exe, Quilstr.pak with its signature, Delphi20.pak, a read-me mkpak leaves out) and a stub,
// bundled once per suite by the real mkpak.
class Bundle : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("qs-bundle-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_ / "media");
        qs::pak::PakOptions options;
        options.version = "1.0";
        // Three pieces, the last one short: the piece hash of a file over several pieces.
        Write(dir_ / "media/Setup.exe", qs::test::MiniPe(2 * QSB_PIECE + 3000));
        Write(dir_ / "media/Quilstr.pak", qs::pak::BuildPackage({{"QUILSTR.EXE", Bytes(7000, 'q'), 0, ""}}, options));
        Write(dir_ / "media/Quilstr.sig", Bytes(384, 0x5A));
        Write(dir_ / "media/Delphi20.pak", qs::pak::BuildPackage({{"QSPROP.DCU", Bytes(900, 'd'), 0, ""}}, options));
        Write(dir_ / "media/ReadMe.txt", Bytes(10, 'r'));
        Write(dir_ / "stub.exe", qs::test::MiniPe(1024));
        const std::string cmd = std::string(QS_BUILD_DIR) + "/tools/mkpak/mkpak bundle " + (dir_ / "QstSetup.exe").string() +
                                " --stub " + (dir_ / "stub.exe").string() + " " + (dir_ / "media").string() +
                                " >/dev/null 2>&1";
        mkpakExit_ = std::system(cmd.c_str());
        bundle_ = Read(dir_ / "QstSetup.exe");
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void SetUp() override { ASSERT_EQ(mkpakExit_, 0) << "mkpak bundle failed"; }

    static fs::path dir_;
    static int mkpakExit_;
    static Bytes bundle_;
};
fs::path Bundle::dir_;
int Bundle::mkpakExit_ = -1;
Bytes Bundle::bundle_;

TEST_F(Bundle, MkpakBundle_ReadBackByTheStubsReader_PieceHashesAgreeWithOpenssl) {
    if (std::system("openssl version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "SKIPPED: no openssl command on this host to check the hashes with";
    QsbBundle b;
    ASSERT_EQ(QsbRead(bundle_.data(), bundle_.size(), &b), QSB_OK);
    EXPECT_EQ(bundle_.size() % 8, 0u) << "a signature appended later needs no padding";
    const Bytes stub = Read(dir_ / "stub.exe");
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), bundle_.begin())) << "the stub comes first, unchanged";
    EXPECT_EQ(b.payloadOffset, stub.size());
    const std::vector<std::string> order = {"Setup.exe", "Quilstr.pak", "Quilstr.sig", "Delphi20.pak"};
    ASSERT_EQ(b.fileCount, order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const QsbFile& f = b.files[i];
        EXPECT_EQ(f.name, order[i]);
        const Bytes want = Read(dir_ / "media" / order[i]);
        ASSERT_EQ(f.size, want.size()) << f.name;
        EXPECT_TRUE(std::equal(want.begin(), want.end(), bundle_.begin() + std::ptrdiff_t(f.offset))) << f.name;
        const std::string out = (dir_ / "digest").string();
        const std::string pieces = "split -b " + std::to_string(QSB_PIECE) + " --filter='openssl dgst -sha256 -binary' " +
                                   (dir_ / "media" / order[i]).string();
        ASSERT_EQ(std::system((pieces + " | openssl dgst -sha256 -r >" + out).c_str()), 0);
        std::ifstream digest(out);
        std::string hex;
        digest >> hex;
        EXPECT_EQ(Hex(f.pieceHash, 32), hex) << f.name;
    }
}

// The reader on the bundle changed as a signing tool, a cut download or damage would change it.
TEST_F(Bundle, StubReader_SignedCutAndDamagedBundles) {
    QsbBundle intact;
    ASSERT_EQ(QsbRead(bundle_.data(), bundle_.size(), &intact), QSB_OK);
    const size_t trailer = bundle_.size() - QSB_TRAILER_SIZE, dir = size_t(intact.directoryOffset);
    const auto flip = [](size_t at, uint8_t bits) { return [=](Bytes& b) { b[at] ^= bits; }; };
    const struct {
        const char* what;
        std::function<void(Bytes&)> change;
        QsbResult want;
    } cases[] = {
        {"as made", [](Bytes&) {}, QSB_OK},
        {"signed", [](Bytes& b) { qs::test::AppendCertificateTable(b, 0, 2000); }, QSB_OK},
        {"signed after 3 bytes of padding", [](Bytes& b) { qs::test::AppendCertificateTable(b, 3, 2000); }, QSB_OK},
        {"signed, the table's size wrong", [](Bytes& b) { qs::test::AppendCertificateTable(b, 0, 2000); b.pop_back(); },
         QSB_NO_PAYLOAD},
        {"one byte cut off", [](Bytes& b) { b.pop_back(); }, QSB_NO_PAYLOAD},
        {"cut in half", [](Bytes& b) { b.resize(b.size() / 2); }, QSB_NO_PAYLOAD},
        {"the bare stub", [](Bytes& b) { b.resize(1024); }, QSB_NO_PAYLOAD},
        {"the magic changed", flip(bundle_.size() - 1, 0x20), QSB_NO_PAYLOAD},
        {"one file more counted", flip(trailer + 20, 0x01), QSB_DAMAGED},
        {"the directory one byte shorter", flip(trailer + 16, 0x01), QSB_DAMAGED},
        {"the payload starting later", flip(trailer, 0x08), QSB_DAMAGED},
        {"Setup.exe one byte longer", flip(dir, 0x01), QSB_DAMAGED},
        {"a name with a slash", [&](Bytes& b) { b[dir + QSB_ENTRY_FIXED + 5] = '/'; }, QSB_DAMAGED},
        {"no Setup.exe", [&](Bytes& b) { b[dir + QSB_ENTRY_FIXED + 8] = 'f'; }, QSB_DAMAGED},
        {"a name too long", [&](Bytes& b) { b[dir + QSB_ENTRY_FIXED - 1] = 13; }, QSB_DAMAGED},
    };
    for (const auto& c : cases) {
        Bytes b = bundle_;
        c.change(b);
        QsbBundle read;
        EXPECT_EQ(QsbRead(b.data(), b.size(), &read), c.want) << c.what;
        if (c.want == QSB_OK) {
            EXPECT_EQ(read.directoryOffset, intact.directoryOffset) << c.what;
            EXPECT_EQ(read.files[1].offset, intact.files[1].offset) << c.what;
        }
    }
}

TEST_F(Bundle, BuildBundle_RefusesBeforeHashingAnything) {
    bool hashed = false;
    const qs::pak::Sha256Function sha = [&](const uint8_t*, size_t, uint8_t(&)[32]) { hashed = true; };
    const Bytes stub = qs::test::MiniPe(1024);
    Bytes signedStub = stub;
    qs::test::AppendCertificateTable(signedStub, 0, 100);
    const qs::pak::BundleFile setup{"Setup.exe", Bytes(10, 's')}, pak{"Quilstr.pak", Bytes(10, 'p')};
    const struct {
        const char* what;
        Bytes stub;
        std::vector<qs::pak::BundleFile> files;
        const char* says;
    } cases[] = {
        {"not a program", Bytes(2000, 'x'), {setup, pak}, "not a Windows program"},
        {"a signed stub", signedStub, {setup, pak}, "The stub is signed"},
        {"a bundle as stub", bundle_, {setup, pak}, "already carries a payload"},
        {"no Setup.exe", stub, {pak}, "needs Setup.exe"},
        {"a name twice", stub, {setup, pak, {"QUILSTR.PAK", {}}}, "given twice"},
        {"a folder in a name", stub, {setup, {"x/Quilstr.pak", {}}}, "not a plain file name"},
        {"a name over 12 characters", stub, {setup, {"Quillostrand.pak", {}}}, "not a plain file name"},
        {"17 files", stub, std::vector<qs::pak::BundleFile>(17, setup), "at most 16 files"},
    };
    for (const auto& c : cases) {
        try {
            qs::pak::BuildBundle(c.stub, c.files, sha);
            ADD_FAILURE() << c.what << ": not refused";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << c.what << ": " << e.what();
        }
    }
    EXPECT_FALSE(hashed);
}

}  // namespace
