// The vendor's public key that a signed build carries (RCDATA "PAKKEY", a DER SubjectPublicKeyInfo), and the
// check of a package's detached signature with Windows' crypto API (message and file: package/PakSignature.h).
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include <cstddef>
#include <string>
#include <type_traits>

#include "base/BinFile.h"
#include "base/Exceptions.h"
#include "base/ScopedWin.h"

namespace qs {

// The outcome of one package's check.
enum class SignatureCheck {
    Good,       // signed by the vendor key, for this name and these bytes
    NotSigned,  // no signature file, one that cannot be a signature by this key, or no usable key in the program
    Mismatch,   // a signature that does not match: other bytes, another name, or another key (which, the
                // program cannot tell)
};

// "File Quilstr.pak is not signed", "File Quilstr.pak does not match its signature".
std::string SignatureRefusalText(const std::string& pakName, SignatureCheck check);

// A package refused by its check. For "Quilstr.pak" start-up shows the text with a stop icon, without a full stop
// appended, and ends.
class ESignatureRefused : public Exception {
public:
    ESignatureRefused(const std::string& pakName, SignatureCheck check)
        : Exception(SignatureRefusalText(pakName, check)) {}
};

class TVendorKey {
public:
    enum class State {
        None,     // the program carries no key: packages are not checked
        Usable,   // packages are checked against it
        Damaged,  // a key resource that cannot be used: every package is refused, never taken as unsigned
    };

    TVendorKey() = default;
    TVendorKey(TVendorKey&& other) noexcept;
    TVendorKey& operator=(TVendorKey&& other) noexcept;
    TVendorKey(const TVendorKey&) = delete;
    TVendorKey& operator=(const TVendorKey&) = delete;

    // The key in module's RCDATA "PAKKEY"; None when the module has no such resource.
    static TVendorKey FromModule(HMODULE module);
    // A key from DER SubjectPublicKeyInfo bytes: Usable for an RSA key of at least 3072 bits, else Damaged.
    static TVendorKey FromDer(const void* der, size_t size);

    State GetState() const { return state_; }
    size_t ModulusBytes() const { return modulusBytes_; }

    // Checks the package open in pak (read from its start; its position is left anywhere) under the name pakPath
    // against the signature file sigPath. Only a Usable key can return Good. Raises EInOutError when the
    // package cannot be read.
    SignatureCheck Check(BinFile& pak, const std::string& pakPath, const std::string& sigPath) const;

private:
    State state_ = State::None;
    ScopedCryptProvider prov_;
    ScopedCryptKey key_;  // declared after the provider it belongs to, so it goes first
    size_t modulusBytes_ = 0;
};
static_assert(!std::is_copy_constructible_v<TVendorKey>);

}  // namespace qs
