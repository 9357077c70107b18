#pragma once

// The one fault-injecting file mover of the tests: every operation goes to the
// real file system unless the test said that this call of it fails ("the
// third rename fails with ENOSPC"), and a test can act between two operations
// (another user replacing a folder while the steps run).

#include "platform/file_mover.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace morvick::testing {

class FaultMover final : public platform::FileMover {
 public:
  enum class Op { MakeFolder, RemoveFolder, Probe, Rename, OpenFolder };
  // Given the path an operation acts on (a rename's destination).
  using Action = std::function<void(const std::string& path)>;

  // The `nth` call of `op` (counted from 1) fails with `errno_value`; with
  // `and_later`, every call after it too.
  void Fail(Op op, int nth, int errno_value, bool and_later = false);
  // Runs `action` right after the `nth` rename.
  void AfterRename(int nth, std::function<void()> action);
  // Runs `action` right before, or right after, every call of `op`.
  void Before(Op op, Action action);
  void After(Op op, Action action);

  // The folders made, in order.
  const std::vector<std::string>& made() const { return made_; }
  int calls(Op op) const { return calls_[Index(op)]; }

  int OpenFolder(const platform::HeldFolder& parent, const std::string& name,
                 platform::HeldFolder& folder) override;
  int MakeFolder(const platform::HeldFolder& parent, const std::string& name) override;
  int RemoveEmptyFolder(const platform::HeldFolder& parent, const std::string& name) override;
  int Probe(const platform::HeldFolder& parent, const std::string& name) override;
  int Probe(const std::string& path) override;
  int RenameNoReplace(const platform::HeldFolder& from, const std::string& from_name,
                      const platform::HeldFolder& to, const std::string& to_name) override;

 private:
  struct Fault {
    Op op;
    int nth;
    int errno_value;
    bool and_later;
  };
  static std::size_t Index(Op op) { return static_cast<std::size_t>(op); }
  // Runs the operation `real` as call number n of `op` on `path`: the
  // actions before it, the injected errno or the real call, the actions after.
  int Call(Op op, const std::string& path, const std::function<int()>& real);

  std::vector<Fault> faults_;
  std::array<int, 5> calls_{};
  std::array<std::vector<Action>, 5> before_;
  std::array<std::vector<Action>, 5> after_;
  std::vector<std::string> made_;
};

}  // namespace morvick::testing
