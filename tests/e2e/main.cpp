// e2e_driver: runs the end-to-end scenarios against the real Setup.exe, or the headless demo.
//   e2e_driver --scenario NAME   one scenario of ScenarioList.cpp (exit code 77 when it cannot run here); one with
//                                a LANG runs only under it
//   e2e_driver --all             every scenario without a LANG or a wrapper, one after the other
//   e2e_driver --list            the scenarios' names and titles
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
    std::fprintf(stderr,
                 "usage: e2e_driver --scenario NAME | --all | --list | --demo MEDIA OUTDIR | --cross SETUP\n");
    return 2;
}

// Exit code of a scenario that could not run here (CTest reports it as skipped).
constexpr int kSkipped = 77;

// Runs one scenario, named for the log, and gives its exit code: 0 passed, 1 failed, kSkipped.
template <typename Scenario>
int RunLogged(const std::string& name, const std::string& title, Scenario run) {
    e2e::Log("== " + name + ": " + title);
    const DWORD t0 = GetTickCount();
    bool ok = true;
    try {
        run();
    } catch (const e2e::Skipped& e) {
        e2e::Log("== " + name + " SKIPPED: " + e.what());
        return kSkipped;
    } catch (const std::exception& e) {
        e2e::Log(std::string("FAILED: ") + e.what());
        ok = false;
    }
    char secs[32];
    std::snprintf(secs, sizeof secs, "%.1f s", (GetTickCount() - t0) / 1000.0);
    e2e::Log("== " + name + (ok ? " passed" : " failed") + " in " + secs);
    return ok ? 0 : 1;
}

int RunOne(const e2e::Scenario& s, const e2e::Settings& settings) {
    return RunLogged(std::string("scenario ") + s.name, s.title, [&] { e2e::RunScenario(s, settings); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    CoInitialize(nullptr);
    e2e::Settings settings;
    settings.src.setupExe = e2e::DosPath(E2E_SETUP_EXE);
    settings.src.quilstrExe = e2e::DosPath(E2E_QUILSTR_EXE);
    settings.src.demoDir = e2e::DosPath(E2E_DEMO_DIR);
    settings.src.keyedSetupExe = e2e::DosPath(E2E_KEYED_SETUP_EXE);
    if (*E2E_SIGNED_MEDIA) settings.src.signedMedia = e2e::DosPath(E2E_SIGNED_MEDIA);
    settings.shots = e2e::WithSlash(e2e::DosPath(E2E_SHOTS_DIR));
    const std::string mode = argv[1];
    int rc = 0;
    if (mode == "--scenario" && argc == 3) {
        const e2e::Scenario* s = e2e::FindScenario(argv[2]);
        if (!s) return Usage();
        e2e::MakeFolders(settings.shots);
        rc = RunOne(*s, settings);
    } else if (mode == "--all" && argc == 2) {
        e2e::MakeFolders(settings.shots);
        for (const e2e::Scenario& s : e2e::AllScenarios())
            if (!s.lang && s.wrapper == e2e::Wrapper::None && RunOne(s, settings) == 1) rc = 1;
    } else if (mode == "--list" && argc == 2) {
        for (const e2e::Scenario& s : e2e::AllScenarios()) std::printf("%-26s %s\n", s.name, s.title);
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
