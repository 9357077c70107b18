#pragma once

// A struct grid standing in for the preset editor's, plus a runner for tests
// that need a user without root's power to write into read-only folders.

#include "settings/presets.h"

#include <array>
#include <functional>
#include <string>

namespace morvick::testing {

struct TestPresetGrid : PresetGrid {
  std::array<std::array<std::string, kPresetGridRows>, kPresetGridColumns> cells;
  std::string Cell(int column, int row) const override { return cells.at(column).at(row); }
  void SetCell(int column, int row, const std::string& text) override {
    cells.at(column).at(row) = text;
  }
};

// Runs `body` as an unprivileged user in a child process when the tests run as
// root (root writes into read-only folders), else right here. `shared_folder`
// is opened to that user first. Returns what `body` returned, or "skip" when no
// unprivileged user could be taken on.
std::string RunUnprivileged(const std::string& shared_folder,
                            const std::function<std::string()>& body);

}  // namespace morvick::testing
