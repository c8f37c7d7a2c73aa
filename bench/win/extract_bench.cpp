// Extraction benchmark, run under Wine: unpacks a large package with the real extraction into a scratch folder
// and, in the same run, decodes the same packed data from memory into a null sink. Prints both rates and their
// ratio: files, CRCs and progress must not dominate the decoder.
//   extract_bench.exe PACKAGE SCRATCH_FOLDER
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "base/BinFile.h"
#include "base/Text.h"
#include "package/Extract.h"
#include "package/LZH_OP.h"
#include "package/LzhMemory.h"
#include "package/PakFormat.h"

using namespace qs;

namespace {

struct Packed {
    std::string name;
    std::vector<uint8_t> data;
};

// Reads every entry's packed bytes into memory, the decoder's input for the null-sink run.
std::vector<Packed> LoadPacked(const std::string& path, const PackageSummary& s) {
    BinFile f;
    f.OpenRead(path);
    f.Seek(s.DirPos);
    const int32_t count = f.ReadI32();
    std::vector<Packed> out;
    for (int32_t i = 0; i < count; ++i) {
        Packed p;
        p.name.resize(f.ReadU8());
        if (!p.name.empty()) f.ReadExact(&p.name[0], uint32_t(p.name.size()));
        if (s.HasExtraName) f.Skip(f.ReadU8());
        f.Skip(8);
        const int32_t offset = f.ReadI32();
        const int32_t size = f.ReadI32();
        f.Skip(8);
        const int64_t back = f.Position();
        p.data.resize(size_t(size));
        f.Seek(offset);
        if (size) f.ReadExact(p.data.data(), uint32_t(size));
        f.Seek(back);
        out.push_back(std::move(p));
    }
    return out;
}

class NullProgress : public ExtractProgress {
public:
    void SetBusyText(const std::string&) override {}
    void AdvanceProgress(uint32_t n) override { bytes += n; }
    uint64_t bytes = 0;
};

// Decodes every stream from memory into a sink that only counts; returns the seconds taken.
double DecodeToNull(const std::vector<Packed>& all, uint64_t& outBytes) {
    TLZHCompressor d;
    d.SetReadBufSize(32768);
    d.SetWriteBufSize(32768);
    MemorySource source(nullptr, 0);
    ReadFrom(d, source);
    outBytes = 0;
    d.OnPutBytes = [&](TLZHCompressor&, const void*, uint16_t n, uint16_t& put) {
        put = n;
        outBytes += n;
    };
    const double t0 = Now();
    for (const Packed& p : all) {
        source = MemorySource(p.data);
        d.Decompress();
    }
    return Now() - t0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: extract_bench PACKAGE SCRATCH_FOLDER\n");
        return 2;
    }
    const std::string pak = argv[1];
    const std::string scratch = IncludeTrailingBackslash(argv[2]);
    try {
        SetFileModeForReading(OpenMode::ReadOnly);
        const size_t cut = pak.find_last_of("\\/");
        const std::string dir = cut == std::string::npos ? "" : pak.substr(0, cut + 1);
        const std::string name = pak.substr(cut == std::string::npos ? 0 : cut + 1);
        const PackageSummary s = ScanPackage(pak, PakRole::Delphi10);
        const std::vector<Packed> packed = LoadPacked(pak, s);
        uint64_t packedBytes = 0;
        for (const Packed& p : packed) packedBytes += p.data.size();

        double bestDecode = 1e30, bestExtract = 1e30;
        uint64_t decoded = 0, written = 0;
        for (int round = 0; round < 3; ++round) {
            bestDecode = std::min(bestDecode, DecodeToNull(packed, decoded));
            NullProgress progress;
            TLZHCompressor decoder;
            decoder.SetReadBufSize(32768);
            decoder.SetWriteBufSize(32768);
            TPackageExtractor extractor(progress);
            extractor.Attach(decoder);
            // A fresh folder every round, as a first install finds it.
            const std::string out = scratch + "out" + std::to_string(round);
            const double t0 = Now();
            extractor.ExtractPackage(decoder, dir, name, out, s.DirPos, s.HasExtraName);
            bestExtract = std::min(bestExtract, Now() - t0);
            written = progress.bytes;
        }
        const double mb = double(decoded) / 1048576.0;
        std::printf("package: %s, %d files, %.1f MB unpacked, %.1f MB packed\n", name.c_str(), int(packed.size()), mb,
                    double(packedBytes) / 1048576.0);
        std::printf("decoder into null sink: %8.2f MB/s\n", mb / bestDecode);
        std::printf("ExtractPackage to disk: %8.2f MB/s (%llu bytes written)\n", double(written) / 1048576.0 / bestExtract,
                    static_cast<unsigned long long>(written));
        std::printf("extraction / decoder: %.0f%%\n", 100.0 * (double(written) / bestExtract) / (double(decoded) / bestDecode));
        return written == decoded ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "extract_bench: %s\n", e.what());
        return 1;
    }
}
