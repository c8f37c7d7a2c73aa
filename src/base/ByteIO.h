// Little-endian fields in memory: one reader that checks every field against the end, and one writer. Every
// stored layout of the program and its tools (package header and entries, pictures) is read and written
// through these. Portable, header-only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Exceptions.h"

namespace qs {

inline uint16_t LoadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t LoadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads fields from a block of memory it does not own. A field that lies past the end is never read as zero:
// the reader calls pastEnd with the field's name, which raises the caller's own error; without one (or if it
// returns) it raises Exception "<field> lies past the end".
class ByteReader {
public:
    using PastEnd = std::function<void(const char* field)>;

    ByteReader(const uint8_t* data, size_t size, PastEnd pastEnd = {})
        : data_(data), size_(size), pastEnd_(std::move(pastEnd)) {}
    explicit ByteReader(const std::vector<uint8_t>& v, PastEnd pastEnd = {})
        : ByteReader(v.data(), v.size(), std::move(pastEnd)) {}

    size_t Pos() const { return pos_; }
    size_t Remaining() const { return size_ - pos_; }

    // The next n bytes, taken.
    const uint8_t* Take(size_t n, const char* field) {
        if (n > size_ - pos_) Fail(field);
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    uint8_t U8(const char* field) { return *Take(1, field); }
    uint16_t U16(const char* field) { return LoadLE16(Take(2, field)); }
    uint32_t U32(const char* field) { return LoadLE32(Take(4, field)); }
    int32_t I32(const char* field) { return static_cast<int32_t>(U32(field)); }
    std::string Text(size_t n, const char* field) {
        const uint8_t* p = Take(n, field);
        return std::string(reinterpret_cast<const char*>(p), n);
    }

private:
    [[noreturn]] void Fail(const char* field) const {
        if (pastEnd_) pastEnd_(field);
        throw Exception(std::string(field) + " lies past the end");
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    PastEnd pastEnd_;
};

// Appends fields to a byte vector it does not own.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}

    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void Bytes(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    void Bytes(const std::vector<uint8_t>& v) { out_.insert(out_.end(), v.begin(), v.end()); }
    void Text(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
    // A length byte and the text (at most 255 characters: the caller's to check).
    void ShortText(const std::string& s) {
        U8(static_cast<uint8_t>(s.size()));
        Text(s);
    }

private:
    std::vector<uint8_t>& out_;
};

}  // namespace qs
