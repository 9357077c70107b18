#pragma once

// The one fault-injecting file mover of the tests: every operation goes to the
// real file system unless the test said that this call of it fails ("the
// third rename fails with ENOSPC"), and a test can act between two renames.

#include "platform/file_mover.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace morvick::testing {

class FaultMover final : public platform::FileMover {
 public:
  enum class Op { MakeFolder, RemoveFolder, Probe, Rename };

  // The `nth` call of `op` (counted from 1) fails with `errno_value`; with
  // `and_later`, every call after it too.
  void Fail(Op op, int nth, int errno_value, bool and_later = false);
  // Runs `action` right after the `nth` rename.
  void AfterRename(int nth, std::function<void()> action);

  // The folders made, in order.
  const std::vector<std::string>& made() const { return made_; }
  int calls(Op op) const { return calls_[static_cast<std::size_t>(op)]; }

  int MakeFolder(const std::string& path) override;
  int RemoveEmptyFolder(const std::string& path) override;
  int Probe(const std::string& path) override;
  int RenameNoReplace(const std::string& source, const std::string& destination) override;

 private:
  struct Fault {
    Op op;
    int nth;
    int errno_value;
    bool and_later;
  };
  // The injected errno for this call of `op`, 0 for none; counts the call.
  int Injected(Op op);

  std::vector<Fault> faults_;
  std::array<int, 4> calls_{};
  int after_rename_ = 0;
  std::function<void()> after_rename_action_;
  std::vector<std::string> made_;
};

}  // namespace morvick::testing
