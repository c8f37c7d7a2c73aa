// mkpak: makes, lists, tests and extracts package files.
//   mkpak create OUT.pak --product TEXT --version TEXT [--extra-names] [--jobs N] FILE|DIR...
//   mkpak list PAK
//   mkpak test [--jobs N] PAK
//   mkpak extract [--jobs N] PAK DIR
//   mkpak sign PAK... --key KEY.pem     writes each detached signature beside its PAK (Quilstr.sig for Quilstr.pak)
//   mkpak verify PAK --pubkey PUB.pem   checks it, and says why it fails
//   mkpak bundle OUT --stub STUB MEDIA   QstSetup.exe: the stub with Setup.exe and the packages of MEDIA appended
// create, test and extract work on N threads (default: one per core); the results do not depend on N.
// Exit code 0 on success, 1 on any refusal or damage (with a message on stderr), 2 on wrong usage.
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <sys/utime.h>
#else
#include <utime.h>
#endif

#include "InOrder.h"
#ifdef QS_MKPAK_SIGNS
#include "PakSign.h"
#include "PeResource.h"
#include "package/PakSignature.h"
#endif
#include "PakBundle.h"
#include "PakWriter.h"
#include "package/Extract.h"
#include "package/PakFormat.h"

using namespace qs;
using namespace qs::pak;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mkpak create OUT.pak --product TEXT --version TEXT [--extra-names] [--jobs N] FILE|DIR...\n"
                 "       mkpak list PAK\n"
                 "       mkpak test [--jobs N] PAK\n"
                 "       mkpak extract [--jobs N] PAK DIR\n"
                 "       mkpak sign PAK... --key KEY.pem\n"
                 "       mkpak verify PAK --pubkey PUB.pem\n"
                 "       mkpak bundle OUT.exe --stub QstSetupStub.exe MEDIA_DIR\n"
                 "       --jobs N: threads to use, 1 or more (default: one per core)\n");
    return 2;
}

// Wrong usage, said before the usage text.
struct UsageError {
    std::string message;
};

// Takes "--jobs N" out of args; the number of cores when it is not there.
unsigned TakeJobs(std::vector<std::string>& args) {
    unsigned jobs = DefaultJobs();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--jobs") continue;
        if (i + 1 == args.size()) throw UsageError{"--jobs needs a number of threads"};
        const std::string& n = args[i + 1];
        const bool digits = !n.empty() && n.size() <= 4 && n.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoul(n) == 0)
            throw UsageError{"--jobs takes a number of threads from 1 to 9999, not \"" + n + "\""};
        jobs = static_cast<unsigned>(std::stoul(n));
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return jobs;
}

// The install record keeps one slot's worth of each file name, and the uninstall deletes by the recorded name: a
// longer name would be left behind on removal.
constexpr size_t kMaxRecordedName = kSlotSize - 1;

void CheckRecordableNames(const std::vector<PakSource>& files) {
    const std::string limit = std::to_string(kMaxRecordedName);
    for (const PakSource& f : files)
        if (f.name.size() > kMaxRecordedName)
            throw Exception("File " + f.path + ": the name \"" + f.name + "\" is longer than " + limit +
                            " characters, and the uninstall could not remove it (the install record keeps " + limit +
                            ")");
}

int Create(std::vector<std::string> args) {
    const unsigned jobs = TakeJobs(args);
    std::string out;
    PakOptions options;
    bool haveProduct = false, haveVersion = false;
    std::vector<std::string> inputs;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--product" || a == "--version") && i + 1 < args.size()) {
            (a == "--product" ? options.product : options.version) = args[++i];
            (a == "--product" ? haveProduct : haveVersion) = true;
        } else if (a == "--extra-names") {
            options.extraNames = true;
        } else if (a == "--greedy") {
            options.parse = LzhParse::Greedy;
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "mkpak: unknown option %s\n", a.c_str());
            return Usage();
        } else if (out.empty()) {
            out = a;
        } else {
            inputs.push_back(a);
        }
    }
    if (out.empty() || !haveProduct || !haveVersion || inputs.empty()) return Usage();
    const std::vector<PakSource> files = ListSources(inputs);
    CheckRecordableNames(files);
    CreatePackageFile(out, files, options, jobs);
    std::printf("%s: %zu files\n", out.c_str(), files.size());
    return 0;
}

