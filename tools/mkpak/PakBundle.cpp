#include "PakBundle.h"

#include <algorithm>
#include <filesystem>

#include "PakWriter.h"
#include "base/Exceptions.h"
#include "stub/BundleFormat.h"

namespace qs::pak {

namespace fs = std::filesystem;

namespace {

bool SameName(const std::string& a, const std::string& b) { return QsbSameName(a.c_str(), b.c_str()) != 0; }

void Append(std::vector<uint8_t>& out, const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); }

// The SHA-256 of the SHA-256 values of the file's pieces, as the stub checks it.
void PieceHash(const std::vector<uint8_t>& data, const Sha256Function& sha256, uint8_t (&digest)[32]) {
    std::vector<uint8_t> pieces;
    for (uint64_t at = 0; at < data.size(); at += QSB_PIECE) {
        uint8_t piece[32];
        sha256(data.data() + at, static_cast<size_t>(std::min<uint64_t>(QSB_PIECE, data.size() - at)), piece);
        Append(pieces, piece, sizeof piece);
    }
    sha256(pieces.data(), pieces.size(), digest);
}

void CheckStub(const std::vector<uint8_t>& stub) {
    uint64_t table = 0;
    if (!QsbCertificateTable(stub.data(), stub.size(), &table))
        throw Exception("The stub is not a Windows program (or its signature is damaged)");
    if (table != 0)
        throw Exception("The stub is signed: bundle the unsigned QstSetupStub.exe, then sign the bundle");
    QsbBundle probe;
    if (QsbRead(stub.data(), stub.size(), &probe) != QSB_NO_PAYLOAD)
        throw Exception("The stub already carries a payload: bundle QstSetupStub.exe itself");
}

}  // namespace

const std::vector<std::string>& BundleNames() {
    static const std::vector<std::string> names = {"Setup.exe",    "Quilstr.pak",  "Quilstr.sig", "Delphi10.pak",
                                                   "Delphi10.sig", "Delphi20.pak", "Delphi20.sig"};
    return names;
}

std::vector<uint8_t> BuildBundle(const std::vector<uint8_t>& stub, const std::vector<BundleFile>& files,
                                 const Sha256Function& sha256) {
    CheckStub(stub);
    if (files.size() > QSB_MAX_FILES)
        throw Exception("A bundle carries at most " + std::to_string(QSB_MAX_FILES) + " files");
    bool haveSetup = false;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& name = files[i].name;
        if (!QsbPlainName(reinterpret_cast<const uint8_t*>(name.data()), name.size()))
            throw Exception("\"" + name + "\" is not a plain file name of 1 to " + std::to_string(QSB_MAX_NAME) +
                            " characters");
        for (size_t j = 0; j < i; ++j)
            if (SameName(files[j].name, name)) throw Exception("The file " + name + " is given twice");
        haveSetup = haveSetup || SameName(name, QSB_SETUP_NAME);
    }
    if (!haveSetup) throw Exception("A bundle needs " QSB_SETUP_NAME ", which it starts");

    std::vector<uint8_t> out = stub;
    const uint64_t payloadOffset = out.size();
    std::vector<uint8_t> directory;
    for (const BundleFile& f : files) {
        Append(out, f.data.data(), f.data.size());
        uint8_t entry[QSB_ENTRY_FIXED];
        QsbPut64(entry, f.data.size());
        uint8_t digest[32];
        PieceHash(f.data, sha256, digest);
        std::copy(digest, digest + 32, entry + 8);
        entry[8 + QSB_SHA256_SIZE] = static_cast<uint8_t>(f.name.size());
        Append(directory, entry, sizeof entry);
        Append(directory, reinterpret_cast<const uint8_t*>(f.name.data()), f.name.size());
    }
    const uint64_t directoryOffset = out.size();
    Append(out, directory.data(), directory.size());
    // Zeros up to where the trailer keeps the whole a multiple of 8: a signature then needs no padding.
    out.resize(out.size() + (QSB_ALIGN - (out.size() + QSB_TRAILER_SIZE) % QSB_ALIGN) % QSB_ALIGN, 0);

    uint8_t trailer[QSB_TRAILER_SIZE];
    QsbPut64(trailer, payloadOffset);
    QsbPut64(trailer + 8, directoryOffset);
    QsbPut32(trailer + 16, static_cast<uint32_t>(directory.size()));
    QsbPut32(trailer + 20, static_cast<uint32_t>(files.size()));
    uint8_t digest[32];
    sha256(directory.data(), directory.size(), digest);
    std::copy(digest, digest + 32, trailer + 24);
    std::copy(QSB_MAGIC, QSB_MAGIC + QSB_MAGIC_SIZE, trailer + 56);
    Append(out, trailer, sizeof trailer);
    return out;
}

std::vector<BundleFile> ReadMediaFolder(const std::string& folder) {
    std::error_code ec;
    std::vector<fs::path> present;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) present.push_back(it->path());
    if (ec) throw Exception("Cannot read the folder " + folder + ": " + ec.message());
    const auto find = [&](const std::string& name) -> const fs::path* {
        for (const fs::path& p : present)
            if (SameName(p.filename().string(), name)) return &p;
        return nullptr;
    };

    std::vector<BundleFile> files;
    for (const std::string& name : BundleNames()) {
        const fs::path* p = find(name);
        const bool required = name == "Setup.exe" || name == "Quilstr.pak";
        if (!p) {
            if (required) throw Exception("The folder " + folder + " has no " + name);
            continue;
        }
        const std::string ext = name.substr(name.size() - 4);
        const std::string pak = name.substr(0, name.size() - 4) + ".pak";
        if (ext == ".sig" && !find(pak)) throw Exception("The folder " + folder + " has " + name + " but no " + pak);
        BundleFile f{name, ReadWholeFile(p->string())};
        if (ext == ".pak") ParsePackage(f.data, p->string());
        files.push_back(std::move(f));
    }
    return files;
}

}  // namespace qs::pak
