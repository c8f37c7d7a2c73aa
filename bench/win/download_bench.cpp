// Download benchmark, run under Wine: how long QstSetup.exe takes to check its payload, extract it, start the
// Setup.exe inside (a stand-in that ends at once) and remove its folder again, against a plain copy of the same
// files into a folder and their removal. The two take turns, run by run; prints medians and rates. Beside them,
// the SHA-256 of the same bytes with the system's crypto API on every processor, as the stub checks them: what
// the stub spends beyond a copy is that check, bound by how fast the system hashes.
//   download_bench.exe RUNS BUNDLE MEDIA_FOLDER SCRATCH_FOLDER
#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "WinProcess.h"
#include "WinUtf8.h"

using namespace qs::test;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Seconds for a program's whole run (the bundle, or the Setup.exe it carries started directly); negative when it
// failed.
double RunProgram(const std::string& program) {
    const double t0 = Now();
    Process p(Quote(program));
    if (!p.Started() || !p.WaitExit(600000) || p.ExitCode() != 0) return -1;
    return Now() - t0;
}

// Seconds for copying every file of media into scratch and removing them again.
double CopyPlain(const std::vector<std::string>& files, const std::string& media, const std::string& scratch) {
    const double t0 = Now();
    CreateDirectoryA(scratch.c_str(), nullptr);
    for (const auto& f : files)
        if (!CopyFileA((media + f).c_str(), (scratch + f).c_str(), FALSE)) return -1;
    for (const auto& f : files) DeleteFileA((scratch + f).c_str());
    RemoveDirectoryA(scratch.c_str());
    return Now() - t0;
}

// Seconds for hashing every file in pieces of 1 MiB, one thread per processor, each with its own provider.
double HashOnEveryCore(const std::vector<std::string>& files, const std::string& media) {
    std::string bytes;
    for (const auto& f : files) {
        std::ifstream in(media + f, std::ios::binary);
        bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const size_t piece = 1 << 20, pieces = (bytes.size() + piece - 1) / piece;
    std::atomic<size_t> next{0};
    std::atomic<bool> ok{true};
    const auto work = [&] {
        HCRYPTPROV provider = 0;
        if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return void(ok = false);
        for (size_t i; (i = next++) < pieces;) {
            HCRYPTHASH hash = 0;
            BYTE digest[32];
            DWORD len = sizeof digest;
            const size_t at = i * piece, n = std::min(piece, bytes.size() - at);
            if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) ||
                !CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data() + at), DWORD(n), 0) ||
                !CryptGetHashParam(hash, HP_HASHVAL, digest, &len, 0))
                ok = false;
            if (hash) CryptDestroyHash(hash);
        }
        CryptReleaseContext(provider, 0);
    };
    const double t0 = Now();
    std::vector<std::thread> threads(std::max(1u, std::thread::hardware_concurrency()));
    for (auto& t : threads) t = std::thread(work);
    for (auto& t : threads) t.join();
    return ok ? Now() - t0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: download_bench.exe RUNS BUNDLE MEDIA_FOLDER SCRATCH_FOLDER\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::string bundle = DosPath(argv[2]), media = DosPath(argv[3]) + "\\", scratch = DosPath(argv[4]) + "\\";
    const std::vector<std::string> files = utf8::FilesIn(media);
    long long bytes = 0;
    for (const auto& f : files) {
        WIN32_FILE_ATTRIBUTE_DATA a;
        if (GetFileAttributesExA((media + f).c_str(), GetFileExInfoStandard, &a))
            bytes += (long long)a.nFileSizeHigh << 32 | a.nFileSizeLow;
    }
    std::vector<double> stub, copy, hash, direct;
    for (int i = 0; i < runs; ++i) {
        const double s = RunProgram(bundle), c = CopyPlain(files, media, scratch), h = HashOnEveryCore(files, media),
                     d = RunProgram(media + "Setup.exe");
        if (s < 0 || c < 0 || h < 0 || d < 0) {
            std::fprintf(stderr, "download_bench: a run failed (bundle %.3f s, copy %.3f s, hash %.3f s, Setup.exe %.3f s)\n",
                         s, c, h, d);
            return 1;
        }
        stub.push_back(s);
        copy.push_back(c);
        hash.push_back(h);
        direct.push_back(d);
    }
    const double mb = bytes / 1e6;
    std::printf("%zu files, %.1f MB, %d runs each (medians)\n", files.size(), mb, runs);
    std::printf("  QstSetup.exe (check, extract, run, remove)  %7.3f s  %7.1f MB/s\n", Median(stub), mb / Median(stub));
    std::printf("  plain copy and removal                      %7.3f s  %7.1f MB/s\n", Median(copy), mb / Median(copy));
    std::printf("  QstSetup.exe / plain copy                   %7.2fx\n", Median(stub) / Median(copy));
    std::printf("  SHA-256 on %2u threads (the stub's check)    %7.3f s  %7.1f MB/s\n",
                std::max(1u, std::thread::hardware_concurrency()), Median(hash), mb / Median(hash));
    std::printf("  Setup.exe started directly, no download     %7.3f s\n", Median(direct));
    return 0;
}
