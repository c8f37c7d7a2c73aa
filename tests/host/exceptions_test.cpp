#include <gtest/gtest.h>

#include <vector>

#include "base/Exceptions.h"
#include "base/Text.h"

using namespace qs;

TEST(InOutError, TextsOfTheKnownCodes) {
    EXPECT_EQ(EInOutError(2).Message(), "File not found");
    EXPECT_EQ(EInOutError(5).Message(), "File access denied");
    EXPECT_EQ(EInOutError(EInOutError::kReadBeyondEnd).Message(), "Read beyond end of file");
    EXPECT_EQ(EInOutError(112).Message(), "Disk full");
    EXPECT_EQ(EInOutError(EInOutError::kDiskFull).Message(), "Disk full");
    EXPECT_EQ(EInOutError(32).Message(), "I/O error 32");
}

// Each reader names its syntax: decimal only, or decimal and "0x" hexadecimal; "$" is neither.
TEST(StrToInt, EachSyntaxAcceptsItsOwnSpellingsAndRefusesTheRest) {
    for (IntSyntax syntax : {IntSyntax::Decimal, IntSyntax::DecimalOrHex}) {
        EXPECT_EQ(StrToInt("0", syntax), 0);
        EXPECT_EQ(StrToInt("-12", syntax), -12);
        EXPECT_EQ(StrToInt("+7", syntax), 7);
        EXPECT_EQ(StrToInt("2147483647", syntax), 2147483647);
        EXPECT_EQ(StrToInt("-2147483648", syntax), int(-2147483647 - 1));
    }
    EXPECT_EQ(StrToInt("0x1A", IntSyntax::DecimalOrHex), 26);
    EXPECT_EQ(StrToInt("0XfF", IntSyntax::DecimalOrHex), 255);
    // Hexadecimal spells the bit pattern; its negation wraps (the sanitizer build reports any overflow).
    EXPECT_EQ(StrToInt("0xFFFFFFFF", IntSyntax::DecimalOrHex), -1);
    EXPECT_EQ(StrToInt("-0x80000000", IntSyntax::DecimalOrHex), int(-2147483647 - 1));
    struct Bad {
        const char* text;
        IntSyntax syntax;
    };
    const std::vector<Bad> bad = {
        {"", IntSyntax::DecimalOrHex},      {" 1", IntSyntax::DecimalOrHex},         {"1 ", IntSyntax::Decimal},
        {"abc", IntSyntax::DecimalOrHex},   {"2147483648", IntSyntax::DecimalOrHex}, {"0x", IntSyntax::DecimalOrHex},
        {"0x100000000", IntSyntax::DecimalOrHex}, {"1.5", IntSyntax::Decimal},       {"$1", IntSyntax::DecimalOrHex},
        {"0x1", IntSyntax::Decimal},        {"0X1", IntSyntax::Decimal},             {"$1", IntSyntax::Decimal},
        {"1A", IntSyntax::Decimal}};
    for (const Bad& b : bad) {
        try {
            StrToInt(b.text, b.syntax);
            ADD_FAILURE() << "accepted '" << b.text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + b.text + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrToIntDef("x", 7, IntSyntax::DecimalOrHex), 7);
    EXPECT_EQ(StrToIntDef("0x10", 7, IntSyntax::Decimal), 7);
}

TEST(FormatKB, DropsTheFraction) {
    EXPECT_EQ(FormatKB(1023), "0 kB");
    EXPECT_EQ(FormatKB(1024), "1 kB");
    EXPECT_EQ(FormatKB(-1), "0 kB");
    EXPECT_EQ(FormatKB(2147483647), "2097151 kB");
}

// Drives hold far more than a signed 32-bit count: the figure stays true up to the ceiling the window has room
// for, never wraps or turns negative, and an unreadable drive (-1) reads 0 kB.
TEST(FormatFreeSpace, TrueUpToTheCeiling_NeverWrapped) {
    EXPECT_EQ(FormatFreeSpace(-1), "0 kB");
    EXPECT_EQ(FormatFreeSpace(80530636800LL), "78643200 kB");          // 75 GB
    EXPECT_EQ(FormatFreeSpace(3LL << 40), "3221225472 kB");            // 3 TB: past 2^31 kB
    EXPECT_EQ(FormatFreeSpace(kFreeSpaceCeilingKB * 1024 + 1023), "9999999999 kB");
    EXPECT_EQ(FormatFreeSpace((kFreeSpaceCeilingKB + 1) * 1024), ">9999999999 kB");
    EXPECT_EQ(FormatFreeSpace(INT64_MAX), ">9999999999 kB");
}

TEST(Texts, AsciiCaseAndBackslash) {
    EXPECT_EQ(AsciiUpper("c:\\Quilstr.exe\xe9"), "C:\\QUILSTR.EXE\xe9");
    EXPECT_EQ(AsciiLower("C:\\QUILSTR.EXE"), "c:\\quilstr.exe");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\A"), "C:\\A\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\A\\"), "C:\\A\\");
}
