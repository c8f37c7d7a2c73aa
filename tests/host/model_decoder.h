// A plain model of the LZH stream decoder, written one bit at a time from the stream's description: a 16-bit bit
// buffer refilled a byte at a time, every byte through an input and an output buffer. It is the oracle of the
// decoder tests and the baseline of the decoder benchmark; speed is not its concern.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace qs::test {

class ModelDecoder {
public:
    // Source: fill up to room bytes of buf, return how many (0: input ended). Sink: take n bytes.
    std::function<uint16_t(uint8_t* buf, uint16_t room)> Source;
    std::function<void(const uint8_t* bytes, uint16_t n)> Sink;
    uint16_t ReadBufSize = 1024;   // clamped to 16..32768 like the component's
    uint16_t WriteBufSize = 1024;

    // One run: decodes until the end marker and the end of input; any error from Source or Sink inside the loop
    // ends it quietly; the final hand-over to Sink is always made.
    void Decompress();

private:
    uint16_t bitBuf_ = 0;
    uint8_t bitCount_ = 0;
    bool exhausted_ = false;
    uint8_t ring_[4096 + 60 - 1];
    uint16_t freq_[628];
    int16_t prnt_[941];
    int16_t son_[627];
    std::vector<uint8_t> in_, out_;
    size_t readPos_ = 1, readCount_ = 0, writePos_ = 1;

    bool GetOneByte(uint8_t& b);
    void PutOneByte(uint8_t b);
    void Refill();
    int GetBit();
    int GetByte();
    void StartHuff();
    void Reconst();
    void UpdateFreq(int c);
    int DecodeChar();
    int DecodePosition();
};

// Decodes a whole stream held in memory with the model (source delivering up to readBuf bytes per call).
std::vector<uint8_t> ModelDecode(const std::vector<uint8_t>& packed, uint16_t readBuf = 32768,
                                 uint16_t writeBuf = 32768);

}  // namespace qs::test
