#include "package/PakSignature.h"

#include "base/Exceptions.h"
#include "base/Text.h"

namespace qs {

namespace {

size_t NameStart(const std::string& path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? 0 : cut + 1;
}

}  // namespace

std::string SignatureFileName(const std::string& pakPath) {
    const size_t dot = pakPath.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= NameStart(pakPath);
    return (hasExtension ? pakPath.substr(0, dot) : pakPath) + ".sig";
}

std::vector<uint8_t> SignedMessage(const std::string& pakPath, const uint8_t (&sha256)[kSha256Size]) {
    const std::string name = AsciiUpper(pakPath.substr(NameStart(pakPath)));
    std::vector<uint8_t> message(name.begin(), name.end());
    message.push_back('\n');
    message.insert(message.end(), sha256, sha256 + kSha256Size);
    return message;
}

SignatureFileFault SignatureSizeFault(int64_t size, size_t modulusBytes) {
    if (size == 0) return SignatureFileFault::Empty;
    if (size > kMaxSignatureFile) return SignatureFileFault::TooLarge;
    if (uint64_t(size) != modulusBytes) return SignatureFileFault::WrongSize;
    return SignatureFileFault::None;
}

SignatureFile ReadSignatureFile(const std::string& sigPath, size_t modulusBytes) {
    SignatureFile sig;
    BinFile f;
    try {
        f.OpenRead(sigPath);
    } catch (const EInOutError&) {
        sig.fault = SignatureFileFault::Missing;
        return sig;
    }
    try {
        sig.fault = SignatureSizeFault(f.Size(), modulusBytes);
        if (sig.fault == SignatureFileFault::None) {
            sig.bytes.resize(modulusBytes);
            f.ReadExact(sig.bytes.data(), uint32_t(modulusBytes));
        }
    } catch (const EInOutError&) {
        sig.fault = SignatureFileFault::WrongSize;
    }
    if (sig.fault != SignatureFileFault::None) sig.bytes.clear();
    return sig;
}

std::string SignatureFaultText(SignatureFileFault fault, size_t modulusBytes) {
    switch (fault) {
    case SignatureFileFault::None: return "is a signature";
    case SignatureFileFault::Missing: return "is missing";
    case SignatureFileFault::Empty: return "is empty";
    case SignatureFileFault::TooLarge: return "is larger than 64 KB";
    default:
        return "is not a signature by this key (it must be " + std::to_string(modulusBytes) + " bytes long)";
    }
}

}  // namespace qs
