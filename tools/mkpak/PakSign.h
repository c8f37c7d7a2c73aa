// Signing and checking packages on the vendor's machine, with OpenSSL's libcrypto (the message and the
// signature file are described in package/PakSignature.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qs::pak {

// Signs each package of pakPaths with the RSA private key in the PEM file keyPath (3072 bits or more) and writes
// each signature beside its package (SignatureFileName). Returns the signature files' paths, in order. The key is
// read once: a key protected by a passphrase asks for it once (terminal, else standard input) for all of them.
// Raises qs::Exception with a plain reason for an unreadable package or key, a wrong passphrase, a key of the
// wrong kind or size, or a failed write. The caller checks that the files are packages.
std::vector<std::string> SignPackages(const std::vector<std::string>& pakPaths, const std::string& keyPath);

// Checks the signature beside the package at pakPath against the RSA public key in the PEM file pubPath.
// Returns "" when it holds, else why not, in a sentence that names the file. Raises qs::Exception for an
// unreadable package or an unusable key file.
std::string VerifyPackage(const std::string& pakPath, const std::string& pubPath);

// The same check on bytes in memory, with the DER public key a keyed Setup.exe carries (keyWhere names it in the
// reasons: "the package key in media/Setup.exe"): "" when the signature sig (null: there is none) holds for the
// package pak under the name pakName, else why not.
std::string VerifyPackageData(const std::string& pakName, const std::vector<uint8_t>& pak,
                              const std::vector<uint8_t>* sig, const std::vector<uint8_t>& derKey,
                              const std::string& keyWhere);

// The SHA-256 of size bytes (for the bundle's directory). Raises qs::Exception when libcrypto offers none.
void Sha256(const uint8_t* data, size_t size, uint8_t (&digest)[32]);

}  // namespace qs::pak
