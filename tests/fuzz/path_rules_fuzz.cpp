// The path rules of both dialects on arbitrary bytes: no crash, no undefined
// behaviour, one message at most per check, and the helpers keep their laws.

#include "commands/path_rules.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

class CountingPrompter : public morvick::Prompter {
 public:
  int shown = 0;
  morvick::Answer Ask(morvick::BoxKind, std::string_view, unsigned) override {
    ++shown;
    return morvick::Answer::Ok;
  }
};

void Check(bool condition, int line = __builtin_LINE()) {
  if (!condition) {
    std::fprintf(stderr, "law broken at line %d\n", line);
    std::abort();
  }
}

// A text cut in the middle of a double-byte character: the separator appended
// to it completes that character, so appending is not idempotent there.
bool EndsInLoneLeadByte(std::string_view text) {
  bool lone = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lead = morvick::WindowsPathRules::IsLeadByte(static_cast<unsigned char>(text[i]));
    if (lead && i + 1 < text.size()) {
      ++i;
    } else {
      lone = lead;
    }
  }
  return lone;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvick;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first 0x00 byte splits the input into the input and output folder texts.
  const std::size_t split = bytes.find('\0');
  const std::string_view input = bytes.substr(0, split);
  const std::string_view output =
      split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);

  const WindowsPathRules windows;
  const PosixPathRules posix;
  for (const PathRules* rules :
       {static_cast<const PathRules*>(&windows), static_cast<const PathRules*>(&posix)}) {
    const std::string once = rules->WithTrailingBackslash(input);
    if (rules == &posix || !EndsInLoneLeadByte(input)) {
      Check(rules->WithTrailingBackslash(once) == once);
    }
    Check(once.compare(0, input.size(), input) == 0);
    Check(once.size() <= input.size() + 1);

    CountingPrompter prompter;
    const bool syntax_ok = rules->CheckPathSyntax(prompter, input, "入力フォルダ");
    Check(prompter.shown == (syntax_ok ? 0 : 1));
  }
  // The pair rule of the Windows dialect never touches the disk for names that
  // have no drive, so it is safe on arbitrary bytes.
  CountingPrompter prompter;
  const bool pair_ok = windows.CheckFolderPair(prompter, input, output, PairCommand::Move);
  Check(prompter.shown == (pair_ok ? 0 : 1));

  for (int n = 1; n <= 5; ++n) {
    const std::string prefix = WindowsPathRules::PrefixToNthBackslash(input, n);
    Check(input.substr(0, prefix.size()) == prefix);
    Check(prefix.empty() || prefix.back() == '\\');
  }
  Check(WindowsPathRules::CountChar('\\', input) <= static_cast<int>(input.size()));
  const std::string share = WindowsPathRules::ServerSharePrefix(input);
  Check(share.size() <= input.size() + 1);
  return 0;
}
