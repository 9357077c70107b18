#pragma once

// The folders one command works in, held from the moment they are fixed: the
// input folder, the output folder and the volume folder the steps are at.
// Every step acts through them, not through their paths, and compares each
// path with the folder held for it first, so that a link or another folder
// put in place after the check makes the step refuse instead of leading the
// entry elsewhere.

#include "common/prompter.h"
#include "moving/folder_paths.h"
#include "platform/file_mover.h"
#include "platform/held_folder.h"

#include <memory>
#include <string>
#include <vector>

namespace morvick {

// One folder of a command, by its fixed path. While it exists it is held
// itself; while it does not, its nearest existing ancestor is held with the
// names still missing below it, and Make creates them from there downwards.
class FolderPlace {
 public:
  // 0, or the errno of the part that could not be held (ENOTDIR for a link
  // or a file on the way).
  int Hold(const std::string& path);

  const std::string& path() const { return path_; }
  // The folder itself; null while it does not exist.
  const platform::HeldFolder* folder() const { return missing_.empty() ? &held_ : nullptr; }
  // The folder held now: the folder itself or its nearest existing ancestor.
  const std::string& held_path() const { return held_.path(); }
  // What the path of the folder held now names.
  platform::FolderState State() const { return held_.State(); }

  // The folders Make would create, outermost first.
  std::vector<std::string> MissingPaths() const;
  // Creates the missing folders outermost first, holding each as it is made.
  // Returns 0 or the errno value; a failure leaves the first folder still
  // missing at the front of MissingPaths.
  int Make(platform::FileMover& mover);

  void Release() { held_.Release(); }

 private:
  std::string path_;
  platform::HeldFolder held_;
  std::vector<std::string> missing_;  // below held_, outermost first
};

class HeldFolders {
 public:
  // Holds the input and output folders of `folders`; nullptr when one cannot
  // be held (a link or a file put on its way since it was fixed, no
  // permission), with `failed` set to its path.
  static std::unique_ptr<HeldFolders> Hold(const FixedFolders& folders, std::string& failed);

  const FixedFolders& paths() const { return paths_; }
  FolderPlace& input() { return input_; }
  FolderPlace& output() { return output_; }
  const FolderPlace& input() const { return input_; }
  const FolderPlace& output() const { return output_; }

  // The volume folder `name` below the output, held for the steps into and
  // out of it. Returns 0, ENOENT when it is not there, ENOTDIR when a link or
  // a file is, or another errno value.
  int OpenVolume(platform::FileMover& mover, const std::string& name,
                 const platform::HeldFolder*& folder);
  // The same, making the output folder's missing parts and the volume folder
  // first where they are missing.
  int MakeVolume(platform::FileMover& mover, const std::string& name,
                 const platform::HeldFolder*& folder);
  // The folders MakeVolume would create now, outermost first.
  std::vector<std::string> FoldersToMake(platform::FileMover& mover, const std::string& name);
  // The folder a failed MakeVolume of `name` stopped at.
  std::string StoppedAt(const std::string& name) const;
  // What the volume folder's path names now.
  platform::FolderState VolumeState() const;

  // Lets go of the volume folder: on Windows a held folder cannot be removed.
  void ReleaseVolume();

 private:
  FixedFolders paths_;
  FolderPlace input_;
  FolderPlace output_;
  std::string volume_name_;
  platform::HeldFolder volume_;
};

// HeldFolders::Hold for a command that starts: a folder that cannot be held
// is refused with one message naming it, and nullptr.
std::unique_ptr<HeldFolders> HoldFolders(Prompter& prompter, const FixedFolders& folders);

}  // namespace morvick
