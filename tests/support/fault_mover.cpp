#include "support/fault_mover.h"

#include "platform/real_path.h"

namespace morvick::testing {
namespace {

platform::FileMover& Real() { return platform::RealFileMover(); }

std::string PathIn(const platform::HeldFolder& folder, const std::string& name) {
  return platform::JoinPath(folder.path(), name);
}

}  // namespace

void FaultMover::Fail(Op op, int nth, int errno_value, bool and_later) {
  faults_.push_back({op, nth, errno_value, and_later});
}

void FaultMover::AfterRename(int nth, std::function<void()> action) {
  After(Op::Rename, [this, nth, action = std::move(action)](const std::string&) {
    if (calls(Op::Rename) == nth) action();
  });
}

void FaultMover::Before(Op op, Action action) { before_[Index(op)].push_back(std::move(action)); }

void FaultMover::After(Op op, Action action) { after_[Index(op)].push_back(std::move(action)); }

int FaultMover::Call(Op op, const std::string& path, const std::function<int()>& real) {
  const int call = ++calls_[Index(op)];
  for (const Action& action : before_[Index(op)]) action(path);
  int result = 0;
  for (const Fault& fault : faults_) {
    if (fault.op == op && (call == fault.nth || (fault.and_later && call > fault.nth))) {
      result = fault.errno_value;
      break;
    }
  }
  if (result == 0) result = real();
  for (const Action& action : after_[Index(op)]) action(path);
  return result;
}

int FaultMover::OpenFolder(const platform::HeldFolder& parent, const std::string& name,
                           platform::HeldFolder& folder) {
  return Call(Op::OpenFolder, PathIn(parent, name),
              [&] { return Real().OpenFolder(parent, name, folder); });
}

int FaultMover::MakeFolder(const platform::HeldFolder& parent, const std::string& name) {
  const std::string path = PathIn(parent, name);
  const int result = Call(Op::MakeFolder, path, [&] { return Real().MakeFolder(parent, name); });
  if (result == 0) made_.push_back(path);
  return result;
}

int FaultMover::RemoveEmptyFolder(const platform::HeldFolder& parent, const std::string& name) {
  return Call(Op::RemoveFolder, PathIn(parent, name),
              [&] { return Real().RemoveEmptyFolder(parent, name); });
}

int FaultMover::Probe(const platform::HeldFolder& parent, const std::string& name) {
  return Call(Op::Probe, PathIn(parent, name), [&] { return Real().Probe(parent, name); });
}

int FaultMover::Probe(const std::string& path) {
  return Call(Op::Probe, path, [&] { return Real().Probe(path); });
}

int FaultMover::RenameNoReplace(const platform::HeldFolder& from, const std::string& from_name,
                                const platform::HeldFolder& to, const std::string& to_name) {
  return Call(Op::Rename, PathIn(to, to_name),
              [&] { return Real().RenameNoReplace(from, from_name, to, to_name); });
}

}  // namespace morvick::testing
