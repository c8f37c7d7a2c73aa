// Download benchmark, run under Wine: how long QstSetup.exe takes to check its payload, extract it, start the
// Setup.exe inside (a stand-in that ends at once) and remove its folder again, against a plain copy of the same
// files into a folder and their removal. The two take turns, run by run; prints medians and rates.
//   download_bench.exe RUNS BUNDLE MEDIA_FOLDER SCRATCH_FOLDER
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
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

// Seconds for the bundle's whole run; negative when it failed.
double RunBundle(const std::string& bundle) {
    const double t0 = Now();
    Process p(Quote(bundle));
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
    std::vector<double> stub, copy;
    for (int i = 0; i < runs; ++i) {
        const double s = RunBundle(bundle), c = CopyPlain(files, media, scratch);
        if (s < 0 || c < 0) {
            std::fprintf(stderr, "download_bench: a run failed (bundle %.3f s, copy %.3f s)\n", s, c);
            return 1;
        }
        stub.push_back(s);
        copy.push_back(c);
    }
    const double mb = bytes / 1e6;
    std::printf("%zu files, %.1f MB, %d runs each (medians)\n", files.size(), mb, runs);
    std::printf("  QstSetup.exe (check, extract, run, remove)  %7.3f s  %7.1f MB/s\n", Median(stub), mb / Median(stub));
    std::printf("  plain copy and removal                      %7.3f s  %7.1f MB/s\n", Median(copy), mb / Median(copy));
    std::printf("  QstSetup.exe / plain copy                   %7.2fx\n", Median(stub) / Median(copy));
    return 0;
}
