#include "images/iso_image.h"
#include "images/iso_library.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

namespace morvick::images {
namespace {

// struct iso_stream as libisofs lays it out; its member "class" keeps the
// header from declaring it for C++.
constexpr std::size_t kFifoBlocks = 8192;  // 16 MiB

struct StreamObject {
  IsoStreamIface* iface;
  int refcount;
  void* data;
};

struct StreamData {
  ContentSource* content = nullptr;
  std::size_t index = 0;
  off_t size = 0;
  ino_t id = 0;
  bool last = false;  // the last file: its bytes come from LastContent()
  std::string last_bytes;
  std::size_t last_offset = 0;
};

StreamData& DataOf(IsoStream* stream) {
  return *static_cast<StreamData*>(reinterpret_cast<StreamObject*>(stream)->data);
}

constexpr int kReadError = static_cast<int>(ISO_FILE_READ_ERROR);

int StreamOpen(IsoStream* stream) {
  StreamData& data = DataOf(stream);
  if (data.last) {
    data.last_bytes = data.content->LastContent();
    data.last_bytes.resize(static_cast<std::size_t>(data.size), ' ');
    data.last_offset = 0;
    return ISO_SUCCESS;
  }
  return data.content->Open(data.index) == 0 ? ISO_SUCCESS : kReadError;
}

int StreamClose(IsoStream* stream) {
  StreamData& data = DataOf(stream);
  if (data.last) {
    data.last_bytes.clear();
  } else {
    data.content->Close(data.index);
  }
  return ISO_SUCCESS;
}

off_t StreamSize(IsoStream* stream) { return DataOf(stream).size; }

int StreamRead(IsoStream* stream, void* buffer, size_t count) {
  StreamData& data = DataOf(stream);
  if (count > INT_MAX) count = INT_MAX;
  if (data.last) {
    const std::size_t left = data.last_bytes.size() - data.last_offset;
    const std::size_t take = count < left ? count : left;
    std::memcpy(buffer, data.last_bytes.data() + data.last_offset, take);
    data.last_offset += take;
    return static_cast<int>(take);
  }
  const long got = data.content->Read(data.index, static_cast<char*>(buffer), count);
  return got < 0 ? kReadError : static_cast<int>(got);
}

int StreamRepeatable(IsoStream*) { return 1; }

void StreamId(IsoStream* stream, unsigned int* fs_id, dev_t* dev_id, ino_t* ino_id) {
  // Every file its own content: no two nodes are taken for one.
  *fs_id = 0;
  *dev_id = 0;
  *ino_id = DataOf(stream).id;
}

void StreamFree(IsoStream* stream) {
  delete static_cast<StreamData*>(reinterpret_cast<StreamObject*>(stream)->data);
}

int StreamUpdateSize(IsoStream*) { return ISO_SUCCESS; }

IsoStreamIface stream_class = {1,          {'u', 's', 'e', 'r'}, StreamOpen,       StreamClose,
                               StreamSize, StreamRead,           StreamRepeatable, StreamId,
                               StreamFree, StreamUpdateSize,     nullptr,          nullptr,
                               nullptr};

IsoStream* NewStream(std::unique_ptr<StreamData> data) {
  // libisofs releases the object with free() once its last reference goes.
  auto* object = static_cast<StreamObject*>(std::malloc(sizeof(StreamObject)));
  if (!object) return nullptr;
  data->id = serial_id++;
  object->iface = &stream_class;
  object->refcount = 1;
  object->data = data.release();
  return reinterpret_cast<IsoStream*>(object);
}

struct ImageDeleter {
  void operator()(IsoImage* image) const { iso_image_unref(image); }
};
struct OptsDeleter {
  void operator()(IsoWriteOpts* opts) const { iso_write_opts_free(opts); }
};
struct SourceDeleter {
  void operator()(burn_source* source) const {
    source->free_data(source);
    std::free(source);
  }
};

time_t Seconds(std::int64_t ns) {
  return static_cast<time_t>(ns >= 0 ? ns / 1000000000 : -((-ns + 999999999) / 1000000000));
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The tree of the layout in a new image; nullptr with `error`.
std::unique_ptr<IsoImage, ImageDeleter> BuildImage(const ImageLayout& layout,
                                                   ContentSource* content, std::string& error) {
  if (!InitLibrary(error)) return nullptr;
  IsoImage* made = nullptr;
  if (const int result = iso_image_new(layout.volume_id.c_str(), &made); result < 0) {
    error = LibraryMessage(result);
    return nullptr;
  }
  std::unique_ptr<IsoImage, ImageDeleter> image(made);
  std::map<std::string, IsoDir*> folders{{"", iso_image_get_root(made)}};
  const auto fail = [&error](const std::string& path, int result) {
    error = path + ": " + LibraryMessage(result);
    return nullptr;
  };
  for (std::size_t i = 0; i < layout.nodes.size(); ++i) {
    const ImageNode& node = layout.nodes[i];
    const auto parent = folders.find(ParentOf(node.path));
    if (parent == folders.end()) {
      error = node.path + ": its folder is not in the image";
      return nullptr;
    }
    const std::string name = NameOf(node.path);
    IsoNode* added = nullptr;
    int result = 0;
    switch (node.type) {
      case ImageNode::Type::Folder: {
        IsoDir* folder = nullptr;
        result = iso_tree_add_new_dir(parent->second, name.c_str(), &folder);
        if (result >= 0) folders.emplace(node.path, folder);
        added = reinterpret_cast<IsoNode*>(folder);
        break;
      }
      case ImageNode::Type::Link: {
        IsoSymlink* link = nullptr;
        result = iso_tree_add_new_symlink(parent->second, name.c_str(), node.target.c_str(), &link);
        added = reinterpret_cast<IsoNode*>(link);
        break;
      }
      case ImageNode::Type::File: {
        auto data = std::make_unique<StreamData>();
        data->content = content;
        data->index = i;
        data->size = static_cast<off_t>(node.size);
        IsoStream* stream = NewStream(std::move(data));
        if (!stream) return fail(node.path, static_cast<int>(ISO_OUT_OF_MEM));
        IsoFile* file = nullptr;
        result = iso_tree_add_new_file(parent->second, name.c_str(), stream, &file);
        if (result < 0) iso_stream_unref(stream);
        added = reinterpret_cast<IsoNode*>(file);
        break;
      }
    }
    if (result < 0) return fail(node.path, result);
    iso_node_set_permissions(added, static_cast<mode_t>(node.mode & 07777));
    iso_node_set_mtime(added, Seconds(node.mtime_ns));
    iso_node_set_atime(added, Seconds(node.atime_ns));
    iso_node_set_ctime(added, Seconds(node.mtime_ns));
  }
  if (!layout.last_name.empty()) {
    auto data = std::make_unique<StreamData>();
    data->content = content;
    data->size = static_cast<off_t>(layout.last_size);
    data->last = true;
    IsoStream* stream = NewStream(std::move(data));
    if (!stream) return fail(layout.last_name, static_cast<int>(ISO_OUT_OF_MEM));
    IsoFile* file = nullptr;
    const int result = iso_tree_add_new_file(folders[""], layout.last_name.c_str(), stream, &file);
    if (result < 0) {
      iso_stream_unref(stream);
      return fail(layout.last_name, result);
    }
    auto* node = reinterpret_cast<IsoNode*>(file);
    iso_node_set_permissions(node, 0444);
    // The lightest file is written last, after every file it describes.
    iso_node_set_sort_weight(node, INT_MIN + 1);
  }
  return image;
}

std::unique_ptr<IsoWriteOpts, OptsDeleter> MakeOptions(const ImageLayout& layout, bool size_only,
                                                       std::string& error) {
  IsoWriteOpts* made = nullptr;
  if (const int result = iso_write_opts_new(&made, 0); result < 0) {
    error = LibraryMessage(result);
    return nullptr;
  }
  std::unique_ptr<IsoWriteOpts, OptsDeleter> opts(made);
  bool large = NeedsLevel3(layout.last_size);
  for (const ImageNode& node : layout.nodes)
    large |= node.type == ImageNode::Type::File && NeedsLevel3(node.size);
  iso_write_opts_set_iso_level(made, large ? 3 : 2);
  iso_write_opts_set_rockridge(made, 1);
  iso_write_opts_set_joliet(made, 1);
  iso_write_opts_set_joliet_longer_paths(made, 1);
  // Rock Ridge readers take deep and long paths as they are, without the
  // relocation folder plain ISO 9660 would need.
  iso_write_opts_set_allow_deep_paths(made, 1);
  iso_write_opts_set_allow_longer_paths(made, 1);
  iso_write_opts_set_sort_files(made, 1);
  iso_write_opts_set_dir_rec_mtime(made, 1);
  iso_write_opts_set_hardlinks(made, 0);
  char utf8[] = "UTF-8";
  iso_write_opts_set_output_charset(made, utf8);
  iso_write_opts_set_will_cancel(made, size_only ? 1 : 0);
  // A larger ring between libisofs' writer thread and ours lets each run on
  // while the other waits (the default is 2 MiB).
  if (!size_only) iso_write_opts_set_fifo_size(made, kFifoBlocks);
  return opts;
}

}  // namespace

bool NeedsLevel3(std::int64_t size) { return size >= std::int64_t{1} << 32; }

bool JolietShortens(const std::string& name) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    units += byte >= 0xF0 ? 2 : 1;        // beyond the BMP: a surrogate pair
  }
  return units > 64;
}

