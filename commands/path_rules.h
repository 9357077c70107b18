#pragma once

// The path rules that guard the commands: the syntax of one folder path, the
// rules for the input/output pair, and the helpers the commands build paths
// with. Two dialects share one interface: the Windows dialect (drive letters,
// UNC shares, "\" separator, byte-wise over Shift-JIS text) and the POSIX
// dialect that Linux uses ("/" separator, absolute paths).

#include "common/prompter.h"

#include <string>
#include <string_view>

namespace morvick {

// Which command asks CheckFolderPair: the messages differ.
enum class PairCommand { Move, Undo };

class PathRules {
 public:
  virtual ~PathRules() = default;

  // The separator byte: '\\' or '/'.
  virtual char Separator() const = 0;

  // The path with the separator appended unless it already ends in one; the
  // empty path stays empty.
  virtual std::string WithTrailingBackslash(std::string_view path) const = 0;

  // True when `text` is an acceptable folder path. Otherwise shows one message,
  // "[" + label + "]:" + the reason, and returns false.
  virtual bool CheckPathSyntax(Prompter& prompter, std::string_view text,
                               std::string_view label) const = 0;

  // True when the input and output folders may be used together by `command`.
  // Otherwise shows one message and returns false.
  virtual bool CheckFolderPair(Prompter& prompter, std::string_view input, std::string_view output,
                               PairCommand command) const = 0;

  // True when the path names an existing folder (links followed).
  virtual bool IsExistingFolder(const std::string& path) const = 0;
};

// The encoding of the texts the Windows dialect reads: Shift-JIS as the rules
// were written for, or UTF-8 as the Windows build holds every text (no byte of
// a UTF-8 sequence is ever an ASCII character, so stepping byte by byte is
// exact there).
enum class PathEncoding { ShiftJis, Utf8 };

// Drive letters and UNC paths, "\" separator. Works on bytes of Shift-JIS text
// but steps over double-byte characters, so a trail byte 0x5C is never taken
// for a backslash.
class WindowsPathRules final : public PathRules {
 public:
  explicit WindowsPathRules(PathEncoding encoding = PathEncoding::ShiftJis) : encoding_(encoding) {}

  char Separator() const override { return '\\'; }
  std::string WithTrailingBackslash(std::string_view path) const override;
  bool CheckPathSyntax(Prompter& prompter, std::string_view text,
                       std::string_view label) const override;
  bool CheckFolderPair(Prompter& prompter, std::string_view input, std::string_view output,
                       PairCommand command) const override;
  bool IsExistingFolder(const std::string& path) const override;

  // The helpers the two rules are built on.
  static bool IsLeadByte(unsigned char byte);
  // Number of single-byte characters of `text` equal to `c` (trail bytes of
  // double-byte characters are not counted).
  static int CountChar(char c, std::string_view text,
                       PathEncoding encoding = PathEncoding::ShiftJis);
  // The path up to and including its n-th backslash (n >= 1); "" when fewer.
  static std::string PrefixToNthBackslash(std::string_view path, int n,
                                          PathEncoding encoding = PathEncoding::ShiftJis);
  // PrefixToNthBackslash(WithTrailingBackslash(path), 4): \\server\share\ .
  static std::string ServerSharePrefix(std::string_view path,
                                       PathEncoding encoding = PathEncoding::ShiftJis);
  // Characters 1 and 2 are backslashes and character 3 is not.
  static bool IsUncPath(std::string_view path);
  // "C:" of a drive path, "\\server\share" of a UNC path, else "".
  static std::string DrivePart(std::string_view path,
                               PathEncoding encoding = PathEncoding::ShiftJis);

 private:
  PathEncoding encoding_;
};

// Absolute POSIX paths, "/" separator; folders on one file system.
class PosixPathRules final : public PathRules {
 public:
  char Separator() const override { return '/'; }
  std::string WithTrailingBackslash(std::string_view path) const override;
  bool CheckPathSyntax(Prompter& prompter, std::string_view text,
                       std::string_view label) const override;
  bool CheckFolderPair(Prompter& prompter, std::string_view input, std::string_view output,
                       PairCommand command) const override;
  bool IsExistingFolder(const std::string& path) const override;
};

// The dialect of the platform the program runs on: POSIX on Linux, Windows
// over UTF-8 on Windows.
const PathRules& PlatformPathRules();

}  // namespace morvick
