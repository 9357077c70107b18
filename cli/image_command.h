#pragma once

// morvick-cli image: the plan measured as disc images, printed with every
// image's exact size, then one image per volume written into OUTPUT.

#include "cli/plan_output.h"
#include "cli/plan_settings.h"
#include "commands/command_state.h"
#include "common/prompter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace morvick::cli {

struct ImageCliOptions {
  std::string media;  // cd74, cd80, dvd, dvd-dl, bd25, bd50; empty: --size
  bool no_index = false;
  bool quiet = false;
};

// The media names and their capacities in bytes.
std::optional<std::int64_t> MediaCapacity(const std::string& media);
std::string MediaNames();  // "cd74, cd80, ..."

// Whether this build makes images (Linux; Windows has no libisofs).
bool ImagesAvailable();

// Measures the plan of `state` as images, prints it through `print` (which
// gets the report with each image's name and exact size), asks
// "よろしいですか？" and writes the images. Returns the exit status.
int ImagePlanned(CommandState& state, const PlanSettings& settings, Prompter& prompter,
                 const ImageCliOptions& options,
                 const std::function<std::optional<int>(std::vector<VolumeReport>)>& print);

}  // namespace morvick::cli
