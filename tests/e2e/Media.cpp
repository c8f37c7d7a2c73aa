#include "Media.h"

#include <cstring>

#include "Driver.h"
#include "Machine.h"
#include "PakWriter.h"
#include "base/WideText.h"

namespace e2e {

const uint32_t kFileTime = (uint32_t(2024 - 1980) << 25) | (5u << 21) | (17u << 16) | (10u << 11) | (30u << 5);

namespace {

MediaFile FromDisk(const std::string& path, const std::string& name) {
    MediaFile f{name, ReadBytes(path)};
    Expect(!f.data.empty(), "missing or empty source file " + path);
    return f;
}

// Text that reads like a help project's topic library, so that it packs the way real files do.
std::vector<uint8_t> SampleLibrary(size_t size) {
    static const char* const kWords[] = {"topic", "help", "context", "index", "keyword", "jump", "popup",
                                         "macro", "browse", "sequence", "window", "bitmap", "footnote",
                                         "compile", "project", "title", "section", "hotspot"};
    std::vector<uint8_t> out;
    out.reserve(size);
    uint32_t seed = 12345;
    int topic = 0;
    while (out.size() < size) {
        std::string line = "#{footnote} TOPIC_" + std::to_string(topic++) + ":";
        for (int w = 0; w < 12; ++w) {
            seed = seed * 1103515245u + 12345u;
            line += ' ';
            line += kWords[(seed >> 16) % (sizeof kWords / sizeof kWords[0])];
            if ((seed >> 8) % 7 == 0) line += std::to_string((seed >> 20) % 1000);
        }
        line += "\r\n";
        out.insert(out.end(), line.begin(), line.end());
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

Package Pack(const std::string& fileName, const std::string& product, const std::string& version,
             std::vector<MediaFile> files) {
    std::vector<qs::pak::FileToPack> entries;
    for (auto& f : files) {
        f.dosTime = kFileTime;
        qs::pak::FileToPack e;
        e.name = f.name;
        e.data = f.data;
        e.dosTime = f.dosTime;
        entries.push_back(std::move(e));
    }
    qs::pak::PakOptions options;
    options.product = product;
    options.version = version;
    options.parse = qs::pak::LzhParse::Greedy;  // quick; the stream format is the same
    Package p;
    p.fileName = fileName;
    p.files = std::move(files);
    try {
        p.image = qs::pak::BuildPackage(entries, options);
    } catch (const std::exception& e) {
        throw Failure("cannot pack " + fileName + ": " + e.what());
    }
    return p;
}

}  // namespace

Package MakeQuilstrPak(const Sources& src, const std::string& version) {
    const std::string app = WithSlash(src.demoDir) + "app\\";
    std::vector<MediaFile> files = {
        FromDisk(src.quilstrExe, "Quilstr.exe"),
        FromDisk(app + "Quilstr.hlp", "Quilstr.hlp"),
        {"Samples.lib", SampleLibrary(3u << 20)},
    };
    if (version == "1.0") {
        files.push_back(FromDisk(app + "Sample.qst", "Sample.qst"));
        files.push_back(FromDisk(app + "ReadMe.txt", "ReadMe.txt"));
    } else {
        // Later versions drop the sample project: an update leaves it, and the uninstall must still remove it.
        files.push_back({"ReadMe.txt", Bytes("Quillostrand " + version + "\r\nWhat is new: see News.txt.\r\n")});
        files.push_back({"News.txt", Bytes("Version " + version + ": faster compiles, new topic browser.\r\n")});
    }
    return Pack("Quilstr.pak", "Quillostrand", version, std::move(files));
}

Package MakeDelphiPak(const Sources& src, int delphi) {
    const std::string dir = WithSlash(src.demoDir) + (delphi == 10 ? "delphi10\\" : "delphi20\\");
    std::vector<MediaFile> files = {
        FromDisk(dir + "HelpCtx.dcu", "HelpCtx.dcu"),
        {"HelpCtx.txt", Bytes("HelpContext property editor for Delphi " + std::string(delphi == 10 ? "1.0" : "2.0") +
                              ".\r\n")},
    };
    return Pack(delphi == 10 ? "Delphi10.pak" : "Delphi20.pak",
                delphi == 10 ? "Quillostrand Delphi 1.0 editor" : "Quillostrand Delphi 2.0 editor", "1.0",
                std::move(files));
}

std::vector<uint8_t> WithWrongMagic(std::vector<uint8_t> image) {
    Expect(image.size() > 5, "package too short to damage");
    image[2] = 'X';  // "QVXAK"
    return image;
}

std::vector<uint8_t> WithWrongProduct(std::vector<uint8_t> image) {
    const size_t at = 11;  // ProductName follows the magic, the reserved bytes and its length
    Expect(image.size() > at + 12 && std::memcmp(image.data() + at, "Quillostrand", 12) == 0,
           "the package does not start with the product name");
    image[at + 11] = 't';
    return image;
}

std::vector<uint8_t> WithDamagedData(std::vector<uint8_t> image, size_t index) {
    const auto info = qs::pak::ParsePackage(image, "package");
    Expect(index < info.entries.size() && info.entries[index].packedSize > 0, "no packed data to damage");
    const auto& e = info.entries[index];
    image[size_t(e.dataOffset) + size_t(e.packedSize) / 2] ^= 0x10;
    return image;
}

void LayOutMedia(const std::string& folder, const Sources& src,
                 const std::vector<std::pair<std::string, std::vector<uint8_t>>>& packages) {
    RemoveTree(folder);
    MakeFolders(folder);
    const std::wstring from = qs::Widen(src.setupExe), to = qs::Widen(WithSlash(folder) + "Setup.exe");
    Expect(CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE,
           "cannot copy " + src.setupExe + " into the media folder");
    for (const auto& p : packages) WriteBytes(WithSlash(folder) + p.first, p.second);
}

}  // namespace e2e
