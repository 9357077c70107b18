#include "support/fault_mover.h"

namespace morvick::testing {
namespace {

platform::FileMover& Real() { return platform::RealFileMover(); }

}  // namespace

void FaultMover::Fail(Op op, int nth, int errno_value, bool and_later) {
  faults_.push_back({op, nth, errno_value, and_later});
}

void FaultMover::AfterRename(int nth, std::function<void()> action) {
  after_rename_ = nth;
  after_rename_action_ = std::move(action);
}

int FaultMover::Injected(Op op) {
  const int call = ++calls_[static_cast<std::size_t>(op)];
  for (const Fault& fault : faults_) {
    if (fault.op == op && (call == fault.nth || (fault.and_later && call > fault.nth))) {
      return fault.errno_value;
    }
  }
  return 0;
}

int FaultMover::MakeFolder(const std::string& path) {
  if (const int error = Injected(Op::MakeFolder)) return error;
  const int result = Real().MakeFolder(path);
  if (result == 0) made_.push_back(path);
  return result;
}

int FaultMover::RemoveEmptyFolder(const std::string& path) {
  if (const int error = Injected(Op::RemoveFolder)) return error;
  return Real().RemoveEmptyFolder(path);
}

int FaultMover::Probe(const std::string& path) {
  if (const int error = Injected(Op::Probe)) return error;
  return Real().Probe(path);
}

int FaultMover::RenameNoReplace(const std::string& source, const std::string& destination) {
  const int error = Injected(Op::Rename);
  const int result = error != 0 ? error : Real().RenameNoReplace(source, destination);
  if (calls(Op::Rename) == after_rename_ && after_rename_action_) after_rename_action_();
  return result;
}

}  // namespace morvick::testing
