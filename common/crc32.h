#pragma once

// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320, initial
// and final value 0xFFFFFFFF), for the checksums of the journal's records.

#include <cstdint>
#include <string_view>

namespace morvick {

// The CRC-32 of `bytes`, continued from `crc` (the CRC-32 of the bytes before
// them; 0 to start).
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace morvick
