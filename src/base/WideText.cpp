#include "base/WideText.h"

#include "base/Exceptions.h"

namespace qs {

namespace {

[[noreturn]] void RaiseInvalid() { throw EConvertError("Text is not valid UTF-8"); }

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one character at text[i], advancing i. Surrogate code points are accepted (see the header);
// overlong forms and values past U+10FFFF are not.
char32_t DecodeOne(std::string_view text, size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t extra;
    char32_t cp;
    char32_t least;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, least = 0x10000;
    } else {
        RaiseInvalid();
    }
    if (text.size() - i <= extra) RaiseInvalid();
    for (size_t k = 1; k <= extra; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if (!IsContinuation(c)) RaiseInvalid();
        cp = cp << 6 | (c & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF) RaiseInvalid();
    i += extra + 1;
    return cp;
}

void EncodeOne(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | cp >> 6);
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | cp >> 12);
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | cp >> 18);
        out += char(0x80 | (cp >> 12 & 0x3F));
        out += char(0x80 | (cp >> 6 & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char32_t cp = DecodeOne(utf8, i);
        if (cp < 0x10000) {
            out += char16_t(cp);
        } else {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t u = utf16[i];
        if (IsHighSurrogate(u) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
            u = 0x10000 + ((u - 0xD800) << 10) + (char32_t(utf16[i + 1]) - 0xDC00);
            ++i;
        }
        EncodeOne(u, out);
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    try {
        for (size_t i = 0; i < text.size();) DecodeOne(text, i);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

std::string_view Utf8Prefix(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Back off over continuation bytes to the start of the character that does not fit.
    while (end > 0 && IsContinuation(static_cast<unsigned char>(text[end]))) --end;
    return text.substr(0, end);
}

}  // namespace qs
