// Registry access in the three encodings the program stores: counted text (REG_BINARY, length byte + chars),
// text (REG_SZ, its NUL counted) and number (REG_DWORD). Writes are fire-and-forget, as the program never
// tests a registry write; reads return nothing for a value that is missing or does not fit.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "base/ScopedWin.h"

namespace qs {

// One open registry key, closed when the object goes. An invalid object (failed open) makes every read fail
// and every write do nothing, which is what a key that cannot be opened means to the program.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}

    // RegOpenKeyExW; an invalid key when the open fails. Both open in the registry view both builds share for
    // root (RegistryViewFor), or in the view given.
    static RegKey Open(HKEY root, const std::string& subKey, REGSAM access);
    static RegKey Open(HKEY root, const std::string& subKey, REGSAM access, REGSAM view);
    // RegCreateKeyExW: no class, non-volatile.
    static RegKey Create(HKEY root, const std::string& subKey, REGSAM access);

    bool Valid() const { return bool(key_); }
    explicit operator bool() const { return Valid(); }
    HKEY Get() const { return key_.Get(); }
    void Close() { key_.Reset(); }

private:
    ScopedRegKey key_;
};
static_assert(!std::is_copy_constructible_v<RegKey>);

// The longest counted text: one length byte says at most 255.
constexpr size_t kMaxCountedText = 255;
// Registry texts are read into 261 UTF-16 units: 260 characters and the NUL.
constexpr size_t kMaxRegText = 260;

// text cut to limit characters: what every registry text the install writes keeps of a longer one.
std::string CutText(const std::string& text, size_t limit = kMaxCountedText);

// text in the system code page, cut to at most maxBytes bytes there by whole characters; nothing when that code
// page cannot hold it.
std::optional<std::string> AnsiCut(const std::string& text, size_t maxBytes);

// Writes text in the system code page, cut to 255 bytes there (whole characters), as length byte + bytes
// (REG_BINARY). Raises Exception for a text that code page cannot hold: callers refuse such texts first.
void WriteCountedText(const RegKey& key, const std::string& name, const std::string& text);
// Writes text as REG_SZ (UTF-16); the stored size counts the terminating NUL.
void WriteText(const RegKey& key, const std::string& name, const std::string& text);
void WriteNumber(const RegKey& key, const std::string& name, uint32_t value);
void WriteBinary(const RegKey& key, const std::string& name, const std::vector<uint8_t>& bytes);

// Reads a counted text (system code page bytes) whose value holds at most maxChars + 1 bytes. Nothing when the
// value is missing, larger, empty (no length byte), or not text in that code page. A length byte that claims more characters than the value holds gives those held.
std::optional<std::string> ReadCountedText(const RegKey& key, const std::string& name,
                                           size_t maxChars = kMaxCountedText);
// Reads a text value into maxChars + 1 UTF-16 units, taking it up to its first NUL. Nothing when the value is missing
// or its text is longer than maxChars (such a text is never cut: a cut text would be a different text).
std::optional<std::string> ReadText(const RegKey& key, const std::string& name, size_t maxChars = kMaxRegText);
// Reads a 4-byte number; nothing when the value is missing or not 4 bytes long.
std::optional<uint32_t> ReadNumber(const RegKey& key, const std::string& name);
// Reads at most maxBytes bytes of a value: the bytes the value holds, cut to maxBytes. Empty when missing.
std::vector<uint8_t> ReadBinary(const RegKey& key, const std::string& name, size_t maxBytes);

// Deletes root\parent\name with all its values and sub-keys. Parent is opened with full access; nothing
// happens when it cannot be opened. True when this call deleted the key.
bool DeleteKeyTree(HKEY root, const std::string& parent, const std::string& name);

}  // namespace qs
