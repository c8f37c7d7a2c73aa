// Helpers of the system-integration suite: the stores the suite changes (reset before and after every test), and
// COM for the shell link object. The registry helpers come from WinTestSupport.h.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "DelphiIni.h"
#include "WinTestSupport.h"

namespace qs::test {

std::string WindowsDir();    // ends in "\"
std::string DelphiIniPath();  // DELPHI.INI in the Windows folder

constexpr char kDelphi20Key[] = "Software\\Borland\\Delphi\\2.0\\Transfer";

// Deletes every key and file the suite's code under test may create, so each test starts from a clean machine.
void ResetSystemStores();

// Resets the stores before and after each test.
class SystemTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSystemStores(); }
    void TearDown() override { ResetSystemStores(); }
};

}  // namespace qs::test
