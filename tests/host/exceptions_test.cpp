#include <gtest/gtest.h>

#include "framework/Exceptions.h"
#include "framework/Text.h"

using namespace qs;

TEST(InOutError, TextsOfTheKnownCodes) {
    EXPECT_EQ(EInOutError(2).Message(), "File not found");
    EXPECT_EQ(EInOutError(5).Message(), "File access denied");
    EXPECT_EQ(EInOutError(EInOutError::kReadBeyondEnd).Message(), "Read beyond end of file");
    EXPECT_EQ(EInOutError(112).Message(), "Disk full");
    EXPECT_EQ(EInOutError(EInOutError::kDiskFull).Message(), "Disk full");
    EXPECT_EQ(EInOutError(32).Message(), "I/O error 32");
}

TEST(StrToInt, DecimalHexAndRefusals) {
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-12"), -12);
    EXPECT_EQ(StrToInt("0x1A"), 26);
    EXPECT_EQ(StrToInt("0XfF"), 255);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), int(-2147483647 - 1));
    // Hexadecimal spells the bit pattern; its negation wraps (the sanitizer build reports any overflow).
    EXPECT_EQ(StrToInt("0xFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("-0x80000000"), int(-2147483647 - 1));
    EXPECT_EQ(StrToInt("-$10"), -16);
    for (const char* bad : {"", " 1", "1 ", "abc", "2147483648", "0x", "0x100000000", "1.5"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrToIntDef("x", 7), 7);
}

TEST(FormatKB, DropsTheFraction) {
    EXPECT_EQ(FormatKB(1023), "0 kB");
    EXPECT_EQ(FormatKB(1024), "1 kB");
    EXPECT_EQ(FormatKB(-1), "0 kB");
    EXPECT_EQ(FormatKB(2147483647), "2097151 kB");
}

TEST(Texts, AsciiCaseAndBackslash) {
    EXPECT_EQ(AsciiUpper("c:\\Quilstr.exe\xe9"), "C:\\QUILSTR.EXE\xe9");
    EXPECT_EQ(AsciiLower("C:\\QUILSTR.EXE"), "c:\\quilstr.exe");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\A"), "C:\\A\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\A\\"), "C:\\A\\");
}
