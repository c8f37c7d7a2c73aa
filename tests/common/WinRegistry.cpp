#include "WinRegistry.h"

#include <cstdio>

#include "base/Bitness.h"

namespace qs::test {

namespace {
const char* ValueName(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }
}  // namespace

// The tests look where the program writes: the registry view both builds share.
using qs::RegistryViewFor;

std::optional<RawValue> ReadRaw(HKEY root, const std::string& key, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | RegistryViewFor(root), &k) != ERROR_SUCCESS)
        return std::nullopt;
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

bool KeyExists(HKEY root, const std::string& key) { return KeyExistsInView(root, key, RegistryViewFor(root)); }

bool KeyExistsInView(HKEY root, const std::string& key, REGSAM view) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &k) != ERROR_SUCCESS) return false;
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
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | RegistryViewFor(root), nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
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
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE | RegistryViewFor(root), &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, ValueName(name));
    RegCloseKey(k);
}

void DeleteRegTree(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS | RegistryViewFor(root), &k) != ERROR_SUCCESS) return;
    RegDeleteTreeA(k, nullptr);  // what is below the key; the key itself goes next
    RegCloseKey(k);
    RegDeleteKeyExA(root, key.c_str(), RegistryViewFor(root), 0);
}

void DeleteShellEntries() {
    DeleteRegTree(HKEY_CLASSES_ROOT, ".qst");
    DeleteRegTree(HKEY_CLASSES_ROOT, "QuillostrandProject");
    DeleteRegTree(HKEY_LOCAL_MACHINE, kAppPathsKey);
    DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey);
}

}  // namespace qs::test

namespace qs::test {

namespace {

void DumpKey(HKEY k, REGSAM view, const std::string& path, std::string& out) {
    char name[16384];
    std::string data(65536, '\0');
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = DWORD(data.size()), type = 0;
        if (RegEnumValueA(k, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &dataSize) !=
            ERROR_SUCCESS)
            break;
        char head[32];
        std::snprintf(head, sizeof head, " = %lu:", static_cast<unsigned long>(type));
        out += path + "\\[" + std::string(name, nameSize) + "]" + head;
        for (DWORD b = 0; b < dataSize; ++b) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(data[b]));
            out += hex;
        }
        out += "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(k, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::string child = path + "\\" + std::string(name, nameSize);
        HKEY h;
        if (RegOpenKeyExA(k, name, 0, KEY_READ | view, &h) != ERROR_SUCCESS) {
            out += child + " (cannot be opened)\n";
            continue;
        }
        out += child + "\n";
        DumpKey(h, view, child, out);
        RegCloseKey(h);
    }
}

}  // namespace

std::string DumpRegTree(HKEY root, const std::string& key) {
    HKEY k;
    const REGSAM view = RegistryViewFor(root);
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, &k) != ERROR_SUCCESS) return key + " (none)\n";
    std::string out = key + "\n";
    DumpKey(k, view, key, out);
    RegCloseKey(k);
    return out;
}

}  // namespace qs::test
