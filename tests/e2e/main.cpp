// e2e_driver: runs the end-to-end scenarios against the real Setup.exe, or the headless demo.
//   e2e_driver --scenario N      one scenario (1..11); exit code 77 when this host cannot run it
//   e2e_driver --all             every scenario, one after the other
//   e2e_driver --demo MEDIA OUT  install from MEDIA and uninstall again, screenshots to OUT
//   e2e_driver --cross SETUP     the other Windows build's SETUP and this one's, each undoing the other's work;
//                                77 (not run) where the host runs no 32-bit code
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"
#include "Machine.h"
#include "Scenarios.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: e2e_driver --scenario N | --all | --demo MEDIA OUTDIR | --cross SETUP\n");
    return 2;
}

constexpr int kSkipCode = 77;  // CTest's SKIP_RETURN_CODE for these tests

enum class Outcome { Passed, Failed, Skipped };

Outcome RunOne(int n, const e2e::Settings& settings) {
    e2e::Log("== scenario " + std::to_string(n) + ": " + e2e::ScenarioTitle(n));
    const DWORD t0 = GetTickCount();
    Outcome outcome = Outcome::Passed;
    try {
        e2e::RunScenario(n, settings);
    } catch (const e2e::Skipped& e) {
        e2e::Log(std::string("SKIPPED: ") + e.what());
        outcome = Outcome::Skipped;
    } catch (const std::exception& e) {
        e2e::Log(std::string("FAILED: ") + e.what());
        outcome = Outcome::Failed;
    }
    char secs[32];
    std::snprintf(secs, sizeof secs, "%.1f s", (GetTickCount() - t0) / 1000.0);
    const char* said = outcome == Outcome::Passed ? " passed" : outcome == Outcome::Failed ? " failed" : " SKIPPED";
    e2e::Log("== scenario " + std::to_string(n) + said + " in " + secs);
    return outcome;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    CoInitialize(nullptr);
    e2e::Settings settings;
    settings.src.setupExe = e2e::DosPath(E2E_SETUP_EXE);
    settings.src.quilstrExe = e2e::DosPath(E2E_QUILSTR_EXE);
    settings.src.demoDir = e2e::DosPath(E2E_DEMO_DIR);
    settings.shots = e2e::WithSlash(e2e::DosPath(E2E_SHOTS_DIR));
    const std::string mode = argv[1];
    int rc = 0;
    if (mode == "--scenario" && argc == 3) {
        const int n = std::atoi(argv[2]);
        if (n < 1 || n > e2e::kScenarioCount) return Usage();
        e2e::MakeFolders(settings.shots);
        const Outcome o = RunOne(n, settings);
        rc = o == Outcome::Passed ? 0 : o == Outcome::Skipped ? kSkipCode : 1;
    } else if (mode == "--all" && argc == 2) {
        e2e::MakeFolders(settings.shots);
        for (int n = 1; n <= e2e::kScenarioCount; ++n)
            if (RunOne(n, settings) == Outcome::Failed) rc = 1;
    } else if (mode == "--demo" && argc == 4) {
        settings.shots = e2e::WithSlash(e2e::DosPath(argv[3]));
        e2e::MakeFolders(settings.shots);
        try {
            e2e::RunDemo(e2e::DosPath(argv[2]), settings);
        } catch (const std::exception& e) {
            e2e::Log(std::string("demo FAILED: ") + e.what());
            rc = 1;
        }
    } else if (mode == "--cross" && argc == 3) {
        // scripts/wine-run says whether the host runs 32-bit code, and one of the builds is 32-bit.
        const char* host32 = std::getenv("WINE_RUN_HOST32");
        if (host32 && std::string(host32) == "no") {
            e2e::Log("cross-build scenario NOT RUN: this host runs no 32-bit code, so the 32-bit build cannot start");
            return 77;
        }
        e2e::Log("== cross-build scenario: either build finds, updates and removes what the other installed");
        try {
            e2e::RunCrossBuild(e2e::DosPath(argv[2]), settings);
            e2e::Log("== cross-build scenario passed");
        } catch (const std::exception& e) {
            e2e::Log(std::string("FAILED: ") + e.what());
            rc = 1;
        }
    } else {
        return Usage();
    }
    CoUninitialize();
    return rc;
}
