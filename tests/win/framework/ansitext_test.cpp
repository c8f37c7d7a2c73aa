// The system code page side of the conversion unit: the bytes ANSI programs read from the install record and
// DELPHI.INI. The suites run under a Western code page (1252).
#include <gtest/gtest.h>

#include "base/WideText.h"

using namespace qs;

TEST(AnsiText, WesternCodePageKeepsItsOwnBytesAndRefusesTheRest) {
    ASSERT_EQ(AnsiCodePage(), 1252u);
    EXPECT_EQ(ToAnsi("Caf\xC3\xA9"), std::optional<std::string>("Caf\xE9"));
    EXPECT_EQ(FromAnsi("Caf\xE9"), std::optional<std::string>("Caf\xC3\xA9"));
    EXPECT_EQ(ToAnsi(""), std::optional<std::string>(""));
    // "Ł" would best-fit to "L", Cyrillic to "?": neither may pass as the folder's name.
    EXPECT_FALSE(ToAnsi("C:\\Program Files\\Narz\xC4\x99" "dzia \xC5\x81\xC3\xB3" "d\xC5\xBA"));
    EXPECT_FALSE(ToAnsi("\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB3\xD0\xB5\xD0\xB9"));
    EXPECT_FALSE(ToAnsi("a?\xF0\x9F\x93\x81"));
}

TEST(AnsiText, WideCallsSeeTheSameText) {
    const std::string name = "\xC5\x81ukasz \xE3\x82\xBD";
    EXPECT_EQ(Widen(name), L"\u0141ukasz \u30BD");
    EXPECT_EQ(Narrow(Widen(name)), name);
    EXPECT_EQ(Narrow(static_cast<const wchar_t*>(nullptr)), "");
}
