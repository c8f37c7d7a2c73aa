// mkpak: makes, lists, tests and extracts package files.
//   mkpak create OUT.pak --product TEXT --version TEXT [--extra-names] FILE|DIR...
//   mkpak list PAK
//   mkpak test PAK
//   mkpak extract PAK DIR
// Exit code 0 on success, 1 on any refusal or damage (with a message on stderr), 2 on wrong usage.
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <sys/utime.h>
#else
#include <utime.h>
#endif

#include "PakWriter.h"
#include "package/PakFormat.h"

using namespace qs;
using namespace qs::pak;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mkpak create OUT.pak --product TEXT --version TEXT [--extra-names] FILE|DIR...\n"
                 "       mkpak list PAK\n"
                 "       mkpak test PAK\n"
                 "       mkpak extract PAK DIR\n");
    return 2;
}

int Create(const std::vector<std::string>& args) {
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
    const std::vector<PakEntry> entries = LoadEntries(inputs);
    WritePackageFile(out, entries, options);
    std::printf("%s: %zu files\n", out.c_str(), entries.size());
    return 0;
}

int List(const std::string& pak) {
    const std::vector<uint8_t> image = ReadWholeFile(pak);
    const PakInfo info = ParsePackage(image, pak);
    std::printf("Product: %s\nVersion: %s\nExtra names: %s\nFiles: %zu\n", info.product.c_str(),
                info.version.c_str(), info.extraNames ? "yes" : "no", info.entries.size());
    for (const PakDirEntry& e : info.entries) {
        std::printf("%10" PRId32 " %10" PRId32 "  %s  %08" PRIX32 " %08" PRIX32 "  %s", e.unpackedSize,
                    e.packedSize, DosTimeText(e.dosTime).c_str(), e.fileCrc, e.dataCrc, e.name.c_str());
        if (info.extraNames) std::printf("  [%s]", e.extraName.c_str());
        std::printf("\n");
    }
    return 0;
}

int Test(const std::string& pak) {
    const std::vector<uint8_t> image = ReadWholeFile(pak);
    const PakInfo info = ParsePackage(image, pak);
    for (const PakDirEntry& e : info.entries) UnpackEntry(image, e);
    std::printf("%s: %zu files OK\n", pak.c_str(), info.entries.size());
    return 0;
}

int Extract(const std::string& pak, const std::string& dir) {
    namespace fs = std::filesystem;
    const std::vector<uint8_t> image = ReadWholeFile(pak);
    const PakInfo info = ParsePackage(image, pak);
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) throw Exception("Cannot create the folder " + dir + ": " + ec.message());
    for (const PakDirEntry& e : info.entries) {
        if (!IsPlainFileName(e.name)) throw Exception("Entry \"" + e.name + "\" is not a plain file name");
        const std::vector<uint8_t> data = UnpackEntry(image, e);
        const fs::path target = fs::path(dir) / e.name;
        const std::string temp = target.string() + ".part";
        {
            std::ofstream f(temp, std::ios::binary | std::ios::trunc);
            f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
            f.close();
            if (!f) {
                fs::remove(temp, ec);
                throw Exception("Cannot write " + temp);
            }
        }
        fs::rename(temp, target, ec);
        if (ec) throw Exception("Cannot rename " + temp + ": " + ec.message());
        const std::time_t t = TimeFromDosTime(e.dosTime);
#ifdef _WIN32
        struct _utimbuf times{t, t};
        _utime(target.string().c_str(), &times);
#else
        struct utimbuf times{t, t};
        utime(target.string().c_str(), &times);
#endif
    }
    std::printf("%s: %zu files extracted to %s\n", pak.c_str(), info.entries.size(), dir.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (cmd == "create") return Create(args);
        if (cmd == "list" && args.size() == 1) return List(args[0]);
        if (cmd == "test" && args.size() == 1) return Test(args[0]);
        if (cmd == "extract" && args.size() == 2) return Extract(args[0], args[1]);
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkpak: %s\n", e.what());
        return 1;
    }
}
