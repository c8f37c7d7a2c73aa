#include "model_decoder.h"

#include <algorithm>
#include <cstring>

namespace qs::test {

namespace {
constexpr int N = 4096, F = 60, THRESHOLD = 2;
constexpr int N_CHAR = 256 - THRESHOLD + F;
constexpr int T = N_CHAR * 2 - 1;
constexpr int R = T - 1;
constexpr int MAX_FREQ = 0x8000;

struct EndOfData {};

// Upper 6 bits and code length of a position code, by the ranges of its first 8 bits.
void PositionEntry(int v, int& upper, int& len) {
    if (v < 32) { upper = 0; len = 3; }
    else if (v < 80) { upper = 1 + (v - 32) / 16; len = 4; }
    else if (v < 144) { upper = 4 + (v - 80) / 8; len = 5; }
    else if (v < 192) { upper = 12 + (v - 144) / 4; len = 6; }
    else if (v < 240) { upper = 24 + (v - 192) / 2; len = 7; }
    else { upper = 48 + (v - 240); len = 8; }
}

uint16_t Clamp(uint16_t v) { return std::clamp<uint16_t>(v, 16, 32768); }
}  // namespace

bool ModelDecoder::GetOneByte(uint8_t& b) {
    if (readPos_ > readCount_) {
        uint16_t got = Source ? Source(in_.data(), static_cast<uint16_t>(in_.size())) : 0;
        readCount_ = std::min<size_t>(got, in_.size());
        readPos_ = 1;
        if (readCount_ == 0) return false;
    }
    b = in_[readPos_ - 1];
    ++readPos_;
    return true;
}

void ModelDecoder::PutOneByte(uint8_t b) {
    if (writePos_ > out_.size()) {
        if (Sink) Sink(out_.data(), static_cast<uint16_t>(out_.size()));
        writePos_ = 1;
    }
    out_[writePos_ - 1] = b;
    ++writePos_;
}

void ModelDecoder::Refill() {
    if (bitCount_ < 8) {
        uint8_t b = 0;
        if (!GetOneByte(b)) {
            b = 0;
            exhausted_ = true;
        }
        bitBuf_ = static_cast<uint16_t>(bitBuf_ | (b << (8 - bitCount_)));
        bitCount_ = static_cast<uint8_t>(bitCount_ + 8);
    }
}

int ModelDecoder::GetBit() {
    Refill();
    int bit = bitBuf_ >> 15;
    bitBuf_ = static_cast<uint16_t>(bitBuf_ << 1);
    --bitCount_;
    return bit;
}

int ModelDecoder::GetByte() {
    Refill();
    int byte = bitBuf_ >> 8;
    bitBuf_ = static_cast<uint16_t>(bitBuf_ << 8);
    bitCount_ = static_cast<uint8_t>(bitCount_ - 8);
    return byte;
}

void ModelDecoder::StartHuff() {
    for (int i = 0; i < N_CHAR; ++i) {
        freq_[i] = 1;
        son_[i] = static_cast<int16_t>(i + T);
        prnt_[i + T] = static_cast<int16_t>(i);
    }
    int i = 0;
    for (int j = N_CHAR; j <= R; ++j) {
        freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
        son_[j] = static_cast<int16_t>(i);
        prnt_[i] = prnt_[i + 1] = static_cast<int16_t>(j);
        i += 2;
    }
    freq_[T] = 0xFFFF;
    prnt_[R] = 0;
}

void ModelDecoder::Reconst() {
    int j = 0;
    for (int i = 0; i < T; ++i) {
        if (son_[i] >= T) {
            freq_[j] = static_cast<uint16_t>((freq_[i] + 1) / 2);
            son_[j] = son_[i];
            ++j;
        }
    }
    int i = 0;
    for (j = N_CHAR; j < T; ++j) {
        uint16_t f = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
        freq_[j] = f;
        int k = j - 1;
        while (freq_[k] > f) --k;
        ++k;
        for (int m = j; m > k; --m) {
            freq_[m] = freq_[m - 1];
            son_[m] = son_[m - 1];
        }
        freq_[k] = f;
        son_[k] = static_cast<int16_t>(i);
        i += 2;
    }
    for (i = 0; i < T; ++i) {
        int k = son_[i];
        if (k >= T) {
            prnt_[k] = static_cast<int16_t>(i);
        } else {
            prnt_[k] = prnt_[k + 1] = static_cast<int16_t>(i);
        }
    }
}

void ModelDecoder::UpdateFreq(int c) {
    if (freq_[R] == MAX_FREQ) Reconst();
    int q = prnt_[c + T];
    do {
        int k = ++freq_[q];
        if (k > freq_[q + 1]) {
            int l = q + 1;
            while (k > freq_[l + 1]) ++l;
            freq_[q] = freq_[l];
            freq_[l] = static_cast<uint16_t>(k);
            int i = son_[q];
            prnt_[i] = static_cast<int16_t>(l);
            if (i < T) prnt_[i + 1] = static_cast<int16_t>(l);
            int j = son_[l];
            son_[l] = static_cast<int16_t>(i);
            prnt_[j] = static_cast<int16_t>(q);
            if (j < T) prnt_[j + 1] = static_cast<int16_t>(q);
            son_[q] = static_cast<int16_t>(j);
            q = l;
        }
        q = prnt_[q];
    } while (q != 0);
}

int ModelDecoder::DecodeChar() {
    int q = son_[R];
    while (q < T) {
        q += GetBit();
        q = son_[q];
        if (exhausted_ && bitBuf_ == 0) {
            bitBuf_ = 0x8000;
            throw EndOfData();
        }
    }
    q -= T;
    UpdateFreq(q);
    return q;
}

int ModelDecoder::DecodePosition() {
    int i = GetByte();
    int upper = 0, len = 0;
    PositionEntry(i, upper, len);
    for (int k = 0; k < len - 2; ++k) i = 2 * i + GetBit();
    return upper * 64 + (i % 64);
}

void ModelDecoder::Decompress() {
    in_.assign(Clamp(ReadBufSize), 0);
    out_.assign(Clamp(WriteBufSize), 0);
    bitBuf_ = 0;
    bitCount_ = 0;
    exhausted_ = false;
    writePos_ = 1;
    readPos_ = 1;
    readCount_ = 0;
    std::memset(ring_, 0, sizeof ring_);
    std::memset(freq_, 0, sizeof freq_);
    std::memset(prnt_, 0, sizeof prnt_);
    std::memset(son_, 0, sizeof son_);
    StartHuff();
    std::memset(ring_, ' ', N - F);
    int r = N - F;
    try {
        for (;;) {
            int c = DecodeChar();
            if (c < 256) {
                PutOneByte(static_cast<uint8_t>(c));
                ring_[r] = static_cast<uint8_t>(c);
                r = (r + 1) % N;
            } else {
                int p = DecodePosition();
                int i = ((r - p - 1) % N + N) % N;
                for (int k = 0; k < c - 253; ++k) {
                    uint8_t b = ring_[(i + k) % N];
                    PutOneByte(b);
                    ring_[r] = b;
                    r = (r + 1) % N;
                }
            }
            if (exhausted_ && bitBuf_ == 0x8000) break;
        }
    } catch (...) {
    }
    if (Sink) Sink(out_.data(), static_cast<uint16_t>(writePos_ - 1));
}

std::vector<uint8_t> ModelDecode(const std::vector<uint8_t>& packed, uint16_t readBuf, uint16_t writeBuf) {
    ModelDecoder d;
    d.ReadBufSize = readBuf;
    d.WriteBufSize = writeBuf;
    size_t at = 0;
    std::vector<uint8_t> result;
    d.Source = [&](uint8_t* buf, uint16_t room) {
        size_t n = std::min<size_t>(room, packed.size() - at);
        if (n) std::memcpy(buf, packed.data() + at, n);
        at += n;
        return static_cast<uint16_t>(n);
    };
    d.Sink = [&](const uint8_t* bytes, uint16_t n) { result.insert(result.end(), bytes, bytes + n); };
    d.Decompress();
    return result;
}

}  // namespace qs::test
