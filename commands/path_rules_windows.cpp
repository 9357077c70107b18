#include "commands/path_rules.h"
#include "common/path_messages.h"
#include "platform/folders.h"

namespace morvick {
namespace {

constexpr char kBackslash = '\\';

// Length of the character starting at byte `i`: in Shift-JIS 2 for a lead
// byte followed by a trail byte, else 1. In UTF-8 every step is one byte: only
// ASCII bytes are ever looked at, and no byte of a longer sequence is one.
std::size_t CharLength(std::string_view text, std::size_t i, PathEncoding encoding) {
  return encoding == PathEncoding::ShiftJis &&
                 WindowsPathRules::IsLeadByte(static_cast<unsigned char>(text[i])) &&
                 i + 1 < text.size()
             ? 2
             : 1;
}

// Lowers the ASCII capitals of single-byte characters; both bytes of a
// double-byte character stay as they are.
std::string FoldForComparison(std::string_view text, PathEncoding encoding) {
  std::string folded(text);
  for (std::size_t i = 0; i < folded.size();) {
    const std::size_t length = CharLength(folded, i, encoding);
    if (length == 1 && folded[i] >= 'A' && folded[i] <= 'Z')
      folded[i] = static_cast<char>(folded[i] - 'A' + 'a');
    i += length;
  }
  return folded;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool WindowsPathRules::IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string WindowsPathRules::WithTrailingBackslash(std::string_view path) const {
  if (path.empty()) return {};
  std::size_t last = 0;
  for (std::size_t i = 0; i < path.size(); i += CharLength(path, i, encoding_)) last = i;
  std::string result(path);
  if (!(last == path.size() - 1 && path[last] == kBackslash)) result += kBackslash;
  return result;
}

int WindowsPathRules::CountChar(char c, std::string_view text, PathEncoding encoding) {
  int count = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLength(text, i, encoding);
    if (length == 1 && text[i] == c) ++count;
    i += length;
  }
  return count;
}

std::string WindowsPathRules::PrefixToNthBackslash(std::string_view path, int n,
                                                   PathEncoding encoding) {
  int count = 0;
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t length = CharLength(path, i, encoding);
    if (length == 1 && path[i] == kBackslash && ++count == n)
      return std::string(path.substr(0, i + 1));
    i += length;
  }
  return {};
}

std::string WindowsPathRules::ServerSharePrefix(std::string_view path, PathEncoding encoding) {
  return PrefixToNthBackslash(WindowsPathRules(encoding).WithTrailingBackslash(path), 4, encoding);
}

bool WindowsPathRules::IsUncPath(std::string_view path) {
  return path.size() >= 2 && path[0] == kBackslash && path[1] == kBackslash &&
         (path.size() < 3 || path[2] != kBackslash);
}

std::string WindowsPathRules::DrivePart(std::string_view path, PathEncoding encoding) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == kBackslash && path[1] == kBackslash) {
    int seen = 0;
    for (std::size_t i = 2; i < path.size();) {
      const std::size_t length = CharLength(path, i, encoding);
      if (length == 1 && path[i] == kBackslash && ++seen == 2)
        return std::string(path.substr(0, i));
      i += length;
    }
    const std::string whole = WindowsPathRules(encoding).WithTrailingBackslash(path);
    // WithTrailingBackslash left it unchanged exactly when it ended in one.
    return whole.size() == path.size() ? std::string(path.substr(0, path.size() - 1))
                                       : std::string(path);
  }
  return {};
}

bool WindowsPathRules::CheckPathSyntax(Prompter& prompter, std::string_view text,
                                       std::string_view label) const {
  namespace m = path_messages;
  if (IsUncPath(text)) {
    if (CountChar(kBackslash, WithTrailingBackslash(text), encoding_) >= 5) return true;
    return path_messages::RefuseSyntax(prompter, label, m::kUncIncomplete);
  }
  if (text.size() <= 3) return path_messages::RefuseSyntax(prompter, label, m::kRoot);
  if (!IsAsciiLetter(text[0])) return path_messages::RefuseSyntax(prompter, label, m::kDriveLetter);
  if (text[1] != ':') return path_messages::RefuseSyntax(prompter, label, m::kColon);
  if (text[2] != kBackslash) return path_messages::RefuseSyntax(prompter, label, m::kBackslash);
  return true;
}

bool WindowsPathRules::CheckFolderPair(Prompter& prompter, std::string_view input,
                                       std::string_view output, PairCommand command) const {
  namespace m = path_messages;
  if (FoldForComparison(WithTrailingBackslash(input), encoding_) ==
      FoldForComparison(WithTrailingBackslash(output), encoding_)) {
    prompter.ShowMessage(m::kSameFolder);
    return false;
  }
  const bool input_unc = IsUncPath(input);
  const bool output_unc = IsUncPath(output);
  const bool move = command == PairCommand::Move;
  if (input_unc && !output_unc) {
    prompter.ShowMessage(move ? m::kOutputMustBeNetwork : m::kInputMustNotBeNetwork);
    return false;
  }
  if (!input_unc && output_unc) {
    prompter.ShowMessage(move ? m::kOutputMustNotBeNetwork : m::kInputMustBeNetwork);
    return false;
  }
  if (input_unc) {
    if (FoldForComparison(ServerSharePrefix(input, encoding_), encoding_) !=
        FoldForComparison(ServerSharePrefix(output, encoding_), encoding_)) {
      prompter.ShowMessage(m::kSameShare);
      return false;
    }
    return true;
  }
  if (FoldForComparison(DrivePart(input, encoding_), encoding_) !=
      FoldForComparison(DrivePart(output, encoding_), encoding_)) {
    prompter.ShowMessage(m::kSameDrive);
    return false;
  }
  return true;
}

bool WindowsPathRules::IsExistingFolder(const std::string& path) const {
  return platform::IsExistingFolder(path);
}

#ifdef _WIN32
const PathRules& PlatformPathRules() {
  static const WindowsPathRules rules(PathEncoding::Utf8);
  return rules;
}
#endif

}  // namespace morvick