int List(const std::string& pak) {
    const std::vector<uint8_t> image = ReadWholeFile(pak);
    const PakInfo info = ParsePackage(image, pak);
    // A text longer than the format's 32 bytes is shown as Setup.exe shows it, and said so.
    const auto cut = [](int32_t stored) {
        return stored > int32_t(kMaxPakText)
                   ? " (stored " + std::to_string(stored) + " bytes; Setup.exe reads the first 32)"
                   : std::string();
    };
    std::printf("Product: %s%s\nVersion: %s%s\nExtra names: %s\nFiles: %zu\n", info.product.c_str(),
                cut(info.productLength).c_str(), info.version.c_str(), cut(info.versionLength).c_str(),
                info.extraNames ? "yes" : "no", info.entries.size());
    for (const PakDirRecord& e : info.entries) {
        std::printf("%10" PRId32 " %10" PRId32 "  %s  %08" PRIX32 " %08" PRIX32 "  %s", e.unpackedSize,
                    e.packedSize, DosTimeText(e.dosTime).c_str(), e.fileCrc, e.dataCrc, e.name.c_str());
        if (info.extraNames) std::printf("  [%s]", e.extraName.c_str());
        std::printf("\n");
    }
    return 0;
}

int Test(const std::string& pak, unsigned jobs) {
    const std::vector<uint8_t> image = ReadWholeFile(pak);
    const PakInfo info = ParsePackage(image, pak);
    RunInOrder<bool>(
        info.entries.size(), jobs, [&](size_t i) {
            UnpackEntry(image, info.entries[i]);
            return true;
        },
        [](size_t, bool) {}, [](bool) { return size_t(0); });
    std::printf("%s: %zu files OK\n", pak.c_str(), info.entries.size());
    return 0;
}

int Extract(const std::string& pak, const std::string& dir, unsigned jobs) {
    namespace fs = std::filesystem;
    const std::vector<uint8_t> image = ReadWholeFile(pak);
    const PakInfo info = ParsePackage(image, pak);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) throw Exception("Cannot create the folder " + dir + ": " + ec.message());
    RunInOrder<std::vector<uint8_t>>(
        info.entries.size(), jobs,
        [&](size_t i) {
            const PakDirRecord& e = info.entries[i];
            if (!IsPlainFileName(e.name)) throw Exception("Entry \"" + e.name + "\" is not a plain file name");
            return UnpackEntry(image, e);
        },
        [&](size_t i, const std::vector<uint8_t>& data) {
            const PakDirRecord& e = info.entries[i];
            const fs::path target = fs::path(dir) / e.name;
            WriteThroughTemporary(target.string(), [&](std::ostream& f) {
                f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
            });
            const std::time_t t = TimeFromDosTime(e.dosTime);
#ifdef _WIN32
            struct _utimbuf times{t, t};
            _utime(target.string().c_str(), &times);
#else
            struct utimbuf times{t, t};
            utime(target.string().c_str(), &times);
#endif
        },
        [](const std::vector<uint8_t>& data) { return data.size(); });
    std::printf("%s: %zu files extracted to %s\n", pak.c_str(), info.entries.size(), dir.c_str());
    return 0;
}

// verify: PAK and one option naming a key file, in either order.
bool TakeKeyArgs(const std::vector<std::string>& args, const char* option, std::string& pak, std::string& key) {
    if (args.size() != 3) return false;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != option) continue;
        key = args[i + 1];
        pak = args[i == 0 ? 2 : 0];
        return pak.rfind("--", 0) != 0;
    }
    return false;
}

// PAK... and "--key KEY", the option anywhere.
int Sign(const std::vector<std::string>& args) {
    std::vector<std::string> paks;
    std::string key;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key" && i + 1 < args.size() && key.empty()) key = args[++i];
        else if (args[i].rfind("--", 0) == 0) return Usage();
        else paks.push_back(args[i]);
    }
    if (paks.empty() || key.empty()) return Usage();
