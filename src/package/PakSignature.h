// Detached package signatures: what a vendor signs, and how the signature file beside a package is read.
// Portable: the program (with Windows' crypto API) and mkpak (with OpenSSL) share these rules.
//
// The signature of "Quilstr.pak" lies beside it as "Quilstr.sig" (the extension replaced, so the name fits
// 8.3 media). The file holds nothing but the signature: RSA PKCS#1 v1.5 with SHA-256, by a key of at least
// 3072 bits, big-endian as OpenSSL writes it, exactly as long as the key's modulus.
//
// The signed message is the package's file name without folder, ASCII letters upper-cased, then one line
// feed, then the 32-byte SHA-256 of the package's whole file:
//
//     "QUILSTR.PAK" LF SHA-256(Quilstr.pak)
//
// A signature therefore belongs to one package under one name: a signed Delphi10.pak renamed to Delphi20.pak
// no longer matches. The openssl command line makes and checks the same signature:
//
//     (printf 'QUILSTR.PAK\n'; openssl dgst -sha256 -binary Quilstr.pak) > msg
//     openssl dgst -sha256 -sign KEY.pem -out Quilstr.sig msg
//     openssl dgst -sha256 -verify PUB.pem -signature Quilstr.sig msg
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/BinFile.h"

namespace qs {

constexpr size_t kSha256Size = 32;
constexpr int kMinPackageKeyBits = 3072;
// A signature file larger than this is refused before it is read.
constexpr int64_t kMaxSignatureFile = 64 * 1024;

// "Quilstr.sig" for "Quilstr.pak" (also with a folder in front); a name without extension gets ".sig" added.
std::string SignatureFileName(const std::string& pakPath);

// The message a package's signature covers: upper-cased file name (folder dropped), LF, the file's SHA-256.
std::vector<uint8_t> SignedMessage(const std::string& pakPath, const uint8_t (&sha256)[kSha256Size]);

// Why a signature file cannot be a signature by a key of the given modulus length.
enum class SignatureFileFault { None, Missing, Empty, TooLarge, WrongSize };

struct SignatureFile {
    SignatureFileFault fault = SignatureFileFault::None;
    std::vector<uint8_t> bytes;  // the signature, big-endian; filled only when fault is None
};

// The fault of a signature file of size bytes for a key whose modulus is modulusBytes long (None when it fits).
SignatureFileFault SignatureSizeFault(int64_t size, size_t modulusBytes);

// Reads the signature file at sigPath (opened for reading as every file of the program is) for a key whose
// modulus is modulusBytes long. Never raises: a file that cannot be opened is Missing, a read failure WrongSize.
SignatureFile ReadSignatureFile(const std::string& sigPath, size_t modulusBytes);

// The plain reason for a fault, for the packing tool's messages ("is empty", "is larger than 64 KB", ...).
std::string SignatureFaultText(SignatureFileFault fault, size_t modulusBytes);

}  // namespace qs
