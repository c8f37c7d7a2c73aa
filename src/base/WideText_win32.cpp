#include "base/WideText.h"

#include <windows.h>

#include <climits>

namespace qs {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the -W calls take UTF-16");

std::wstring Widen(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view utf16) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

std::string Narrow(const wchar_t* utf16) { return utf16 ? Narrow(std::wstring_view(utf16)) : std::string(); }

unsigned AnsiCodePage() { return GetACP(); }

std::optional<std::string> ToAnsi(std::string_view utf8) {
    // A system whose code page is UTF-8 stores the text as it is; the flags below are refused for that page.
    const std::wstring wide = Widen(utf8);
    if (GetACP() == CP_UTF8) return std::string(utf8);
    if (wide.empty()) return std::string();
    if (wide.size() > size_t(INT_MAX) / 2) return std::nullopt;
    BOOL usedDefault = FALSE;
    // WC_NO_BEST_FIT_CHARS: "Ł" must not become "L"; a character without an exact place sets usedDefault.
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string bytes(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), bytes.data(), n, nullptr,
                        &usedDefault);
    if (usedDefault) return std::nullopt;
    // The way back must give the same text: some code pages map a character one way only.
    const std::optional<std::string> back = FromAnsi(bytes);
    if (!back || *back != utf8) return std::nullopt;
    return bytes;
}

std::optional<std::string> FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return std::string();
    if (bytes.size() > size_t(INT_MAX) / 2) return std::nullopt;
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), wide.data(), n);
    return Narrow(wide);
}

}  // namespace qs
