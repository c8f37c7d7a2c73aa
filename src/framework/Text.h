// Text helpers shared by the whole program: numbers read and shown, ASCII case, folder names. Portable.
#pragma once
#include <string>

namespace qs {

// Converts decimal text (optional sign; a "0x"/"0X" or "$" prefix reads hexadecimal) to a 32-bit integer,
// raising EConvertError for anything else, including overflow and surrounding blanks.
int StrToInt(const std::string& text);
// As StrToInt, but returns fallback instead of raising.
int StrToIntDef(const std::string& text, int fallback);

// "%d kB" of bytes / 1024 with the fraction dropped, as every size shown to the user.
std::string FormatKB(long long bytes);

// Case changes that touch only the ASCII letters, as every comparison in the program does.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
std::string AsciiUpper(std::string s);
std::string AsciiLower(std::string s);

// Appends "\" unless the text already ends in one (an empty text gets one too).
std::string IncludeTrailingBackslash(const std::string& folder);

}  // namespace qs
