// TLZHCompressor: the LZHUF stream decoder. It pulls packed bytes through OnGetBytes and pushes decoded bytes
// through OnPutBytes, each through a buffer of configurable size, so both events are called once per buffer.
// Portable C++: no Win32 types.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace qs {

class TLZHCompressor;

// Source of packed bytes: fill up to NBytes of DTA and report the count in Bytes_Got; 0 means the input ended.
using TGetBytesProc = std::function<void(TLZHCompressor& Sender, void* DTA, uint16_t NBytes, uint16_t& Bytes_Got)>;
// Sink of decoded bytes: take NBytes from DTA and report how many were taken in Bytes_Put (not looked at).
using TPutBytesProc =
    std::function<void(TLZHCompressor& Sender, const void* DTA, uint16_t NBytes, uint16_t& Bytes_Put)>;
// Notification at the end of every run.
using TPressFinishedEvent = std::function<void(TLZHCompressor& Sender)>;

class TLZHCompressor {
public:
    // How the decoding loop moves bytes. Inline: it reads and writes its buffers itself, and its output buffer
    // is a window that keeps the history too. ThroughOverrides: every byte goes through the virtual GetBytes and
    // PutBytes, which is what a subclass overriding them must ask for.
    enum class ByteRoute { Inline, ThroughOverrides };

    TLZHCompressor() : TLZHCompressor(ByteRoute::Inline) {}
    virtual ~TLZHCompressor();
    TLZHCompressor(const TLZHCompressor&) = delete;
    TLZHCompressor& operator=(const TLZHCompressor&) = delete;

    uint16_t ReadBufSize() const;
    void SetReadBufSize(uint16_t size);   // clamped to 16..32768; ignored during a run
    uint16_t WriteBufSize() const;
    void SetWriteBufSize(uint16_t size);  // same rules
    bool Finished() const;

    TGetBytesProc OnGetBytes;
    TPutBytesProc OnPutBytes;
    TPressFinishedEvent OnPressFinished;
    // Called before OnPressFinished when that event is assigned: lets a window process pending messages.
    std::function<void()> ProcessMessages;

    // Decodes one whole stream from OnGetBytes to OnPutBytes. Does nothing while a run is in progress.
    // Only an error raised by OnPutBytes in the final hand-over leaves this call.
    void Decompress();

protected:
    explicit TLZHCompressor(ByteRoute route);

    virtual void PutBytes(const void* bytes, uint16_t count, uint16_t& taken);
    virtual void GetBytes(void* buf, uint16_t count, uint16_t& delivered);

private:
    struct State;
    std::unique_ptr<State> s_;
    const ByteRoute route_;

    // The byte sources and sinks of the two routes; they reach the events and the virtual operations.
    struct Routes;
};

}  // namespace qs
