// Start-up benchmark, run under Wine: how long Setup.exe takes from CreateProcess until its window with the tabs
// is up, for several media folders (each holding its own Setup.exe and packages). The folders take turns, run by
// run, so that a slow moment of the machine falls on all of them alike. Prints median and fastest per folder and
// each median against the first folder's. Then, for each folder with a Quilstr.sig, the check alone, in this
// process: the key taken from KEY.der and Quilstr.pak checked (the first time includes loading the crypto DLLs,
// which every start of a keyed Setup.exe pays), a figure the machine's load hardly moves.
//   startup_bench.exe RUNS KEY.der LABEL=MEDIA_FOLDER...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "WinProcess.h"
#include "base/BinFile.h"
#include "package/VendorKey.h"

using namespace qs::test;

namespace {

// Milliseconds until the setup window of a fresh Setup.exe from media is up; negative when it never came.
double StartOnce(const std::string& media) {
    const double t0 = Now();
    Process p(Quote(media + "Setup.exe"), media);
    if (!p.Started()) return -1;
    bool up = false;
    while (!up && Now() - t0 < 60 && p.Running()) {
        for (HWND h : TopWindows(p.Pid()))
            if (SetupWindowTabs(h)) up = true;
        if (!up) Sleep(1);
    }
    const double ms = (Now() - t0) * 1000;
    p.Kill();
    return up ? ms : -1;
}

// Milliseconds for one whole check of media's Quilstr.pak with the key in der: key import, hash, verification.
double CheckOnce(const std::vector<uint8_t>& der, const std::string& media, bool& good) {
    const double t0 = Now();
    const qs::TVendorKey key = qs::TVendorKey::FromDer(der.data(), der.size());
    qs::BinFile pak;
    pak.OpenRead(media + "Quilstr.pak");
    good = key.Check(pak, "Quilstr.pak", media + "Quilstr.sig") == qs::SignatureCheck::Good;
    return (Now() - t0) * 1000;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    qs::BinFile f;
    f.OpenRead(path);
    std::vector<uint8_t> bytes(size_t(f.Size()));
    if (!bytes.empty()) f.ReadExact(bytes.data(), uint32_t(bytes.size()));
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench.exe RUNS KEY.der LABEL=MEDIA_FOLDER...\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    const std::vector<uint8_t> der = ReadFile(DosPath(argv[2]));
    std::vector<std::string> labels, folders;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        const size_t eq = a.find('=');
        if (eq == std::string::npos) return 2;
        labels.push_back(a.substr(0, eq));
        std::string dir = DosPath(a.substr(eq + 1));
        if (dir.back() != '\\') dir += '\\';
        folders.push_back(dir);
    }
    std::vector<std::vector<double>> times(folders.size());
    for (size_t f = 0; f < folders.size(); ++f) StartOnce(folders[f]);  // warm the file cache and Wine
    for (int r = 0; r < runs; ++r)
        for (size_t f = 0; f < folders.size(); ++f) {
            const double ms = StartOnce(folders[f]);
            if (ms < 0) {
                std::fprintf(stderr, "%s: the setup window did not come up\n", labels[f].c_str());
                return 1;
            }
            times[f].push_back(ms);
        }
    double base = 0;
    std::printf("%-34s %10s %10s %10s\n", "window up after (ms)", "median", "fastest", "vs first");
    for (size_t f = 0; f < folders.size(); ++f) {
        std::vector<double> t = times[f];
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        if (f == 0) base = median;
        std::printf("%-34s %10.1f %10.1f %+9.1f%%\n", labels[f].c_str(), median, t.front(),
                    (median / base - 1) * 100);
    }

    std::printf("\n%-34s %10s %10s\n", "check of Quilstr.pak alone (ms)", "first", "median");
    for (size_t f = 0; f < folders.size(); ++f) {
        if (GetFileAttributesA((folders[f] + "Quilstr.sig").c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::vector<double> t;
        for (int r = 0; r < runs; ++r) {
            bool good = false;
            t.push_back(CheckOnce(der, folders[f], good));
            if (!good) {
                std::fprintf(stderr, "%s: the signature does not hold\n", labels[f].c_str());
                return 1;
            }
        }
        const double first = t.front();
        std::sort(t.begin(), t.end());
        std::printf("%-34s %10.1f %10.1f\n", labels[f].c_str(), first, t[t.size() / 2]);
    }
    return 0;
}
