#include "moving/held_folders.h"

#include "platform/real_path.h"

#include <cerrno>

namespace morvick {

using platform::FolderState;
using platform::HeldFolder;

namespace {

// Makes the folder `name` in `parent` and holds it by its name there: a link
// put in its place in the moment since is refused (ENOTDIR), not followed. A
// folder someone made there first is used as it is, as an existing volume
// folder is.
int MakeAndHold(platform::FileMover& mover, const HeldFolder& parent, const std::string& name,
                HeldFolder& folder) {
  const int made = mover.MakeFolder(parent, name);
  if (made != 0 && made != EEXIST) return made;
  return mover.OpenFolder(parent, name, folder);
}

}  // namespace

int FolderPlace::Hold(const std::string& path) {
  path_ = path;
  missing_.clear();
  std::string existing = path;
  for (;;) {
    const int error = platform::HoldFolder(existing, held_);
    if (error != ENOENT || platform::IsRootPath(existing)) return error;
    const std::string parent = platform::ParentFolder(existing);
    missing_.insert(missing_.begin(),
                    existing.substr(parent.size() + (platform::IsRootPath(parent) ? 0 : 1)));
    existing = parent;
  }
}

std::vector<std::string> FolderPlace::MissingPaths() const {
  std::vector<std::string> paths;
  std::string path = held_.path();
  for (const std::string& name : missing_) {
    path = platform::JoinPath(path, name);
    paths.push_back(path);
  }
  return paths;
}

int FolderPlace::Make(platform::FileMover& mover) {
  while (!missing_.empty()) {
    HeldFolder made;
    if (const int error = MakeAndHold(mover, held_, missing_.front(), made)) return error;
    held_ = std::move(made);
    missing_.erase(missing_.begin());
  }
  return 0;
}

std::unique_ptr<HeldFolders> HeldFolders::Hold(const FixedFolders& folders, std::string& failed) {
  auto held = std::make_unique<HeldFolders>();
  held->paths_ = folders;
  if (held->input_.Hold(folders.input) != 0) {
    failed = folders.input;
    return nullptr;
  }
  if (held->output_.Hold(folders.output) != 0) {
    failed = folders.output;
    return nullptr;
  }
  return held;
}

int HeldFolders::OpenVolume(platform::FileMover& mover, const std::string& name,
                            const HeldFolder*& folder) {
  folder = nullptr;
  const HeldFolder* output = output_.folder();
  if (!output) return ENOENT;
  // The folder of the last step serves the next one while it is still in place.
  if (!(volume_ && volume_name_ == name && VolumeState() == FolderState::InPlace)) {
    ReleaseVolume();
    if (const int error = mover.OpenFolder(*output, name, volume_)) return error;
    volume_name_ = name;
  }
  folder = &volume_;
  return 0;
}

int HeldFolders::MakeVolume(platform::FileMover& mover, const std::string& name,
                            const HeldFolder*& folder) {
  const int opened = OpenVolume(mover, name, folder);
  if (opened != ENOENT) return opened;
  if (const int error = output_.Make(mover)) return error;
  if (const int error = MakeAndHold(mover, *output_.folder(), name, volume_)) return error;
  volume_name_ = name;
  folder = &volume_;
  return 0;
}

std::vector<std::string> HeldFolders::FoldersToMake(platform::FileMover& mover,
                                                    const std::string& name) {
  std::vector<std::string> folders = output_.MissingPaths();
  const HeldFolder* output = output_.folder();
  if (!output || mover.Probe(*output, name) == ENOENT) {
    folders.push_back(platform::JoinPath(output_.path(), name));
  }
  return folders;
}

std::string HeldFolders::StoppedAt(const std::string& name) const {
  if (!output_.folder()) return output_.MissingPaths().front();
  return platform::JoinPath(output_.path(), name);
}

FolderState HeldFolders::VolumeState() const {
  const HeldFolder* output = output_.folder();
  if (!volume_ || !output) return FolderState::Missing;
  return volume_.StateIn(*output, volume_name_);
}

void HeldFolders::ReleaseVolume() {
  volume_.Release();
  volume_name_.clear();
}

std::unique_ptr<HeldFolders> HoldFolders(Prompter& prompter, const FixedFolders& folders) {
  std::string failed;
  std::unique_ptr<HeldFolders> held = HeldFolders::Hold(folders, failed);
  if (!held) prompter.ShowMessage("フォルダを開けません: " + failed);
  return held;
}

}  // namespace morvick
