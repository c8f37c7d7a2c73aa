// The code-page scenarios: Setup.exe under the ANSI code pages 1252, 1250 and 932 with names each can or cannot
// hold. The code page is the process's own, from LANG: each scenario runs in a driver started under the LANG that
// gives it (its CTest test sets it), and Setup.exe inherits it.
#pragma once
#include "Scenarios.h"

namespace e2e {

// The title of the scenario for an ANSI code page; nullptr when there is none.
const char* CodePageScenarioTitle(unsigned codePage);
// Runs it; throws Failure on the first unmet expectation, also when this driver runs under another code page.
void RunCodePageScenario(unsigned codePage, const Settings& settings);

}  // namespace e2e
