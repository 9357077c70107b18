#pragma once

// Writes that go from the program's buffer straight to the disk (O_DIRECT)
// where the file system takes them, instead of through the page cache. A copy
// or an image is written once and flushed before it gets its name, so the
// cache gains it nothing, and copying into the cache costs as much as the
// reading. Linux only: Windows copies through its own calls.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace morvick::platform {

// Offsets, lengths and buffers of direct writes are multiples of this.
inline constexpr std::size_t kDirectAlignment = 4096;

struct FreeAligned {
  void operator()(char* buffer) const { std::free(buffer); }
};
using AlignedBuffer = std::unique_ptr<char[], FreeAligned>;

// `size` bytes aligned for direct writes (`size` a multiple of kDirectAlignment).
AlignedBuffer NewAlignedBuffer(std::size_t size);

class DirectWrites {
 public:
  // Turns direct writes on for `fd`, a file open for writing, where its file
  // system allows them.
  explicit DirectWrites(int fd);

  // Writes all of `data` at `offset`: directly as far as the buffer, the
  // offset and the length are aligned, the rest (a file's last bytes) through
  // the page cache, after which direct writes stay off. A direct write the
  // system refuses is made through the cache instead. 0 or the errno value.
  int WriteAt(const char* data, std::size_t size, std::int64_t offset);

  bool direct() const { return direct_; }

 private:
  void TurnOff();

  int fd_;
  bool direct_ = false;
};

}  // namespace morvick::platform
