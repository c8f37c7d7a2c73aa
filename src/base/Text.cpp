#include "base/Text.h"

#include <cstdint>
#include <cstdio>

#include "base/Exceptions.h"

namespace qs {

static bool ParseInt(const std::string& text, IntSyntax syntax, int& out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    unsigned base = 10;
    if (syntax == IntSyntax::DecimalOrHex && i + 1 < text.size() && text[i] == '0' &&
        (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') digit = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') digit = unsigned(c - 'A' + 10);
        else return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) return false;
    }
    if (base == 10) {
        if (value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
        out = negative ? int(-int64_t(value)) : int(value);
    } else {
        // Hexadecimal spells the 32-bit pattern: 0xFFFFFFFF is -1.
        const int32_t bits = int32_t(uint32_t(value));
        // Negated in unsigned arithmetic: -INT32_MIN does not exist and wraps to itself, as Delphi's does.
        out = int32_t(negative ? 0u - uint32_t(bits) : uint32_t(bits));
    }
    return true;
}

int StrToInt(const std::string& text, IntSyntax syntax) {
    int v = 0;
    if (!ParseInt(text, syntax, v)) throw EConvertError::NotInteger(text);
    return v;
}

int StrToIntDef(const std::string& text, int fallback, IntSyntax syntax) {
    int v = 0;
    return ParseInt(text, syntax, v) ? v : fallback;
}

std::string FormatKB(long long bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld kB", bytes / 1024);
    return buf;
}

std::string FormatFreeSpace(long long bytes) {
    if (bytes < 0) return FormatKB(0);
    if (bytes / 1024 > kFreeSpaceCeilingKB) return ">" + FormatKB(kFreeSpaceCeilingKB * 1024);
    return FormatKB(bytes);
}

std::string AsciiUpper(std::string s) {
    for (char& c : s) c = AsciiUpper(c);
    return s;
}

std::string AsciiLower(std::string s) {
    for (char& c : s) c = AsciiLower(c);
    return s;
}

std::string IncludeTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + '\\';
}

}  // namespace qs
