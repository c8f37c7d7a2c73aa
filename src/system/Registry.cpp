#include "system/Registry.h"

#include <algorithm>

#include "framework/Bitness.h"

namespace qs {

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

void RegKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

RegKey RegKey::Open(HKEY root, const std::string& subKey, REGSAM access) {
    return Open(root, subKey, access, RegistryViewFor(root));
}

RegKey RegKey::Open(HKEY root, const std::string& subKey, REGSAM access, REGSAM view) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, access | view, &k) != ERROR_SUCCESS) return RegKey();
    return RegKey(k);
}

RegKey RegKey::Create(HKEY root, const std::string& subKey, REGSAM access) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access | RegistryViewFor(root),
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
        return RegKey();
    return RegKey(k);
}

namespace {

void SetValue(const RegKey& key, const std::string& name, DWORD type, const void* data, size_t size) {
    if (!key) return;
    RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), DWORD(size));
}

// Queries a value into a buffer of `capacity` bytes; nothing when missing or larger.
std::optional<std::vector<uint8_t>> Query(const RegKey& key, const std::string& name, size_t capacity) {
    if (!key) return std::nullopt;
    std::vector<uint8_t> buf(capacity);
    DWORD size = DWORD(capacity);
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, buf.empty() ? nullptr : buf.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    buf.resize(std::min<size_t>(size, capacity));
    return buf;
}

}  // namespace

void WriteCountedText(const RegKey& key, const std::string& name, const std::string& text) {
    const size_t n = std::min(text.size(), kMaxCountedText);
    std::vector<uint8_t> bytes(n + 1);
    bytes[0] = uint8_t(n);
    std::copy_n(text.begin(), n, bytes.begin() + 1);
    SetValue(key, name, REG_BINARY, bytes.data(), bytes.size());
}

void WriteText(const RegKey& key, const std::string& name, const std::string& text) {
    SetValue(key, name, REG_SZ, text.c_str(), text.size() + 1);
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
    return std::string(bytes->begin() + 1, bytes->begin() + 1 + ptrdiff_t(n));
}

std::optional<std::string> ReadText(const RegKey& key, const std::string& name, size_t maxChars) {
    auto bytes = Query(key, name, maxChars + 1);
    if (!bytes) return std::nullopt;
    const auto end = std::find(bytes->begin(), bytes->end(), uint8_t(0));
    std::string text(bytes->begin(), end);
    if (text.size() > maxChars) return std::nullopt;
    return text;
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
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return {};
    // Read the whole value, so that one longer than asked for still yields its first maxBytes bytes.
    auto bytes = Query(key, name, size);
    if (!bytes) return {};
    if (bytes->size() > maxBytes) bytes->resize(maxBytes);
    return *bytes;
}

namespace {

void DeleteChildren(HKEY key, REGSAM view) {
    char name[256];
    for (;;) {
        DWORD n = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
        RegKey child = RegKey::Open(key, name, KEY_ALL_ACCESS, view);
        if (child) DeleteChildren(child.Get(), view);
        child.Close();
        // A child that cannot be deleted would make this loop endless.
        if (RegDeleteKeyExA(key, name, view, 0) != ERROR_SUCCESS) return;
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
    return RegDeleteKeyExA(p.Get(), name.c_str(), view, 0) == ERROR_SUCCESS;
}

}  // namespace qs