std::optional<std::int64_t> ImageSize(const ImageLayout& layout, std::string& error) {
  const std::unique_ptr<IsoImage, ImageDeleter> image = BuildImage(layout, nullptr, error);
  if (!image) return std::nullopt;
  const std::unique_ptr<IsoWriteOpts, OptsDeleter> opts = MakeOptions(layout, true, error);
  if (!opts) return std::nullopt;
  burn_source* made = nullptr;
  if (const int result = iso_image_create_burn_source(image.get(), opts.get(), &made); result < 0) {
    error = LibraryMessage(result);
    return std::nullopt;
  }
  const std::unique_ptr<burn_source, SourceDeleter> source(made);
  const std::int64_t size = source->get_size(made);
  source->cancel(made);
  return size;
}

int WriteImage(const ImageLayout& layout, ContentSource& content, ImageSink& sink,
               const std::function<bool()>& stop, std::string& error) {
  const std::unique_ptr<IsoImage, ImageDeleter> image = BuildImage(layout, &content, error);
  if (!image) return EIO;
  const std::unique_ptr<IsoWriteOpts, OptsDeleter> opts = MakeOptions(layout, false, error);
  if (!opts) return EIO;
  burn_source* made = nullptr;
  if (const int result = iso_image_create_burn_source(image.get(), opts.get(), &made); result < 0) {
    error = LibraryMessage(result);
    return EIO;
  }
  const std::unique_ptr<burn_source, SourceDeleter> source(made);
  constexpr std::int64_t kPiece = 512 * kBlockSize;
  const std::int64_t size = source->get_size(made);
  std::int64_t written = 0;
  int status = 0;
  while (written < size) {
    if (stop && stop()) {
      status = ECANCELED;
      break;
    }
    std::size_t room = 0;
    char* at = sink.Space(room);
    // The ring buffer gives only whole requests, so the last asks for the rest.
    const int want =
        static_cast<int>(std::min({kPiece, size - written, static_cast<std::int64_t>(room)}));
    const int got = source->read_xt(made, reinterpret_cast<unsigned char*>(at), want);
    if (got <= 0) {
      error = "the image ended after " + std::to_string(written) + " of " + std::to_string(size) +
              " bytes";
      status = EIO;
      break;
    }
    if (const int failed = sink.Fill(static_cast<std::size_t>(got)); failed != 0) {
      status = failed;
      break;
    }
    written += got;
  }
  if (status != 0) source->cancel(made);
  return status;
}

}  // namespace morvick::images
