#pragma once

// The paths a move or an undo works with. The two folders are fixed once, when
// the command starts, and every path of a step is derived from them and from
// one checked name: real input + entry name, real output + volume folder name
// + entry name.

#include "common/prompter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvick {

// True when `name` is one path component: not empty, no separator, not "." or
// ".." (platform::IsPlainName).
bool IsPathComponent(std::string_view name);

// The real input and output folders (canonical, links resolved, no trailing "/").
struct FixedFolders {
  std::string input;
  std::string output;
};

// Fixes the two folder texts. Refuses, with one message and nullopt, an input
// that is empty or not absolute, folders that cannot be resolved, the same
// folder twice, and folders on two file systems (a move must be a rename).
std::optional<FixedFolders> FixFolders(Prompter& prompter, std::string_view input_text,
                                       std::string_view output_text);

// The naming of the volume folders: the base name, the digit count (1 to 9)
// and the number of the first volume folder.
struct VolumeNaming {
  std::string base_name = "folder";
  int digits = 5;
  std::int32_t start_number = 1;

  std::string FolderName(std::int32_t volume) const;
};

}  // namespace morvick
