#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "package/Crc32.h"

using namespace qs;

TEST(Crc32, KnownCheckValue) {
    const char* s = "123456789";
    EXPECT_EQ(Crc32Update(s, 9, 0), 0xCBF43926u);
    EXPECT_EQ(Crc32UpdateLong(s, 9, 0), 0xCBF43926u);
    EXPECT_EQ(Crc32Update("a", 1, 0), 0xE8B7BE43u);
}

TEST(Crc32, EmptyInputLeavesTheRunningValue) {
    EXPECT_EQ(Crc32Update(nullptr, 0, 0), 0u);
    EXPECT_EQ(Crc32Update("", 0, 0x12345678u), 0x12345678u);
}

TEST(Crc32, PiecesGiveTheSameValueAsTheWhole) {
    std::mt19937 rng(7);
    std::vector<uint8_t> data(70000);
    for (auto& b : data) b = static_cast<uint8_t>(rng());
    const uint32_t whole = Crc32UpdateLong(data.data(), data.size(), 0);
    for (size_t piece : {1u, 3u, 255u, 4096u, 65535u}) {
        uint32_t crc = 0;
        for (size_t at = 0; at < data.size(); at += piece) {
            const size_t n = std::min(piece, data.size() - at);
            crc = Crc32Update(data.data() + at, static_cast<uint16_t>(n), crc);
        }
        EXPECT_EQ(crc, whole) << "pieces of " << piece;
    }
}

TEST(Crc32, OneFlippedBitChangesTheValue) {
    std::vector<uint8_t> data(1000, 0x5A);
    const uint32_t good = Crc32UpdateLong(data.data(), data.size(), 0);
    for (size_t byte : {0u, 499u, 999u}) {
        for (int bit = 0; bit < 8; ++bit) {
            std::vector<uint8_t> bad = data;
            bad[byte] ^= static_cast<uint8_t>(1 << bit);
            EXPECT_NE(Crc32UpdateLong(bad.data(), bad.size(), 0), good) << byte << ":" << bit;
        }
    }
}

// The table-driven update against the polynomial applied bit by bit, for every length and alignment that the
// eight-byte steps and the byte tail can meet.
TEST(Crc32, MatchesBitwiseReferenceAtEveryLengthAndOffset) {
    auto reference = [](const unsigned char* p, size_t n) {
        uint32_t c = 0xFFFFFFFFu;
        for (size_t i = 0; i < n; ++i) {
            c ^= p[i];
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
        return ~c;
    };
    unsigned char data[80];
    for (size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<unsigned char>(i * 37 + 11);
    for (size_t offset = 0; offset < 8; ++offset)
        for (size_t len = 0; len + offset <= sizeof data; ++len)
            ASSERT_EQ(Crc32UpdateLong(data + offset, len, 0), reference(data + offset, len)) << offset << "+" << len;
}
