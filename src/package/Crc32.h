// CRC-32 of ISO-HDLC (zlib, PKZIP): reflected polynomial 0xEDB88320, table-driven.
#pragma once
#include <cstdint>

namespace qs {

// Updates a running CRC-32 with len bytes. The running value starts at 0; feeding data in pieces gives the
// same value as one call over the whole ("123456789" gives 0xCBF43926).
uint32_t Crc32Update(const void* buf, uint16_t len, uint32_t crc);

// The same over any length, for callers that are not bound to 16-bit blocks (tools, tests).
uint32_t Crc32UpdateLong(const void* buf, uint64_t len, uint32_t crc);

}  // namespace qs
