#pragma once

// ISO 9660 disc images with Rock Ridge and Joliet, made and read through
// libisofs. Nothing of libisofs shows here: an image is described as a list of
// nodes, its files' bytes come from a ContentSource while it is written, and a
// written image is read back as a list of nodes with their bytes.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace morvick::images {

inline constexpr std::int64_t kBlockSize = 2048;

struct ImageNode {
  enum class Type { File, Folder, Link };
  Type type = Type::File;
  std::string path;  // below the root, "/" between names; a folder before what it holds
  std::int64_t size = 0;
  std::int64_t mtime_ns = 0;
  std::int64_t atime_ns = 0;
  unsigned mode = 0;   // permission bits
  std::string target;  // links
};

struct ImageLayout {
  std::string volume_id;
  std::vector<ImageNode> nodes;
  // A file at the root whose bytes are written after those of every other
  // file, so that it can say what they were; `last_size` is fixed beforehand.
  std::string last_name;
  std::int64_t last_size = 0;
};

// Gives the bytes of the files while an image is written. Called on libisofs'
// writer thread, one file at a time, in the order the image holds them.
class ContentSource {
 public:
  virtual ~ContentSource() = default;
  // Opens node `index` of the layout. 0 or an errno value.
  virtual int Open(std::size_t index) = 0;
  // Up to `count` bytes (fewer only at the end), 0 at the end, or -errno.
  virtual long Read(std::size_t index, char* buffer, std::size_t count) = 0;
  virtual void Close(std::size_t index) = 0;
  // The bytes of the last file, asked for after every other file was read.
  virtual std::string LastContent() = 0;
};

// The exact size of the image in bytes; nullopt with `error` when libisofs
// cannot lay it out.
std::optional<std::int64_t> ImageSize(const ImageLayout& layout, std::string& error);

// Takes the bytes of an image as they are made, into room of its own, so
// that they are copied once on their way to the disk.
class ImageSink {
 public:
  virtual ~ImageSink() = default;
  // Room for the next bytes; `room` is set to its size (never 0).
  virtual char* Space(std::size_t& room) = 0;
  // The first `size` bytes of the last room hold the next bytes. 0 or an
  // errno value, which stops the writing.
  virtual int Fill(std::size_t size) = 0;
};

// Writes the image into `sink`, looking at `stop` between two pieces.
// Returns 0, the sink's errno, ECANCELED when stopped, or EIO with `error`
// saying why.
int WriteImage(const ImageLayout& layout, ContentSource& content, ImageSink& sink,
               const std::function<bool()>& stop, std::string& error);

// Whether a file of this size needs ISO level 3 (several extents): 4 GiB or more.
bool NeedsLevel3(std::int64_t size);

// The Joliet name of a name: at most 64 UTF-16 units, shortened beyond.
bool JolietShortens(const std::string& name);

// An image read back.
struct ReadNode {
  ImageNode::Type type = ImageNode::Type::File;
  std::string path;  // as in ImageNode
  std::int64_t size = 0;
  std::int64_t mtime_ns = 0;  // whole seconds: Rock Ridge keeps no more
  std::string target;
};

class ImageReader {
 public:
  virtual ~ImageReader() = default;
  virtual const std::string& volume_id() const = 0;
  // Every node below the root, folders before what they hold.
  virtual const std::vector<ReadNode>& nodes() const = 0;
  // Reads the file at `path` into `sink`. 0, ENOENT, EISDIR or EIO.
  virtual int Read(const std::string& path,
                   const std::function<void(const char*, std::size_t)>& sink) = 0;
};

// Opens an image file; nullptr with `error` when it is not one.
std::unique_ptr<ImageReader> OpenImage(const std::string& path, std::string& error);

}  // namespace morvick::images
