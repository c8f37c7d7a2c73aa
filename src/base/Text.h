// Text helpers shared by the whole program: numbers read and shown, ASCII case, folder names. Portable.
#pragma once
#include <string>

namespace qs {

// The spellings a text may use for a number. Each reader of a number names its own rule.
enum class IntSyntax {
    Decimal,       // an optional sign and decimal digits
    DecimalOrHex,  // also "0x"/"0X" and hexadecimal digits, which spell the 32-bit pattern ("0xFFFFFFFF" is -1)
};

// Converts text in the given syntax to a 32-bit integer, raising EConvertError "'<text>' is not a valid integer
// value" for anything else, including overflow and surrounding blanks.
int StrToInt(const std::string& text, IntSyntax syntax);
// As StrToInt, but returns fallback instead of raising.
int StrToIntDef(const std::string& text, int fallback, IntSyntax syntax);

// "%d kB" of bytes / 1024 with the fraction dropped, as every size shown to the user.
std::string FormatKB(long long bytes);
// The free space of a drive as FormatKB shows it, for any 64-bit count: a negative count (the drive could not be
// read) as "0 kB", and more than kFreeSpaceCeilingKB kilobytes (about 9.3 TB) as ">9999999999 kB", the widest
// figure the window has room for.
constexpr long long kFreeSpaceCeilingKB = 9999999999LL;
std::string FormatFreeSpace(long long bytes);

// Case changes that touch only the ASCII letters, as every comparison in the program does.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
std::string AsciiUpper(std::string s);
std::string AsciiLower(std::string s);

// Appends "\" unless the text already ends in one (an empty text gets one too).
std::string IncludeTrailingBackslash(const std::string& folder);

}  // namespace qs
