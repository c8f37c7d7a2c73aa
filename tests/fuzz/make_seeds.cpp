// Writes the small seed corpus of the fuzz targets (tests/fuzz/corpus/<target>/), packages made by the packing
// library. Run by `scripts/fuzz --seeds`; the output is committed, so fuzzing never depends on this program.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../common/MiniPe.h"
#include "PakBundle.h"
#include "PakWriter.h"

using qs::pak::FileToPack;
using qs::pak::PakOptions;

namespace {

std::string g_root;

void Put(const std::string& target, const std::string& name, uint8_t flag, const std::vector<uint8_t>& body,
         bool withFlag = true) {
    const std::string dir = g_root + "/" + target;
    ::mkdir(dir.c_str(), 0755);
    std::ofstream f(dir + "/" + name, std::ios::binary | std::ios::trunc);
    if (withFlag) f.put(char(flag));
    f.write(reinterpret_cast<const char*>(body.data()), std::streamsize(body.size()));
}

void PutText(const std::string& target, const std::string& name, const std::string& text) {
    Put(target, name, 0, std::vector<uint8_t>(text.begin(), text.end()), false);
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

FileToPack Entry(const std::string& name, const std::string& content, const std::string& extra = "") {
    FileToPack e;
    e.name = name;
    e.data = Bytes(content);
    e.dosTime = 0x5A8F6000;
    e.extraName = extra;
    return e;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds CORPUS_DIR\n");
        return 2;
    }
    g_root = argv[1];
    ::mkdir(g_root.c_str(), 0755);

    const std::string text = "Quillostrand help project. Quillostrand help project. [OPTIONS]\r\nTITLE=Demo\r\n";
    PakOptions main;
    main.version = "1.2 demo";
    const std::vector<uint8_t> mainPak =
        qs::pak::BuildPackage({Entry("Quilstr.exe", text), Entry("Quilstr.hlp", "HELP"), Entry("Empty.txt", "")}, main);
    PakOptions delphi;
    delphi.product = "HelpContext editor";
    delphi.extraNames = true;
    const std::vector<uint8_t> delphiPak = qs::pak::BuildPackage(
        {Entry("HCEDIT.DCU", text + text, "unit"), Entry("AVeryLongFileName20.txt", "x", "")}, delphi);
    const std::vector<uint8_t> emptyPak = qs::pak::BuildPackage({}, main);
    std::vector<uint8_t> cut = mainPak;
    cut.resize(cut.size() - 7);

    // Header scan: role byte (0 main, 1 Delphi10) + package.
    Put("pak_scan", "main", 0, mainPak);
    Put("pak_scan", "delphi", 1, delphiPak);
    Put("pak_scan", "empty", 0, emptyPak);
    Put("pak_scan", "cut", 0, std::vector<uint8_t>(mainPak.begin(), mainPak.begin() + 40));

    // Extraction: flag byte (bit 0 extra names, bit 1 scan as main) + package.
    Put("extract", "main", 2, mainPak);
    Put("extract", "delphi", 1, delphiPak);
    Put("extract", "empty", 2, emptyPak);
    Put("extract", "cut", 2, cut);

    // Decoder: read size, write size, mode, stream.
    const std::vector<uint8_t> packed = qs::pak::EncodeLzh(Bytes(text + text + text));
    std::vector<uint8_t> run(4096);
    for (size_t i = 0; i < run.size(); ++i) run[i] = uint8_t(i * 7 / 5);
    const std::vector<uint8_t> packedRun = qs::pak::EncodeLzh(run);
    auto lzh = [](uint8_t rs, uint8_t ws, uint8_t mode, const std::vector<uint8_t>& s) {
        std::vector<uint8_t> v = {rs, ws, mode};
        v.insert(v.end(), s.begin(), s.end());
        return v;
    };
    Put("lzh_decode", "text-large", 0, lzh(255, 255, 0, packed), false);
    Put("lzh_decode", "text-small", 0, lzh(0, 0, 3, packed), false);
    Put("lzh_decode", "run-mixed", 0, lzh(40, 201, 0x51, packedRun), false);
    Put("lzh_decode", "end-only", 0, lzh(0, 0, 2, {0x80}), false);

    // Installed-file list: flag byte + slots.
    std::vector<uint8_t> slots;
    for (const char* n : {"QUILSTR.EXE", "QUILSTR.HLP", "AVERYLONGFIL", "..", "A\\B"}) {
        std::vector<uint8_t> s(13, 0);
        const std::string name = n;
        s[0] = uint8_t(name.size());
        std::copy(name.begin(), name.end(), s.begin() + 1);
        slots.insert(slots.end(), s.begin(), s.end());
    }
    Put("file_list", "names", 1, slots);
    slots.resize(slots.size() - 5);
    slots[0] = 200;
    Put("file_list", "damaged", 2, slots);

    // DeleteMe's command line: flag byte (how many arguments are kept) + the line.
    Put("cmdline", "three", 3, Bytes("C:\\TEMP\\DeleteMe.exe \"C:\\Program Files\\Q\\Setup.exe\" \"Uninstall complete\" \"Done.\""));
    Put("cmdline", "quotes", 3, Bytes("x \"\" \"a\"b\"c\" \t\"\"\"\"d \""));
    Put("cmdline", "none", 0, Bytes("DeleteMe.exe"));

    // DELPHI.INI search path.
    PutText("search_path", "first", "C:\\DELPHI\\LIB;C:\\TOOLS");
    PutText("search_path", "last", "C:\\TOOLS;c:\\delphi\\lib");
    PutText("search_path", "none", "C:\\LIBRARY;C:\\DELPHI\\LIB\\");

    // Signature files: flag byte (the key's modulus length: 0 384, 1 512, 2 256 bytes) + the file.
    Put("sig_file", "rsa3072", 0, std::vector<uint8_t>(384, 0x5A));
    Put("sig_file", "cut", 0, std::vector<uint8_t>(383, 0x5A));
    Put("sig_file", "empty", 1, {});
    Put("sig_file", "pem", 2, Bytes("-----BEGIN SIGNATURE-----\nAAAA\n-----END SIGNATURE-----\n"));

    // QstSetup.exe's payload: flag byte (bit 0: signed afterwards) + what follows the 512-byte stub. The reader
    // checks no hash, so the seeds carry a stand-in for them.
    const auto noHash = [](const uint8_t*, size_t, uint8_t(&digest)[32]) { std::fill(digest, digest + 32, 0x11); };
    const std::vector<uint8_t> bundle = qs::pak::BuildBundle(
        qs::test::MiniPe(512),
        {{"Setup.exe", Bytes("MZ setup")}, {"Quilstr.pak", mainPak}, {"Quilstr.sig", std::vector<uint8_t>(384, 0x5A)}},
        noHash);
    const std::vector<uint8_t> payload(bundle.begin() + 512, bundle.end());
    Put("bundle", "media", 0, payload);
    Put("bundle", "signed", 0x41, payload);
    Put("bundle", "cut", 0, std::vector<uint8_t>(payload.begin(), payload.end() - 9));
    return 0;
}
