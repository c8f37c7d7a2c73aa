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
