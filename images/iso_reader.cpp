#include "images/iso_image.h"
#include "images/iso_library.h"

#include <cerrno>
#include <memory>

namespace morvick::images {
namespace {

struct SourceDeleter {
  void operator()(IsoDataSource* source) const { iso_data_source_unref(source); }
};
struct ReadOptsDeleter {
  void operator()(IsoReadOpts* opts) const { iso_read_opts_free(opts); }
};
struct ImageDeleter {
  void operator()(IsoImage* image) const { iso_image_unref(image); }
};
struct IterDeleter {
  void operator()(IsoDirIter* iter) const { iso_dir_iter_free(iter); }
};

class LibraryImageReader final : public ImageReader {
 public:
  explicit LibraryImageReader(IsoImage* image) : image_(image) {
    const char* id = iso_image_get_volume_id(image);
    volume_id_ = id ? id : "";
    Walk(iso_image_get_root(image), "");
  }

  const std::string& volume_id() const override { return volume_id_; }
  const std::vector<ReadNode>& nodes() const override { return nodes_; }

  int Read(const std::string& path,
           const std::function<void(const char*, std::size_t)>& sink) override {
    IsoNode* node = nullptr;
    if (iso_tree_path_to_node(image_.get(), ("/" + path).c_str(), &node) != 1 || !node) {
      return ENOENT;
    }
    if (iso_node_get_type(node) != LIBISO_FILE) return EISDIR;
    IsoStream* stream = iso_file_get_stream(reinterpret_cast<IsoFile*>(node));
    if (iso_stream_open(stream) < 0) return EIO;
    const std::unique_ptr<char[]> buffer(new char[kPiece]);
    int status = 0;
    for (;;) {
      const int got = iso_stream_read(stream, buffer.get(), kPiece);
      if (got < 0) status = EIO;
      if (got <= 0) break;
      sink(buffer.get(), static_cast<std::size_t>(got));
    }
    iso_stream_close(stream);
    return status;
  }

 private:
  static constexpr std::size_t kPiece = 1 << 20;

  void Walk(IsoDir* folder, const std::string& path) {
    IsoDirIter* made = nullptr;
    if (iso_dir_get_children(folder, &made) < 0) return;
    const std::unique_ptr<IsoDirIter, IterDeleter> iter(made);
    IsoNode* node = nullptr;
    std::vector<std::pair<IsoDir*, std::string>> folders;
    while (iso_dir_iter_next(made, &node) == 1) {
      ReadNode read;
      read.path = path.empty() ? iso_node_get_name(node) : path + "/" + iso_node_get_name(node);
      read.mtime_ns = static_cast<std::int64_t>(iso_node_get_mtime(node)) * 1000000000;
      switch (iso_node_get_type(node)) {
        case LIBISO_DIR:
          read.type = ImageNode::Type::Folder;
          folders.emplace_back(reinterpret_cast<IsoDir*>(node), read.path);
          break;
        case LIBISO_FILE:
          read.type = ImageNode::Type::File;
          read.size = iso_file_get_size(reinterpret_cast<IsoFile*>(node));
          break;
        case LIBISO_SYMLINK:
          read.type = ImageNode::Type::Link;
          read.target = iso_symlink_get_dest(reinterpret_cast<IsoSymlink*>(node));
          break;
        default: continue;  // a boot catalogue or a device: nothing this program makes
      }
      nodes_.push_back(std::move(read));
    }
    for (const auto& [child, child_path] : folders) Walk(child, child_path);
  }

  std::unique_ptr<IsoImage, ImageDeleter> image_;
  std::string volume_id_;
  std::vector<ReadNode> nodes_;
};

}  // namespace

std::unique_ptr<ImageReader> OpenImage(const std::string& path, std::string& error) {
  if (!InitLibrary(error)) return nullptr;
  IsoDataSource* made_source = nullptr;
  if (const int result = iso_data_source_new_from_file(path.c_str(), &made_source); result < 0) {
    error = LibraryMessage(result);
    return nullptr;
  }
  const std::unique_ptr<IsoDataSource, SourceDeleter> source(made_source);
  IsoReadOpts* made_opts = nullptr;
  if (const int result = iso_read_opts_new(&made_opts, 0); result < 0) {
    error = LibraryMessage(result);
    return nullptr;
  }
  const std::unique_ptr<IsoReadOpts, ReadOptsDeleter> opts(made_opts);
  IsoImage* made_image = nullptr;
  if (const int result = iso_image_new(nullptr, &made_image); result < 0) {
    error = LibraryMessage(result);
    return nullptr;
  }
  std::unique_ptr<IsoImage, ImageDeleter> image(made_image);
  IsoReadImageFeatures* features = nullptr;
  if (const int result = iso_image_import(made_image, made_source, made_opts, &features);
      result < 0) {
    error = "not an ISO 9660 image: " + LibraryMessage(result);
    return nullptr;
  }
  iso_read_image_features_destroy(features);
  return std::make_unique<LibraryImageReader>(image.release());
}

}  // namespace morvick::images
