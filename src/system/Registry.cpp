#include "system/Registry.h"

#include <algorithm>
#include <iterator>

#include "base/Bitness.h"
#include "base/Exceptions.h"
#include "base/WideText.h"

namespace qs {

RegKey RegKey::Open(HKEY root, const std::string& subKey, REGSAM access) {
    return Open(root, subKey, access, RegistryViewFor(root));
}

RegKey RegKey::Open(HKEY root, const std::string& subKey, REGSAM access, REGSAM view) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, Widen(subKey).c_str(), 0, access | view, &k) != ERROR_SUCCESS) return RegKey();
    return RegKey(k);
}

RegKey RegKey::Create(HKEY root, const std::string& subKey, REGSAM access) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, Widen(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access | RegistryViewFor(root),
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
        return RegKey();
    return RegKey(k);
}

namespace {

void SetValue(const RegKey& key, const std::string& name, DWORD type, const void* data, size_t size) {
    if (!key) return;
    RegSetValueExW(key.Get(), Widen(name).c_str(), 0, type, static_cast<const BYTE*>(data), DWORD(size));
}

// Queries a value into a buffer of `capacity` bytes; nothing when missing or larger.
std::optional<std::vector<uint8_t>> Query(const RegKey& key, const std::string& name, size_t capacity) {
    if (!key) return std::nullopt;
    std::vector<uint8_t> buf(capacity);
    DWORD size = DWORD(capacity);
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), Widen(name).c_str(), nullptr, &type, buf.empty() ? nullptr : buf.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    buf.resize(std::min<size_t>(size, capacity));
    return buf;
}

}  // namespace

std::string CutText(const std::string& text, size_t limit) {
    // Counts characters, not UTF-8 bytes, and never ends inside one.
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars++ == limit) return text.substr(0, i);
    }
    return text;
}

std::optional<std::string> AnsiCut(const std::string& text, size_t maxBytes) {
    std::optional<std::string> bytes = ToAnsi(text);
    // Cut by whole characters, so that no two-byte character loses its second byte.
    for (std::string cut = text; bytes && bytes->size() > maxBytes;) {
        cut.resize(Utf8Prefix(cut, cut.size() - 1).size());
        bytes = ToAnsi(cut);
    }
    return bytes;
}

void WriteCountedText(const RegKey& key, const std::string& name, const std::string& text) {
    // The installed application and earlier setup programs read these bytes in the system code page.
    const std::optional<std::string> bytes = AnsiCut(text, kMaxCountedText);
    if (!bytes) throw Exception("\"" + text + "\" cannot be stored in this system's code page");
    std::vector<uint8_t> value(bytes->size() + 1);
    value[0] = uint8_t(bytes->size());
    std::copy(bytes->begin(), bytes->end(), value.begin() + 1);
    SetValue(key, name, REG_BINARY, value.data(), value.size());
}

void WriteText(const RegKey& key, const std::string& name, const std::string& text) {
    const std::wstring wide = Widen(text);
    SetValue(key, name, REG_SZ, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

void WriteNumber(const RegKey& key, const std::string& name, uint32_t value) {
    const DWORD v = value;
    SetValue(key, name, REG_DWORD, &v, sizeof v);
}

void WriteBinary(const RegKey& key, const std::string& name, const std::vector<uint8_t>& bytes) {
    static const uint8_t kNone = 0;
    SetValue(key, name, REG_BINARY, bytes.empty() ? &kNone : bytes.data(), bytes.size());
}

std::optional<std::string> ReadCountedText(const RegKey& key, const std::string& name, size_t maxChars) {
    auto bytes = Query(key, name, maxChars + 1);
    if (!bytes || bytes->empty()) return std::nullopt;
    const size_t n = std::min<size_t>((*bytes)[0], bytes->size() - 1);
    return FromAnsi(std::string(bytes->begin() + 1, bytes->begin() + 1 + ptrdiff_t(n)));
}

std::optional<std::string> ReadText(const RegKey& key, const std::string& name, size_t maxChars) {
    auto bytes = Query(key, name, (maxChars + 1) * sizeof(wchar_t));
    if (!bytes) return std::nullopt;
    std::wstring wide(bytes->size() / sizeof(wchar_t), L'\0');
    std::copy_n(bytes->begin(), wide.size() * sizeof(wchar_t), reinterpret_cast<uint8_t*>(wide.data()));
    wide.resize(std::min(wide.find(L'\0'), wide.size()));
    if (wide.size() > maxChars) return std::nullopt;
    return Narrow(wide);
}

std::optional<uint32_t> ReadNumber(const RegKey& key, const std::string& name) {
    auto bytes = Query(key, name, 4);
    if (!bytes || bytes->size() != 4) return std::nullopt;
    const auto& b = *bytes;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

std::vector<uint8_t> ReadBinary(const RegKey& key, const std::string& name, size_t maxBytes) {
    if (!key) return {};
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), Widen(name).c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return {};
    // Read the whole value, so that one longer than asked for still yields its first maxBytes bytes.
    auto bytes = Query(key, name, size);
    if (!bytes) return {};
    if (bytes->size() > maxBytes) bytes->resize(maxBytes);
    return *bytes;
}

namespace {

void DeleteChildren(HKEY key, REGSAM view) {
    wchar_t name[256];
    for (;;) {
        DWORD n = DWORD(std::size(name));
        if (RegEnumKeyExW(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
        RegKey child = RegKey::Open(key, Narrow(name), KEY_ALL_ACCESS, view);
        if (child) DeleteChildren(child.Get(), view);
        child.Close();
        // A child that cannot be deleted would make this loop endless.
        if (RegDeleteKeyExW(key, name, view, 0) != ERROR_SUCCESS) return;
    }
}

}  // namespace

bool DeleteKeyTree(HKEY root, const std::string& parent, const std::string& name) {
    const REGSAM view = RegistryViewFor(root);
    RegKey p = RegKey::Open(root, parent, KEY_ALL_ACCESS, view);
    if (!p) return false;
    {
        RegKey k = RegKey::Open(p.Get(), name, KEY_ALL_ACCESS, view);
        if (!k) return false;
        DeleteChildren(k.Get(), view);
    }
    return RegDeleteKeyExW(p.Get(), Widen(name).c_str(), view, 0) == ERROR_SUCCESS;
}

}  // namespace qs
