// TLZHCompressor against its contract and against the plain model decoder (model_decoder.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "LzhEncoder.h"
#include "LzhOps.h"
#include "TestData.h"
#include "model_decoder.h"
#include "package/LZH_OP.h"
#include "package/LzhFormat.h"
#include "package/LzhMemory.h"

using namespace qs;
using qs::pak::detail::LzhOp;
using Bytes = std::vector<uint8_t>;
using qs::test::RandomBytes;

namespace {

// A run of the component over packed, delivered chunk bytes per OnGetBytes call (0: as much as asked).
struct DecodeRun {
    Bytes out;
    std::vector<uint16_t> putSizes;
    int getCalls = 0;
};

DecodeRun Decode(TLZHCompressor& lzh, const Bytes& packed, size_t chunk = 0) {
    DecodeRun run;
    MemorySource source(packed, chunk);
    lzh.OnGetBytes = [&](TLZHCompressor&, void* dta, uint16_t room, uint16_t& got) {
        ++run.getCalls;
        got = source.Take(dta, room);
    };
    lzh.OnPutBytes = [&](TLZHCompressor&, const void* dta, uint16_t n, uint16_t& put) {
        const auto* p = static_cast<const uint8_t*>(dta);
        run.out.insert(run.out.end(), p, p + n);
        run.putSizes.push_back(n);
        put = n;
    };
    lzh.Decompress();
    return run;
}

DecodeRun Decode(const Bytes& packed, uint16_t readBuf = 1024, uint16_t writeBuf = 1024, size_t chunk = 0) {
    TLZHCompressor lzh;
    lzh.SetReadBufSize(readBuf);
    lzh.SetWriteBufSize(writeBuf);
    return Decode(lzh, packed, chunk);
}

Bytes Text(size_t n) {
    static const char* words[] = {"setup ", "package ", "the ", "install ", "folder ", "file ", "of ",
                                  "Quillostrand ", "\r\n", "help ", "a ", "Delphi "};
    std::mt19937 rng(3);
    Bytes b;
    while (b.size() < n) {
        const char* w = words[rng() % 12];
        b.insert(b.end(), w, w + std::strlen(w));
    }
    b.resize(n);
    return b;
}

Bytes AllLiterals(const Bytes& data) {
    std::vector<LzhOp> ops(data.size(), LzhOp{1, 0});
    return pak::detail::EncodeOpsRaw(data.data(), data.size(), ops);
}

// Goes through the virtual GetBytes/PutBytes, so the byte-at-a-time road of the component is taken.
class CountingCompressor : public TLZHCompressor {
public:
    CountingCompressor() : TLZHCompressor(ByteRoute::ThroughOverrides) {}
    int gets = 0, puts = 0;

protected:
    void GetBytes(void* buf, uint16_t count, uint16_t& delivered) override {
        ++gets;
        TLZHCompressor::GetBytes(buf, count, delivered);
    }
    void PutBytes(const void* bytes, uint16_t count, uint16_t& taken) override {
        ++puts;
        TLZHCompressor::PutBytes(bytes, count, taken);
    }
};

}  // namespace

TEST(LzhDecoder, EmptyInput_NoOutputAndTheSinkIsCalledOnceWithZero) {
    const DecodeRun run = Decode(Bytes{});
    EXPECT_TRUE(run.out.empty());
    ASSERT_EQ(run.putSizes.size(), 1u);
    EXPECT_EQ(run.putSizes[0], 0);
}

TEST(LzhDecoder, LoneEndMarker_NoOutput) {
    const DecodeRun run = Decode(Bytes{0x80});
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.putSizes, std::vector<uint16_t>{0});
}

