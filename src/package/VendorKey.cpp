#include "package/VendorKey.h"

#include <wincrypt.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "base/SystemLibrary.h"
#include "package/PakSignature.h"

namespace qs {

namespace {

// A SHA-256 hash object of prov; empty when it cannot be made.
ScopedCryptHash Sha256Of(HCRYPTPROV prov) {
    HCRYPTHASH hash = 0;
    return ScopedCryptHash(CryptCreateHash(prov, CALG_SHA_256, 0, 0, &hash) ? hash : 0);
}

bool AddTo(const ScopedCryptHash& hash, const void* data, DWORD size) {
    return hash && CryptHashData(hash.Get(), static_cast<const BYTE*>(data), size, 0);
}

}  // namespace

std::string SignatureRefusalText(const std::string& pakName, SignatureCheck check) {
    return "File " + pakName + (check == SignatureCheck::Mismatch ? " does not match its signature" : " is not signed");
}

TVendorKey::TVendorKey(TVendorKey&& other) noexcept
    : state_(std::exchange(other.state_, State::None)),
      prov_(std::move(other.prov_)),
      key_(std::move(other.key_)),
      modulusBytes_(other.modulusBytes_) {}

TVendorKey& TVendorKey::operator=(TVendorKey&& other) noexcept {
    if (this != &other) {
        key_ = std::move(other.key_);  // the key before its provider
        prov_ = std::move(other.prov_);
        state_ = std::exchange(other.state_, State::None);
        modulusBytes_ = other.modulusBytes_;
    }
    return *this;
}

TVendorKey TVendorKey::FromModule(HMODULE module) {
    const HRSRC res = FindResourceW(module, L"PAKKEY", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!res) return TVendorKey();
    const HGLOBAL loaded = LoadResource(module, res);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, res);
    if (!bytes || size == 0) {
        TVendorKey damaged;
        damaged.state_ = State::Damaged;
        return damaged;
    }
    return FromDer(bytes, size);
}

TVendorKey TVendorKey::FromDer(const void* der, size_t size) {
    TVendorKey k;
    k.state_ = State::Damaged;
    // crypt32 is not on the system's protected list: loaded from the system folder, and only by a keyed build.
    using DecodeFn = BOOL(WINAPI*)(DWORD, LPCSTR, const BYTE*, DWORD, DWORD, PCRYPT_DECODE_PARA, void*, DWORD*);
    using ImportFn = BOOL(WINAPI*)(HCRYPTPROV, DWORD, PCERT_PUBLIC_KEY_INFO, HCRYPTKEY*);
    const auto decode = SystemFunction<DecodeFn>("crypt32.dll", "CryptDecodeObjectEx");
    const auto import = SystemFunction<ImportFn>("crypt32.dll", "CryptImportPublicKeyInfo");
    CERT_PUBLIC_KEY_INFO* info = nullptr;
    DWORD infoSize = 0;
    if (!decode || !import || size == 0 || size > 64 * 1024 ||
        !decode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, static_cast<const BYTE*>(der), DWORD(size),
                CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &infoSize))
        return k;
    const bool rsa = info->Algorithm.pszObjId && std::string(info->Algorithm.pszObjId) == szOID_RSA_RSA;
    HCRYPTPROV prov = 0;
    HCRYPTKEY key = 0;
    if (rsa && CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) k.prov_.Reset(prov);
    if (k.prov_ && import(k.prov_.Get(), X509_ASN_ENCODING, info, &key)) {
        k.key_.Reset(key);
        DWORD bits = 0, len = sizeof bits;
        if (CryptGetKeyParam(k.key_.Get(), KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &len, 0) &&
            bits >= DWORD(kMinPackageKeyBits) && bits % 8 == 0) {
            k.modulusBytes_ = bits / 8;
            k.state_ = State::Usable;
        }
    }
    LocalFree(info);
    if (k.state_ != State::Usable) {
        k.key_.Reset();
        k.prov_.Reset();
    }
    return k;
}

SignatureCheck TVendorKey::Check(BinFile& pak, const std::string& pakPath, const std::string& sigPath) const {
    if (state_ != State::Usable) return SignatureCheck::NotSigned;
    SignatureFile sig = ReadSignatureFile(sigPath, modulusBytes_);
    if (sig.fault != SignatureFileFault::None) return SignatureCheck::NotSigned;

    // The SHA-256 of the package as it is open now: the handle that extraction reads later.
    uint8_t digest[kSha256Size];
    {
        const ScopedCryptHash file = Sha256Of(prov_.Get());
        pak.Seek(0);
        std::vector<uint8_t> buf(256 * 1024);
        while (const uint32_t n = pak.ReadSome(buf.data(), uint32_t(buf.size())))
            if (!AddTo(file, buf.data(), n)) return SignatureCheck::NotSigned;
        DWORD len = sizeof digest;
        if (!file || !CryptGetHashParam(file.Get(), HP_HASHVAL, digest, &len, 0) || len != sizeof digest)
            return SignatureCheck::NotSigned;
    }

    const std::vector<uint8_t> message = SignedMessage(pakPath, digest);
    const ScopedCryptHash signedHash = Sha256Of(prov_.Get());
    if (!AddTo(signedHash, message.data(), DWORD(message.size()))) return SignatureCheck::NotSigned;
    // CryptoAPI takes the signature little-endian; OpenSSL writes it big-endian.
    std::reverse(sig.bytes.begin(), sig.bytes.end());
    return CryptVerifySignatureW(signedHash.Get(), sig.bytes.data(), DWORD(sig.bytes.size()), key_.Get(), nullptr, 0)
               ? SignatureCheck::Good
               : SignatureCheck::Mismatch;
}

}  // namespace qs
