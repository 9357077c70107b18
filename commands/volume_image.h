#pragma once

// Image: one ISO 9660 image per volume (Rock Ridge and Joliet), named as the
// volume folder plus ".iso", made from the input without changing it. The
// plan counts what every entry really takes in an image (its files in
// 2048-byte blocks, its directory records in both trees, its lines of the
// index), and the exact size of every image is taken from the image writer
// before anything is written: an image that would pass the capacity hands
// entries on to a later volume. Each image holds the volume's index, its files
// hashed as they are written; the catalogue goes beside the images.

#include "commands/command_state.h"
#include "commands/volume_index.h"
#include "engine/fewest_volumes.h"
#include "images/iso_image.h"
#include "moving/folder_paths.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morvick {

struct ImageInputs {
  std::string input;   // the real input folder
  std::string output;  // the real output folder
  VolumeNaming naming;
  std::int64_t capacity = 0;  // bytes an image may take
  int method = 0;
  SearchLimits limits;
  bool skip_last = false;  // the last volume gets no image
  bool write_index = true;
};

// An entry the exact sizes moved: to a later volume, or out of the plan
// (`to` 0) when even an image of it alone passes the capacity.
struct Handover {
  std::string name;
  std::int32_t from = 0;
  std::int32_t to = 0;
};

struct PlannedImage {
  std::int32_t volume = 0;
  std::string name;          // folder name + ".iso"
  std::int64_t planned = 0;  // the plan's count: fixed part plus every entry's cost
  std::int64_t exact = 0;    // what the image writer lays out
  images::ImageLayout layout;
};

struct ImagePlan {
  std::string error;          // why no plan could be made (the image writer refused)
  std::int64_t overhead = 0;  // what an image of no entries takes
  std::vector<PlannedImage> images;
  std::vector<Handover> handovers;
  std::vector<std::string> unreadable;        // entries that cannot go into an image, with why
  std::vector<std::string> joliet_shortened;  // paths whose Joliet name is cut to 64 characters
  std::string set_id;
};

// Measures every entry of the plan in `state` as an image holds it, packs
// them again by those costs and fits every image exactly. Sets each entry's
// Size to its cost and Volume to its image, and the state's VolumeCount and
// GrandTotal to match.
ImagePlan PlanImages(CommandState& state, const ImageInputs& inputs);

struct ImageWriteOptions {
  std::function<bool()> stop_requested;
  std::function<void(std::int64_t done, std::int64_t total)> progress;
};

struct ImageWriteReport {
  enum class Status { Done, Exists, Failed, Interrupted };
  Status status = Status::Done;
  std::vector<std::string> written;  // paths of the images made
  std::string failed_path;           // the image or catalogue that failed, or that exists
  std::string reason;
  bool catalogue_written = false;
  int leftovers_removed = 0;  // partial images a killed run had left in the output folder
};

// Writes the planned images (and the catalogue) into the output folder, each
// under a temporary name that becomes its own once it is complete and
// flushed. Refuses, writing nothing, when any of their names is taken.
ImageWriteReport WriteImages(ImagePlan& plan, const ImageInputs& inputs,
                             const ImageWriteOptions& options);

}  // namespace morvick