TEST(LzhDecoder, DefaultsAndBufferSizeClamping) {
    TLZHCompressor lzh;
    EXPECT_TRUE(lzh.Finished());
    EXPECT_EQ(lzh.ReadBufSize(), 1024);
    EXPECT_EQ(lzh.WriteBufSize(), 1024);
    const struct { uint16_t set, stored; } cases[] = {{8, 16}, {0, 16}, {16, 16}, {17, 17}, {32768, 32768},
                                                      {40000, 32768}, {65535, 32768}};
    for (const auto& c : cases) {
        lzh.SetReadBufSize(c.set);
        lzh.SetWriteBufSize(c.set);
        EXPECT_EQ(lzh.ReadBufSize(), c.stored) << c.set;
        EXPECT_EQ(lzh.WriteBufSize(), c.stored) << c.set;
    }
}

TEST(LzhDecoder, BufferSizesSetDuringARun_AreIgnored) {
    TLZHCompressor lzh;
    const Bytes data = Text(5000);
    const Bytes packed = pak::EncodeLzh(data);
    bool seenRunning = false;
    MemorySource source(packed);
    Bytes out;
    lzh.OnGetBytes = [&](TLZHCompressor& s, void* dta, uint16_t room, uint16_t& got) {
        seenRunning = !s.Finished();
        s.SetReadBufSize(100);
        s.SetWriteBufSize(200);
        got = source.Take(dta, room);
    };
    lzh.OnPutBytes = [&](TLZHCompressor&, const void* dta, uint16_t n, uint16_t&) {
        EXPECT_TRUE(n == 1024 || out.size() + n == data.size()) << n;
        out.insert(out.end(), static_cast<const uint8_t*>(dta), static_cast<const uint8_t*>(dta) + n);
    };
    lzh.Decompress();
    EXPECT_TRUE(seenRunning);
    EXPECT_TRUE(lzh.Finished());
    EXPECT_EQ(lzh.ReadBufSize(), 1024);
    EXPECT_EQ(lzh.WriteBufSize(), 1024);
    EXPECT_EQ(out, data);
}

TEST(LzhDecoder, OutputBlocksHaveExactlyWriteBufSize_AndAFullLastBlockComesOnlyAtTheEnd) {
    const struct { size_t size; std::vector<uint16_t> blocks; } cases[] = {
        {100, {100}}, {128, {128}}, {129, {128, 1}}, {384, {128, 128, 128}}, {385, {128, 128, 128, 1}}};
    for (const auto& c : cases) {
        const Bytes data = RandomBytes(c.size, 11);
        const DecodeRun run = Decode(pak::EncodeLzh(data), 1024, 128);
        EXPECT_EQ(run.out, data);
        EXPECT_EQ(run.putSizes, c.blocks) << c.size;
    }
}

// The decoder keeps its history in the output buffer itself and moves it to the front every 32 KB or so: matches
// that straddle a block or that window's end, and short overlapping ones, must come out right at any block size.
TEST(LzhDecoder, MatchesAcrossBlocksAndWindowMoves_AnyWriteBufSize) {
    Bytes data = Text(150000);
    const Bytes runs = RandomBytes(60000, 3, 3);  // many short-distance, overlapping matches
    data.insert(data.end(), runs.begin(), runs.end());
    const Bytes packed = pak::EncodeLzh(data);
    for (uint16_t writeBuf : {uint16_t(16), uint16_t(61), uint16_t(1000), uint16_t(4096), uint16_t(32767),
                              uint16_t(32768)}) {
        const DecodeRun run = Decode(packed, 4096, writeBuf);
        EXPECT_EQ(run.out, data) << writeBuf;
        ASSERT_FALSE(run.putSizes.empty());
        // A last full block comes in the final hand-over, so there is no empty one after it.
        const size_t full = data.size() / writeBuf;
        EXPECT_EQ(run.putSizes.size(), (data.size() + writeBuf - 1) / writeBuf) << writeBuf;
        EXPECT_EQ(std::count(run.putSizes.begin(), run.putSizes.end(), writeBuf), static_cast<long>(full))
            << writeBuf;
    }
}

