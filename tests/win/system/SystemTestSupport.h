// Helpers of the system-integration suite: raw registry reads and seeds, the stores the suite changes (reset before
// and after every test), and COM for the shell link object.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "WinTestSupport.h"

namespace qs::test {

struct RawValue {
    DWORD type = 0;
    std::string bytes;
};

// The value as stored (type and every byte); nothing when the key or value is missing.
std::optional<RawValue> ReadRaw(HKEY root, const std::string& key, const std::string& name);
bool KeyExists(HKEY root, const std::string& key);
void SetRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes);
// REG_SZ with its NUL, as the program writes texts.
void SetSz(HKEY root, const std::string& key, const std::string& name, const std::string& text);
void DeleteValue(HKEY root, const std::string& key, const std::string& name);
// A REG_SZ value's text (without its NUL); nothing when missing.
std::optional<std::string> SzOf(HKEY root, const std::string& key, const std::string& name);

std::string Sz(const std::string& text);  // text + NUL, the bytes of a REG_SZ value
std::string CountedText(const std::string& text);

std::string WindowsDir();    // ends in "\"
std::string DelphiIniPath();  // DELPHI.INI in the Windows folder
std::string IniValue(const std::string& section, const std::string& key);  // "<missing>" when absent

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
