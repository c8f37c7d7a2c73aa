#include "PakSign.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "base/Exceptions.h"
#include "package/PakSignature.h"

namespace qs::pak {

namespace {

struct PkeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX* c) const { EVP_PKEY_CTX_free(c); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;
using PkeyCtx = std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree>;

enum class KeyHalf { Private, Public };

// Asks for the passphrase of an encrypted private key, once (no second entry to confirm: a wrong one is said so
// right away), on the terminal or, without one, from standard input.
struct PassphrasePrompt {
    std::string prompt;
    bool asked = false;
};

int AskPassphrase(char* buf, int size, int /*rwflag*/, void* u) {
    auto* p = static_cast<PassphrasePrompt*>(u);
    p->asked = true;
    if (EVP_read_pw_string(buf, size, p->prompt.c_str(), 0) != 0) return -1;
    return int(std::strlen(buf));
}

Pkey ReadKey(const std::string& path, KeyHalf half) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw Exception("Cannot read the key file " + path);
    PassphrasePrompt prompt{"Passphrase for " + path + ":"};
    EVP_PKEY* k = half == KeyHalf::Private ? PEM_read_PrivateKey(f, nullptr, AskPassphrase, &prompt)
                                           : PEM_read_PUBKEY(f, nullptr, nullptr, nullptr);
    std::fclose(f);
    const char* kind = half == KeyHalf::Private ? "a PEM private key" : "a PEM public key";
    if (!k && prompt.asked) throw Exception("Wrong passphrase for the key file " + path);
    if (!k) throw Exception("The key file " + path + " does not hold " + std::string(kind));
    Pkey key(k);
    if (EVP_PKEY_get_base_id(k) != EVP_PKEY_RSA || EVP_PKEY_get_bits(k) < kMinPackageKeyBits)
        throw Exception("The key in " + path + " is not an RSA key of at least " +
                        std::to_string(kMinPackageKeyBits) + " bits");
    return key;
}

// The SHA-256 of the whole file.
void HashFile(const std::string& path, uint8_t (&digest)[kSha256Size]) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Exception("Cannot read the package " + path);
    MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx || !EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr)) throw Exception("SHA-256 is not available");
    std::vector<char> buf(1 << 16);
    while (in) {
        in.read(buf.data(), std::streamsize(buf.size()));
        if (in.gcount() > 0) EVP_DigestUpdate(ctx.get(), buf.data(), size_t(in.gcount()));
    }
    if (in.bad()) throw Exception("Cannot read the package " + path);
    unsigned len = 0;
    EVP_DigestFinal_ex(ctx.get(), digest, &len);
}

std::vector<uint8_t> MessageOf(const std::string& pakPath) {
    uint8_t digest[kSha256Size];
    HashFile(pakPath, digest);
    return SignedMessage(pakPath, digest);
}

// True when the signature opens with the key at all (it was made by this key), whatever message it covers.
bool OpensWithKey(EVP_PKEY* key, const std::vector<uint8_t>& sig) {
    PkeyCtx ctx(EVP_PKEY_CTX_new(key, nullptr));
    uint8_t out[512];
    size_t outLen = sizeof out;
    return ctx && EVP_PKEY_verify_recover_init(ctx.get()) > 0 &&
           EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) > 0 &&
           EVP_PKEY_CTX_set_signature_md(ctx.get(), EVP_sha256()) > 0 &&
           EVP_PKEY_verify_recover(ctx.get(), out, &outLen, sig.data(), sig.size()) > 0;
}

}  // namespace

void Sha256(const uint8_t* data, size_t size, uint8_t (&digest)[32]) {
    unsigned len = 0;
    if (!EVP_Digest(data, size, digest, &len, EVP_sha256(), nullptr) || len != 32)
        throw Exception("SHA-256 is not available");
}

