// Text at the Windows boundary. Inside, every text is UTF-8; the -W calls take and give UTF-16; the formats that
// ANSI programs read (the install record, DELPHI.INI) hold the system code page's bytes. Every conversion is
// exact or fails: nothing is ever replaced by a look-alike ("best fit") or a question mark.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qs {

// UTF-8 to UTF-16 and back, portable. A lone surrogate (Windows allows one in a file name) travels as its
// three-byte form, so every name the system gives comes back to it unchanged. Utf8ToUtf16 raises EConvertError
// "Text is not valid UTF-8" for bytes that are not such a sequence.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Whether text is a sequence Utf8ToUtf16 takes.
bool IsValidUtf8(std::string_view text);

// The longest start of text, at most maxBytes bytes, that does not split a character.
std::string_view Utf8Prefix(std::string_view text, size_t maxBytes);

}  // namespace qs

#ifdef _WIN32
namespace qs {

// The same conversions for the -W calls' wchar_t (16 bits on Windows).
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
std::string Narrow(const wchar_t* utf16);  // up to its NUL; "" for a null pointer

// The system code page's bytes for text; nothing when a character has no exact place there.
std::optional<std::string> ToAnsi(std::string_view utf8);
// Text from the system code page's bytes; nothing for bytes that are not text there (a cut two-byte character).
std::optional<std::string> FromAnsi(std::string_view bytes);
// The system code page's number, for messages (1252, 1250, 932...).
unsigned AnsiCodePage();

}  // namespace qs
#endif