#ifdef QS_MKPAK_SIGNS
    // A signature on anything but a package would only be found out on the customer's machine; all are checked
    // before the first is signed, so a refusal leaves no half-signed media folder.
    for (const std::string& pak : paks) ParsePackage(ReadWholeFile(pak), pak);
    const std::vector<std::string> sigs = SignPackages(paks, key);
    for (size_t i = 0; i < paks.size(); ++i) std::printf("%s: signed, %s\n", paks[i].c_str(), sigs[i].c_str());
    return 0;
#else
    throw Exception("this build of mkpak cannot sign; use the one built for the building machine");
#endif
}

int Verify(const std::vector<std::string>& args) {
    std::string pak, key;
    if (!TakeKeyArgs(args, "--pubkey", pak, key)) return Usage();
#ifdef QS_MKPAK_SIGNS
    const std::string fault = VerifyPackage(pak, key);
    if (!fault.empty()) {
        std::fprintf(stderr, "mkpak: %s\n", fault.c_str());
        return 1;
    }
    std::printf("%s: signature OK\n", pak.c_str());
    return 0;
#else
    throw Exception("this build of mkpak cannot check signatures; use the one built for the building machine");
#endif
}

#ifdef QS_MKPAK_SIGNS
// A Setup.exe that carries a package key installs only packages signed with it: a media folder it would refuse is
// found out here, not on the customer's machine.
void CheckMediaAgainstSetupKey(const std::vector<BundleFile>& files, const std::string& media) {
    const auto find = [&](const std::string& name) -> const BundleFile* {
        for (const BundleFile& f : files)
            if (f.name == name) return &f;
        return nullptr;
    };
    const std::string setup = (std::filesystem::path(media) / "Setup.exe").string();
    std::optional<std::vector<uint8_t>> key;
    try {
        key = FindNamedResource(find("Setup.exe")->data, 10 /* RCDATA */, "PAKKEY");
    } catch (const Exception& e) {
        throw Exception(setup + ": " + e.what());
    }
    if (!key) return;
    for (const BundleFile& f : files) {
        if (f.name.size() < 4 || f.name.compare(f.name.size() - 4, 4, ".pak") != 0) continue;
        const BundleFile* sig = find(SignatureFileName(f.name));
        const std::string fault =
            VerifyPackageData(f.name, f.data, sig ? &sig->data : nullptr, *key, "the package key in " + setup);
        if (!fault.empty())
            throw Exception(setup + " carries a package key and would refuse " + f.name + ": " + fault);
    }
}
#endif

// OUT, "--stub STUB" and MEDIA_DIR, the option anywhere.
int Bundle(std::vector<std::string> args) {
    std::string stub;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "--stub") continue;
        stub = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        break;
    }
    if (stub.empty() || args.size() != 2 || args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0)
        return Usage();
#ifdef QS_MKPAK_SIGNS
    const std::string& out = args[0];
    const std::vector<BundleFile> files = ReadMediaFolder(args[1]);
    CheckMediaAgainstSetupKey(files, args[1]);
    std::vector<uint8_t> bytes;
    try {
        bytes = BuildBundle(ReadWholeFile(stub), files, Sha256);
    } catch (const Exception& e) {
        throw Exception(stub + ": " + e.what());
    }
    WriteThroughTemporary(out, [&](std::ostream& f) {
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    });
    std::string names;
    for (const BundleFile& f : files) names += (names.empty() ? "" : ", ") + f.name;
    std::printf("%s: %s (%zu bytes)\n", out.c_str(), names.c_str(), bytes.size());
    return 0;
#else
    throw Exception("this build of mkpak cannot make bundles; use the one built for the building machine");
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (cmd == "create") return Create(args);
        if (cmd == "list" && args.size() == 1) return List(args[0]);
        if (cmd == "sign") return Sign(args);
        if (cmd == "verify") return Verify(args);
        if (cmd == "bundle") return Bundle(args);
        const unsigned jobs = cmd == "test" || cmd == "extract" ? TakeJobs(args) : 1;
        if (cmd == "test" && args.size() == 1) return Test(args[0], jobs);
        if (cmd == "extract" && args.size() == 2) return Extract(args[0], args[1], jobs);
        return Usage();
    } catch (const UsageError& e) {
        std::fprintf(stderr, "mkpak: %s\n", e.message.c_str());
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkpak: %s\n", e.what());
        return 1;
    }
}
