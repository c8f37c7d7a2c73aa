// Package signatures on the vendor's side: mkpak sign and verify (run as real processes), checked both ways
// against the openssl command-line tool, which knows nothing of our code.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "PakWriter.h"
#include "package/PakSignature.h"

using namespace qs;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

bool HaveOpenssl() { return std::system("openssl version >/dev/null 2>&1") == 0; }

// A folder with two RSA-3072 key pairs (vendor, other), a 2048-bit one and an EC one, made once for the suite.
class Signing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!HaveOpenssl()) return;
        dir_ = fs::temp_directory_path() / ("qs-sign-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        const auto make = [](const std::string& name, const std::string& opts) {
            const std::string k = (dir_ / name).string();
            ASSERT_EQ(std::system(("openssl genpkey " + opts + " -out " + k + ".pem -quiet 2>/dev/null && openssl pkey -in " +
                                   k + ".pem -pubout -out " + k + "-pub.pem").c_str()),
                      0);
        };
        make("vendor", "-algorithm RSA -pkeyopt rsa_keygen_bits:3072");
        make("other", "-algorithm RSA -pkeyopt rsa_keygen_bits:3072");
        make("short", "-algorithm RSA -pkeyopt rsa_keygen_bits:2048");
        make("ec", "-algorithm EC -pkeyopt ec_paramgen_curve:P-256");
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    void SetUp() override {
        if (!HaveOpenssl()) GTEST_SKIP() << "SKIPPED: no openssl command on this host; the signature tests cannot run";
        work_ = dir_ / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(work_);
    }

    static std::string Key(const std::string& name) { return (dir_ / (name + ".pem")).string(); }
    static std::string Pub(const std::string& name) { return (dir_ / (name + "-pub.pem")).string(); }
    std::string At(const std::string& name) const { return (work_ / name).string(); }

    // A small real package at name in the work folder.
    std::string MakePak(const std::string& name) const {
        qs::pak::PakOptions options;
        options.product = "Quillostrand";
        options.version = "1.0";
        const Bytes text(5000, 'q');
        Write(At(name), qs::pak::BuildPackage({{"README.TXT", text, 0x2A8C6B21u, ""}}, options));
        return At(name);
    }
    static void Write(const std::string& path, const Bytes& b) {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }
    static Bytes Read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    }
    // Runs a shell command in the work folder; its exit code, with stdout+stderr in output_.
    int Run(const std::string& cmd) {
        const std::string log = At("out.log");
        const int rc = std::system(("cd '" + work_.string() + "' && (" + cmd + ") >" + log + " 2>&1").c_str());
        std::ifstream f(log);
        output_.assign((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    int Mkpak(const std::string& args) { return Run(std::string(QS_BUILD_DIR) + "/tools/mkpak/mkpak " + args); }
    // The signed message as the header documents it, made by the shell and openssl alone.
    static std::string OpensslMessage(const std::string& upperName, const std::string& pak) {
        return "(printf '" + upperName + "\\n'; openssl dgst -sha256 -binary " + pak + ") > msg";
    }

    static fs::path dir_;
    fs::path work_;
    std::string output_;
};
fs::path Signing::dir_;

TEST_F(Signing, MkpakSignature_VerifiedByOpenssl) {
    const std::string pak = MakePak("Quilstr.pak");
    ASSERT_EQ(Mkpak("sign " + pak + " --key " + Key("vendor")), 0) << output_;
    EXPECT_EQ(Read(At("Quilstr.sig")).size(), 384u) << "beside the package, 8.3 name, one RSA-3072 signature";
    ASSERT_EQ(Run(OpensslMessage("QUILSTR.PAK", pak)), 0) << output_;
    EXPECT_EQ(Run("openssl dgst -sha256 -verify " + Pub("vendor") + " -signature Quilstr.sig msg"), 0) << output_;
    EXPECT_NE(Run("openssl dgst -sha256 -verify " + Pub("other") + " -signature Quilstr.sig msg"), 0) << output_;
}

TEST_F(Signing, OpensslSignature_AcceptedByMkpakVerify) {
    const std::string pak = MakePak("Delphi10.pak");
    ASSERT_EQ(Run(OpensslMessage("DELPHI10.PAK", pak) + " && openssl dgst -sha256 -sign " + Key("vendor") +
                  " -out Delphi10.sig msg"),
              0)
        << output_;
    EXPECT_EQ(Mkpak("verify --pubkey " + Pub("vendor") + " " + pak), 0) << output_;
    EXPECT_NE(output_.find("signature OK"), std::string::npos) << output_;
}

TEST_F(Signing, MkpakVerify_RefusesAndSaysWhy) {
    const std::string pak = MakePak("Delphi10.pak");
    ASSERT_EQ(Mkpak("sign " + pak + " --key " + Key("vendor")), 0) << output_;
    const Bytes good = Read(pak), sig = Read(At("Delphi10.sig"));
    Bytes changed = good;
    changed[changed.size() / 2] ^= 1;
    const Bytes cut(sig.begin(), sig.end() - 1);
    const struct {
        const char* what;
        Bytes pak, sig;
        const char* pubKey;
        std::string said;
    } cases[] = {
        {"one changed byte", changed, sig, "vendor", "does not match its signature"},
        {"another key's public half", good, sig, "other", "was not made with the key"},
        {"no signature", good, {}, "vendor", "Delphi10.sig is missing"},
        {"cut signature", good, cut, "vendor", "must be 384 bytes long"},
        {"text instead of a signature", good, Bytes(100, 'A'), "vendor", "must be 384 bytes long"},
        {"signature file over 64 KB", good, Bytes(65 * 1024, 0), "vendor", "is larger than 64 KB"},
    };
    for (const auto& c : cases) {
        Write(pak, c.pak);
        fs::remove(At("Delphi10.sig"));
        if (!c.sig.empty()) Write(At("Delphi10.sig"), c.sig);
        EXPECT_EQ(Mkpak("verify " + pak + " --pubkey " + Pub(c.pubKey)), 1) << c.what;
        EXPECT_NE(output_.find(c.said), std::string::npos) << c.what << ": " << output_;
    }
    // An empty file is not a signature either.
    Write(pak, good);
    Write(At("Delphi10.sig"), {});
    EXPECT_EQ(Mkpak("verify " + pak + " --pubkey " + Pub("vendor")), 1);
    EXPECT_NE(output_.find("is empty"), std::string::npos) << output_;

    // A signed Delphi10.pak renamed to Delphi20.pak, signature and all, fails: the name is signed too.
    Write(At("Delphi20.pak"), good);
    Write(At("Delphi20.sig"), sig);
    EXPECT_EQ(Mkpak("verify " + At("Delphi20.pak") + " --pubkey " + Pub("vendor")), 1);
    EXPECT_NE(output_.find("another name"), std::string::npos) << output_;
}

TEST_F(Signing, MkpakSign_RefusesKeysOfTheWrongKindAndWritesNothing) {
    const std::string pak = MakePak("Quilstr.pak");
    for (const std::string& key : {Key("short"), Key("ec"), Pub("vendor"), At("missing.pem")}) {
        EXPECT_EQ(Mkpak("sign " + pak + " --key " + key), 1) << key;
        EXPECT_FALSE(fs::exists(At("Quilstr.sig"))) << key;
    }
    EXPECT_EQ(Mkpak("verify " + pak + " --pubkey " + Key("vendor")), 1) << "a private key where the public one belongs";
    EXPECT_EQ(Mkpak("sign " + pak), 2) << "no key: usage";
}

TEST_F(Signing, MkpakSign_RefusesWhatIsNotAPackage_AsksAPassphraseOnce) {
    const std::string pak = MakePak("Quilstr.pak");
    MakePak("Delphi10.pak");
    Write(At("Notes.pak"), Bytes(600, 'n'));
    // One file that is not a package, among packages: none is signed.
    EXPECT_EQ(Mkpak("sign Quilstr.pak Notes.pak --key " + Key("vendor")), 1);
    EXPECT_NE(output_.find("Notes.pak is not a package"), std::string::npos) << output_;
    EXPECT_FALSE(fs::exists(At("Notes.sig")));
    EXPECT_FALSE(fs::exists(At("Quilstr.sig")));

    ASSERT_EQ(Run("openssl pkey -in " + Key("vendor") + " -aes256 -passout pass:Łódź-secret -out protected.pem"), 0)
        << output_;
    // Without a terminal (setsid), so the passphrase is read from standard input as a script would give it.
    const auto sign = [&](const std::string& passphrase) {
        return Run("printf '" + passphrase + "\\n' | setsid -w " + std::string(QS_BUILD_DIR) +
                   "/tools/mkpak/mkpak sign Quilstr.pak --key protected.pem Delphi10.pak");
    };
    EXPECT_EQ(sign("wrong"), 1) << output_;
    EXPECT_NE(output_.find("Wrong passphrase for the key file protected.pem"), std::string::npos) << output_;
    EXPECT_FALSE(fs::exists(At("Quilstr.sig")));

    ASSERT_EQ(sign("Łódź-secret"), 0) << output_;
    const size_t first = output_.find("Passphrase for protected.pem");
    ASSERT_NE(first, std::string::npos) << output_;
    EXPECT_EQ(output_.find("Passphrase for", first + 1), std::string::npos) << "asked twice: " << output_;
    EXPECT_EQ(Mkpak("verify Quilstr.pak --pubkey " + Pub("vendor")), 0) << output_;
    EXPECT_EQ(Mkpak("verify Delphi10.pak --pubkey " + Pub("vendor")), 0) << output_;
}

TEST(PakSignature, SignatureFileAndMessage) {
    EXPECT_EQ(SignatureFileName("Quilstr.pak"), "Quilstr.sig");
    EXPECT_EQ(SignatureFileName("C:\\media\\DELPHI10.PAK"), "C:\\media\\DELPHI10.sig");
    EXPECT_EQ(SignatureFileName("a.dir/PACKAGE"), "a.dir/PACKAGE.sig");
    uint8_t digest[kSha256Size] = {};
    digest[31] = 0xAB;
    const std::vector<uint8_t> m = SignedMessage("C:\\media\\Delphi10.pak", digest);
    ASSERT_EQ(m.size(), 13u + kSha256Size);
    EXPECT_EQ(std::string(m.begin(), m.begin() + 13), "DELPHI10.PAK\n");
    EXPECT_EQ(m.back(), 0xAB);
}

}  // namespace