TEST(LzhDecoder, SourceIsCalledOncePerBuffer) {
    const Bytes data = RandomBytes(20000, 5, 40);
    const Bytes packed = pak::EncodeLzh(data);
    const DecodeRun run = Decode(packed, 512, 1024);
    EXPECT_EQ(run.out, data);
    const int buffers = static_cast<int>((packed.size() + 511) / 512);
    // After the last buffer the source is asked again until the end marker is seen (at most twice).
    EXPECT_GE(run.getCalls, buffers + 1);
    EXPECT_LE(run.getCalls, buffers + 2);
    EXPECT_EQ(run.putSizes.size(), (data.size() + 1023) / 1024);
}

TEST(LzhDecoder, ResultDoesNotDependOnHowTheSourceSplitsTheInput) {
    const Bytes data = Text(30000);
    const Bytes packed = pak::EncodeLzh(data);
    for (size_t chunk : {size_t(1), size_t(2), size_t(7), size_t(0)}) {
        for (uint16_t readBuf : {uint16_t(16), uint16_t(1024), uint16_t(32768)}) {
            EXPECT_EQ(Decode(packed, readBuf, 32768, chunk).out, data) << chunk << "/" << readBuf;
        }
    }
}

TEST(LzhDecoder, MatchAtPositionZeroRepeatsTheLastByte) {
    const Bytes data = {'x', 'y', 'y', 'y', 'y', 'y', 'y', 'y', 'y', 'y', 'y', 'y'};
    const std::vector<LzhOp> ops = {{1, 0}, {1, 0}, {10, 1}};
    const Bytes packed = pak::detail::EncodeOpsRaw(data.data(), data.size(), ops);
    EXPECT_EQ(Decode(packed).out, data);
    EXPECT_EQ(test::ModelDecode(packed), data);
}

TEST(LzhDecoder, MatchesReachIntoTheInitialWindowOfSpacesAndZeros) {
    // 3 bytes from 4036 back are spaces, from 4037 to 4096 back zeros.
    const Bytes data = {' ', ' ', ' ', 0, 0, 0, 0};
    const std::vector<LzhOp> ops = {{3, 10}, {4, 4090}};
    const Bytes packed = pak::detail::EncodeOpsRaw(data.data(), data.size(), ops);
    EXPECT_EQ(Decode(packed).out, data);
    EXPECT_EQ(test::ModelDecode(packed), data);
}

TEST(LzhDecoder, TreeRebuildMidStream_DecodesWithoutSeam) {
    // All literals: symbol 32,455 finds the root at 32768 and rebuilds the tree; go well past it.
    for (size_t n : {size_t(32454), size_t(32455), size_t(32456), size_t(70000)}) {
        const Bytes data = RandomBytes(n, static_cast<uint32_t>(n), 200);
        const Bytes packed = AllLiterals(data);
        const DecodeRun run = Decode(packed, 32768, 32768);
        // The raw coder does not mend a misread ending; at most one extra byte may then follow.
        ASSERT_GE(run.out.size(), n);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), run.out.begin())) << n;
        EXPECT_EQ(run.out, test::ModelDecode(packed)) << n;
    }
}

// A byte never seen before, decoded just as the tree is rebuilt, has the lowest weight: after the rebuild its
// leaf is node 0, and the update must still count it up from there.
TEST(LzhDecoder, TreeRebuildWithTheSymbolAtNodeZero_DecodesWithoutSeam) {
    for (uint8_t fresh : {uint8_t(0), uint8_t(1), uint8_t(200)}) {
        Bytes data;
        for (int i = 0; i < 32454; ++i) data.push_back(i % 3 == 0 ? 'a' : 'b');
        data.push_back(fresh);
        for (int i = 0; i < 300; ++i) data.push_back(static_cast<uint8_t>('a' + i % 5));
        const Bytes packed = AllLiterals(data);
        const DecodeRun run = Decode(packed, 32768, 32768);
        ASSERT_GE(run.out.size(), data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), run.out.begin())) << int(fresh);
        EXPECT_EQ(run.out, test::ModelDecode(packed)) << int(fresh);
    }
}

