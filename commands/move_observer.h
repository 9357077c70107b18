#pragma once

// Hooks that Move and Undo call around every step that changes the disk, so a
// caller can keep a crash-safe journal: an intent before each rename, its
// outcome after it, and every folder removal of Undo.

#include <cstdint>
#include <string>

namespace morvick {

enum class MoveCommand { Move, Undo };

// One planned rename: the entry `name` of volume `volume` (folder name
// `volume_folder`) from `source` to `destination`.
struct MoveStep {
  MoveCommand command;
  const std::string& source;
  const std::string& destination;
  const std::string& name;
  std::int32_t volume;
  const std::string& volume_folder;
};

// The inputs a command read once it was confirmed (paths end in the separator).
struct MoveInputs {
  MoveCommand command;
  const std::string& input_path;
  const std::string& output_path;
  const std::string& base_name;
  int digits;
  std::int32_t start_number;
  std::int32_t volume_count;
};

// Every hook may raise an Error (a journal that cannot be written): the
// command then ends there, as at any error, before the step it was told of.
class MoveObserver {
 public:
  virtual ~MoveObserver() = default;

  // After the confirmation and the flag change, before the first entry.
  virtual void CommandBegun(const MoveInputs& /*inputs*/) {}
  // Before the rename is attempted.
  virtual void BeforeMove(const MoveStep& /*step*/) {}
  // After it: `moved`, or the system's reason for the failure.
  virtual void AfterMove(const MoveStep& /*step*/, bool /*moved*/, const std::string& /*reason*/) {}
  // Undo only: the removal of one volume folder (path without separator) and its
  // outcome; a failed removal ends the command.
  virtual void BeforeRemoveFolder(const std::string& /*path*/, std::int32_t /*volume*/) {}
  virtual void AfterRemoveFolder(const std::string& /*path*/, std::int32_t /*volume*/,
                                 bool /*removed*/, const std::string& /*reason*/) {}
  // The command has finished: `completed` false when a folder removal failed
  // and the command ends without its completion message.
  virtual void CommandEnded(MoveCommand /*command*/, bool /*completed*/) {}
};

}  // namespace morvick
