#pragma once

// SHA-256 (FIPS 180-4), for the file hashes of the volume indexes. The
// program's own: no library that builds both here and for MinGW offers it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace morvick {

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // The digest as 64 lowercase hex digits. The object must not be updated after.
  std::string HexDigest();

 private:
  void Block(const std::uint8_t* block);
  void Blocks(const std::uint8_t* data, std::size_t blocks);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;
};

std::string Sha256Hex(std::string_view bytes);

// True when the CPU's SHA instructions do the work (x86 with the SHA
// extensions), unless turned off: the tests check both ways.
bool Sha256Accelerated();
void SetSha256Acceleration(bool enabled);

}  // namespace morvick