// Streams steered so that at every rebuild of the tree the symbol decoded is one of the lightest (ties picked at
// random): the update then starts low in the rebuilt tree, often at node 0. Weights are followed as the model
// keeps them: +1 per symbol, halved (rounding up) when the root has reached 32768.
TEST(LzhDecoder, LightestSymbolAtEveryRebuild_AgreesWithTheModel) {
    for (uint32_t seed = 0; seed < 40; ++seed) {
        std::mt19937 rng(seed);
        std::vector<unsigned> weight(lzh::kSymbolCount, 1);
        unsigned root = lzh::kSymbolCount;
        Bytes data;
        std::vector<LzhOp> ops;
        auto put = [&](unsigned sym, unsigned dist) {
            if (root == lzh::kMaxFrequency) {
                root = 0;
                for (unsigned& w : weight) root += (w = (w + 1) / 2);
            }
            ++weight[sym];
            ++root;
            if (sym < 256) {
                data.push_back(static_cast<uint8_t>(sym));
                ops.push_back({1, 0});
            } else {
                for (unsigned k = 0; k < sym - 253; ++k) {
                    const uint8_t b = data[data.size() - dist];
                    data.push_back(b);
                }
                ops.push_back({static_cast<uint16_t>(sym - 253), static_cast<uint16_t>(dist)});
            }
        };
        const uint8_t common[3] = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
        while (ops.size() < 50000) {
            const unsigned dist = 1 + rng() % static_cast<unsigned>(std::min<size_t>(4096, std::max<size_t>(data.size(), 1)));
            if (root == lzh::kMaxFrequency && !data.empty()) {
                const unsigned lightest = *std::min_element(weight.begin(), weight.end());
                std::vector<unsigned> ties;
                for (unsigned s = 0; s < weight.size(); ++s)
                    if (weight[s] == lightest) ties.push_back(s);
                put(ties[rng() % ties.size()], dist);
            } else if (data.size() > 16 && rng() % 4 == 0) {
                put(256 + rng() % 58, dist);
            } else {
                put(rng() % 50 == 0 ? rng() % 256 : common[rng() % 3], 0);
            }
        }
        const Bytes packed = pak::detail::EncodeOpsRaw(data.data(), data.size(), ops);
        const Bytes model = test::ModelDecode(packed);
        ASSERT_GE(model.size(), data.size()) << seed;
        ASSERT_TRUE(std::equal(data.begin(), data.end(), model.begin())) << seed;
        ASSERT_EQ(Decode(packed, 32768, 32768).out, model) << seed;
    }
}

TEST(LzhDecoder, EndMarkerSeenAfterACompleteSymbolOrInsideTheNextCode) {
    // Literal streams of every length up to 200: their ends fall at every bit of a byte. A last code ending on a
    // byte boundary leaves the end to be seen inside the next code; any other ending after the complete symbol.
    int onBoundary = 0, inside = 0;
    for (size_t n = 1; n <= 200; ++n) {
        const Bytes data = RandomBytes(n, static_cast<uint32_t>(n * 31), 256);
        const Bytes packed = pak::EncodeLzh(data);
        (packed.back() == 0x80 ? onBoundary : inside)++;
        EXPECT_EQ(Decode(packed).out, data) << n;
        EXPECT_EQ(test::ModelDecode(packed), data) << n;
    }
    EXPECT_GT(onBoundary, 5);
    EXPECT_GT(inside, 5);
}

