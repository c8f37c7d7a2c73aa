// The end-to-end scenarios: each starts from a clean machine, uses Setup.exe through its window and checks what
// the window showed and what the machine holds afterwards.
#pragma once
#include <stdexcept>
#include <string>

#include "Media.h"

namespace e2e {

struct Settings {
    Sources src;
    std::string shots;  // folder for the screenshots (DOS path, with "\")
};

constexpr int kScenarioCount = 12;
// A scenario this build cannot run (what it needs was not built); reported as skipped, never as passed.
class Skipped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
const char* ScenarioTitle(int n);
// Runs scenario n (1..kScenarioCount); throws Failure on the first unmet expectation, Skipped when the host
// cannot run it.
void RunScenario(int n, const Settings& settings);
// Installs, updates and uninstalls with this driver's Setup.exe alone, then with otherSetup (the other Windows
// build) doing the install, then the update and uninstall; throws Failure unless the machine is the same after
// each step.
void RunCrossBuild(const std::string& otherSetup, const Settings& settings);
// The headless demo: scenario 3, then 7, on the packages in media; prints where things went.
void RunDemo(const std::string& media, const Settings& settings);

}  // namespace e2e
