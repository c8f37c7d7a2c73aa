#include "WinRegistry.h"

namespace qs::test {

namespace {
const char* ValueName(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }
}  // namespace

std::optional<RawValue> ReadRaw(HKEY root, const std::string& key, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return std::nullopt;
    RawValue v;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(k, ValueName(name), nullptr, &v.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        v.bytes.resize(size);
        rc = RegQueryValueExA(k, ValueName(name), nullptr, &v.type, reinterpret_cast<BYTE*>(v.bytes.data()), &size);
        v.bytes.resize(size);
    }
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return v;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::optional<std::string> ReadSz(HKEY root, const std::string& key, const std::string& name) {
    const auto v = ReadRaw(root, key, name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::nullopt;
    return v->bytes.substr(0, v->bytes.find('\0'));
}

std::optional<DWORD> ReadDword(HKEY root, const std::string& key, const std::string& name) {
    const auto v = ReadRaw(root, key, name);
    if (!v || v->type != REG_DWORD || v->bytes.size() != 4) return std::nullopt;
    const auto* b = reinterpret_cast<const unsigned char*>(v->bytes.data());
    return DWORD(b[0] | (b[1] << 8) | (b[2] << 16) | (DWORD(b[3]) << 24));
}

std::optional<std::string> ReadCounted(HKEY root, const std::string& key, const std::string& name) {
    const auto v = ReadRaw(root, key, name);
    if (!v || v->type != REG_BINARY || v->bytes.empty() || v->bytes.size() != size_t(uint8_t(v->bytes[0])) + 1)
        return std::nullopt;
    return v->bytes.substr(1);
}

bool WriteRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExA(k, ValueName(name), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   DWORD(bytes.size()));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

bool WriteSz(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    return WriteRaw(root, key, name, REG_SZ, Sz(text));
}

bool WriteDword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
    return WriteRaw(root, key, name, REG_DWORD, DwordBytes(value));
}

bool WriteCounted(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    return WriteRaw(root, key, name, REG_BINARY, CountedText(text));
}

void DeleteValue(HKEY root, const std::string& key, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, ValueName(name));
    RegCloseKey(k);
}

void DeleteRegTree(HKEY root, const std::string& key) {
    RegDeleteTreeA(root, key.c_str());
    RegDeleteKeyA(root, key.c_str());  // in case the tree call left the emptied key itself
}

void DeleteShellEntries() {
    DeleteRegTree(HKEY_CLASSES_ROOT, ".qst");
    DeleteRegTree(HKEY_CLASSES_ROOT, "QuillostrandProject");
    DeleteRegTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey);
}

}  // namespace qs::test