TEST(LzhDecoder, GarbageStreams_BothDecodersGiveTheSameOutput) {
    std::mt19937 rng(99);
    for (int i = 0; i < 200; ++i) {
        const size_t n = rng() % 2000;
        // Mostly random, sometimes biased towards few values (deep trees, long matches).
        const Bytes garbage = RandomBytes(n, rng(), (i % 3 == 0) ? 3 : 256);
        const uint16_t readBuf = static_cast<uint16_t>(16 + rng() % 2000);
        const uint16_t writeBuf = static_cast<uint16_t>(16 + rng() % 2000);
        const Bytes model = test::ModelDecode(garbage, readBuf, writeBuf);
        EXPECT_EQ(Decode(garbage, readBuf, writeBuf).out, model) << i;
        CountingCompressor slow;
        slow.SetReadBufSize(readBuf);
        slow.SetWriteBufSize(writeBuf);
        EXPECT_EQ(Decode(slow, garbage).out, model) << i;
    }
}

// Long garbage with biased bits walks the tree along skewed paths: many swaps near the root, where the decoder
// keeps a look-up of the first levels that must follow every change, and many rebuilds of the tree.
TEST(LzhDecoder, LongBiasedGarbage_AgreesWithTheModelThroughManySwapsNearTheRoot) {
    std::mt19937 rng(7);
    for (int ones : {1, 4, 7}) {  // of 8 bits, about this many set
        Bytes garbage(300000);
        for (auto& b : garbage) {
            unsigned v = 0;
            for (int k = 0; k < 8; ++k) v = (v << 1) | (int(rng() % 8) < ones ? 1u : 0u);
            b = static_cast<uint8_t>(v);
        }
        const Bytes model = test::ModelDecode(garbage, 32768, 32768);
        EXPECT_GT(model.size(), garbage.size()) << ones;
        EXPECT_EQ(Decode(garbage, 32768, 32768).out, model) << ones;
        EXPECT_EQ(Decode(garbage, 16, 32768).out, model) << ones;
    }
}

TEST(LzhDecoder, OverriddenGetBytesAndPutBytes_SeeEveryByte) {
    const Bytes data = Text(10000);
    const Bytes packed = pak::EncodeLzh(data);
    CountingCompressor lzh;
    const DecodeRun run = Decode(lzh, packed);
    EXPECT_EQ(run.out, data);
    EXPECT_EQ(lzh.puts, static_cast<int>(data.size()));
    EXPECT_GE(lzh.gets, static_cast<int>(packed.size()));
    EXPECT_LE(lzh.gets, static_cast<int>(packed.size()) + 2);
}

TEST(LzhDecoder, SourceThatFailsOrResumes_EndsLikeTheModel) {
    const Bytes packed = pak::EncodeLzh(Text(20000));
    // Source behaviours by call number: deliver 16 bytes, raise, or deliver nothing.
    enum Act { Give, Raise, Nothing };
    const std::vector<std::vector<Act>> scripts = {
        {Give, Give, Raise}, {Raise}, {Give, Nothing, Give, Give, Raise}, {Give, Nothing, Nothing, Give}};
    for (const auto& script : scripts) {
        auto makeSource = [&](size_t& at, size_t& call) {
            return [&](uint8_t* buf, uint16_t) -> uint16_t {
                const Act act = call < script.size() ? script[call] : Nothing;
                ++call;
                if (act == Raise) throw std::runtime_error("source failed");
                if (act == Nothing) return 0;
                const size_t n = std::min<size_t>(16, packed.size() - at);
                std::memcpy(buf, packed.data() + at, n);
                at += n;
                return static_cast<uint16_t>(n);
            };
        };
        size_t at1 = 0, call1 = 0, at2 = 0, call2 = 0;
        auto source1 = makeSource(at1, call1);
        auto source2 = makeSource(at2, call2);

        test::ModelDecoder model;
        model.ReadBufSize = 16;
        Bytes expected;
        model.Source = source1;
        model.Sink = [&](const uint8_t* b, uint16_t n) { expected.insert(expected.end(), b, b + n); };
        model.Decompress();

        TLZHCompressor lzh;
        lzh.SetReadBufSize(16);
        Bytes out;
        lzh.OnGetBytes = [&](TLZHCompressor&, void* dta, uint16_t room, uint16_t& got) {
            got = source2(static_cast<uint8_t*>(dta), room);
        };
        AppendTo(lzh, out);
        EXPECT_NO_THROW(lzh.Decompress());
        EXPECT_TRUE(lzh.Finished());
        EXPECT_EQ(out, expected);
        EXPECT_EQ(call2, call1);
    }
}