namespace {

std::string SignOne(EVP_PKEY* key, const std::string& pakPath, const std::string& keyPath) {
    const std::vector<uint8_t> message = MessageOf(pakPath);
    MdCtx ctx(EVP_MD_CTX_new());
    std::vector<uint8_t> sig(size_t(EVP_PKEY_get_size(key)));
    size_t sigLen = sig.size();
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key) <= 0 ||
        EVP_DigestSign(ctx.get(), sig.data(), &sigLen, message.data(), message.size()) <= 0)
        throw Exception("Cannot sign " + pakPath + " with " + keyPath);
    sig.resize(sigLen);
    const std::string sigPath = SignatureFileName(pakPath);
    std::ofstream out(sigPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(sig.data()), std::streamsize(sig.size()));
    out.close();
    if (!out) {
        std::remove(sigPath.c_str());
        throw Exception("Cannot write " + sigPath);
    }
    return sigPath;
}

}  // namespace

std::vector<std::string> SignPackages(const std::vector<std::string>& pakPaths, const std::string& keyPath) {
    const Pkey key = ReadKey(keyPath, KeyHalf::Private);
    std::vector<std::string> sigPaths;
    for (const std::string& pak : pakPaths) sigPaths.push_back(SignOne(key.get(), pak, keyPath));
    return sigPaths;
}

namespace {

// Why the signature sigPath (whose bytes fit the key) does not hold for the package pakPath's message; "" when it
// holds. keyWhere names the key: "the key in PUB.pem".
std::string SignatureFault(EVP_PKEY* key, const std::vector<uint8_t>& message, const std::vector<uint8_t>& sig,
                           const std::string& pakPath, const std::string& sigPath, const std::string& keyWhere) {
    MdCtx ctx(EVP_MD_CTX_new());
    if (ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, EVP_sha256(), nullptr, key) > 0 &&
        EVP_DigestVerify(ctx.get(), sig.data(), sig.size(), message.data(), message.size()) == 1)
        return "";
    if (!OpensWithKey(key, sig))
        return "The signature " + sigPath + " was not made with " + keyWhere + " (or it is damaged)";
    return pakPath + " does not match its signature: the package was changed after it was signed, or the signature "
                     "belongs to a package of another name";
}

}  // namespace

std::string VerifyPackage(const std::string& pakPath, const std::string& pubPath) {
    const Pkey key = ReadKey(pubPath, KeyHalf::Public);
    const std::vector<uint8_t> message = MessageOf(pakPath);
    const std::string sigPath = SignatureFileName(pakPath);
    const size_t modulus = size_t(EVP_PKEY_get_size(key.get()));
    const SignatureFile sig = ReadSignatureFile(sigPath, modulus);
    if (sig.fault != SignatureFileFault::None)
        return "The signature file " + sigPath + " " + SignatureFaultText(sig.fault, modulus);
    return SignatureFault(key.get(), message, sig.bytes, pakPath, sigPath, "the key in " + pubPath);
}

std::string VerifyPackageData(const std::string& pakName, const std::vector<uint8_t>& pak,
                              const std::vector<uint8_t>* sig, const std::vector<uint8_t>& derKey,
                              const std::string& keyWhere) {
    const uint8_t* p = derKey.data();
    const Pkey key(d2i_PUBKEY(nullptr, &p, long(derKey.size())));
    if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA || EVP_PKEY_get_bits(key.get()) < kMinPackageKeyBits)
        return keyWhere + " is not an RSA public key of at least " + std::to_string(kMinPackageKeyBits) + " bits";
    uint8_t digest[kSha256Size];
    Sha256(pak.data(), pak.size(), digest);
    const std::vector<uint8_t> message = SignedMessage(pakName, digest);
    const std::string sigPath = SignatureFileName(pakName);
    const size_t modulus = size_t(EVP_PKEY_get_size(key.get()));
    const SignatureFileFault fault =
        sig ? SignatureSizeFault(int64_t(sig->size()), modulus) : SignatureFileFault::Missing;
    if (fault != SignatureFileFault::None)
        return "The signature file " + sigPath + " " + SignatureFaultText(fault, modulus);
    return SignatureFault(key.get(), message, *sig, pakName, sigPath, keyWhere);
}

}  // namespace qs::pak