TEST(LzhDecoder, SinkFailingInTheFinalHandOver_LeavesDecompressIdle) {
    const Bytes data = Text(3000);
    const Bytes packed = pak::EncodeLzh(data);
    TLZHCompressor lzh;
    int finishedCalls = 0, processed = 0;
    MemorySource source(packed);
    ReadFrom(lzh, source);
    int puts = 0;
    lzh.OnPutBytes = [&](TLZHCompressor&, const void*, uint16_t n, uint16_t&) {
        ++puts;
        if (n != 1024) throw std::runtime_error("disk full");
    };
    lzh.ProcessMessages = [&] { ++processed; };
    lzh.OnPressFinished = [&](TLZHCompressor& s) {
        EXPECT_TRUE(s.Finished());
        EXPECT_EQ(processed, finishedCalls + 1);
        ++finishedCalls;
    };
    EXPECT_THROW(lzh.Decompress(), std::runtime_error);
    EXPECT_TRUE(lzh.Finished());
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_EQ(puts, 3);  // 1024, 1024, then the remainder that fails
    // The component is usable again.
    source = MemorySource(packed);
    lzh.OnPutBytes = [&](TLZHCompressor&, const void*, uint16_t, uint16_t&) {};
    EXPECT_NO_THROW(lzh.Decompress());
    EXPECT_EQ(finishedCalls, 2);
}

TEST(LzhDecoder, SinkFailingMidStream_EndsTheRunQuietlyAndHandsTheBufferOverOnceMore) {
    const Bytes data = Text(5000);
    const Bytes packed = pak::EncodeLzh(data);
    TLZHCompressor lzh;
    MemorySource source(packed);
    ReadFrom(lzh, source);
    std::vector<uint16_t> sizes;
    lzh.OnPutBytes = [&](TLZHCompressor&, const void*, uint16_t n, uint16_t&) {
        sizes.push_back(n);
        if (sizes.size() == 2) throw std::runtime_error("write failed");
    };
    EXPECT_NO_THROW(lzh.Decompress());
    // The failed block stays in the buffer and is offered again in the final hand-over.
    EXPECT_EQ(sizes, (std::vector<uint16_t>{1024, 1024, 1024}));
}

TEST(LzhDecoder, DecompressDuringARun_DoesNothing) {
    const Bytes data = Text(4000);
    const Bytes packed = pak::EncodeLzh(data);
    TLZHCompressor lzh;
    MemorySource source(packed);
    int gets = 0;
    lzh.OnGetBytes = [&](TLZHCompressor& s, void* dta, uint16_t room, uint16_t& got) {
        ++gets;
        s.Decompress();  // ignored
        got = source.Take(dta, room);
    };
    Bytes out;
    AppendTo(lzh, out);
    lzh.Decompress();
    EXPECT_EQ(out, data);
}

TEST(LzhDecoder, RunsAreIndependent_NothingCarriesOver) {
    TLZHCompressor lzh;
    const Bytes a = Text(9000), b = RandomBytes(3000, 4);
    EXPECT_EQ(Decode(lzh, pak::EncodeLzh(a)).out, a);
    EXPECT_EQ(Decode(lzh, Bytes{0x12, 0x34, 0x56}).out, test::ModelDecode(Bytes{0x12, 0x34, 0x56}));
    EXPECT_EQ(Decode(lzh, pak::EncodeLzh(b)).out, b);
}
