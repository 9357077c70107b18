#include "common/error.h"
#include "platform/directory_reader.h"
#include "platform/file_io.h"
#include "platform/file_mover.h"
#include "platform/folders.h"
#include "platform/held_folder.h"
#include "platform/real_path.h"
#include "platform/record_file.h"
#include "platform/windows/wide.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cerrno>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace morvick::platform {
namespace {

using testing::TempDir;

HeldFolder Held(const std::string& path) {
  HeldFolder folder;
  EXPECT_EQ(HoldFolder(path, folder), 0) << path;
  return folder;
}

std::wstring Prefixed(const std::wstring& path) { return L"\\\\?\\" + path; }

std::wstring WideOf(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
  return wide;
}

// Makes a file by its exact UTF-16 name, with `content`.
void MakeFile(const std::wstring& path, const std::string& content) {
  const HANDLE file = ::CreateFileW(Prefixed(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(file);
}

// The content of the file of exactly that name.
std::string ReadExact(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(Prefixed(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(cannot open)";
  char buffer[64];
  DWORD count = 0;
  ::ReadFile(file, buffer, sizeof buffer, &count, nullptr);
  ::CloseHandle(file);
  return std::string(buffer, count);
}

// The names and sizes of a folder as the scan reads them.
std::map<std::string, std::int64_t> Listing(const std::string& folder) {
  std::map<std::string, std::int64_t> entries;
  auto reader = SystemDirectories().Open(folder);
  EXPECT_TRUE(reader) << folder;
  if (!reader) return entries;
  DirectoryEntry entry;
  while (reader->Next(entry)) {
    if (entry.name != "." && entry.name != "..") entries[std::string(entry.name)] = entry.size;
  }
  EXPECT_EQ(reader->error(), 0);
  return entries;
}

TEST(Win32Paths, DrivesSharesAndNamesFollowTheWindowsForms) {
  EXPECT_TRUE(IsAbsolutePath("C:\\data"));
  EXPECT_TRUE(IsAbsolutePath("c:/data"));
  EXPECT_TRUE(IsAbsolutePath("\\\\server\\share\\data"));
  EXPECT_FALSE(IsAbsolutePath("C:data"));
  EXPECT_FALSE(IsAbsolutePath("\\data"));
  EXPECT_FALSE(IsAbsolutePath("data"));
  EXPECT_TRUE(IsRootPath("C:\\"));
  EXPECT_TRUE(IsRootPath("\\\\server\\share"));
  EXPECT_TRUE(IsRootPath("\\\\server\\share\\"));
  EXPECT_FALSE(IsRootPath("C:\\a"));
  EXPECT_FALSE(IsRootPath("\\\\server"));
  EXPECT_EQ(ParentFolder("C:\\a\\b"), "C:\\a");
  EXPECT_EQ(ParentFolder("C:\\a"), "C:\\");
  EXPECT_EQ(ParentFolder("C:\\"), "C:\\");
  EXPECT_EQ(ParentFolder("\\\\server\\share\\a"), "\\\\server\\share\\");
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:\\a", "b"), "C:\\a\\b");
  EXPECT_FALSE(IsPlainName("a:b"));  // a stream of "a"
  EXPECT_FALSE(IsPlainName("a\\b"));
  EXPECT_TRUE(IsSameOrBelow("C:\\Data\\Sub", "c:\\data"));
  EXPECT_FALSE(IsSameOrBelow("C:\\Database", "C:\\Data"));
}

// The names the system gives are the names the moves use: a name that ends in
// a dot (which Windows would drop from a path it normalises) and a name outside
// the BMP each reach their own file.
TEST(Win32Names, EveryNameReadFromAFolderMovesItsOwnFile) {
  TempDir dir;
  const std::string in = dir.CreateDir("in");
  const std::string out = dir.CreateDir("out");
  const std::wstring wide_in = WideOf(in);
  MakeFile(wide_in + L"\\name", "plain");
  MakeFile(wide_in + L"\\name.", "dotted");
  MakeFile(wide_in + L"\\\u65E5\u672C\U0001F600", "astral");

  const std::map<std::string, std::int64_t> before = Listing(in);
  ASSERT_EQ(before.size(), 3u);
  const HeldFolder held_in = Held(in);
  const HeldFolder held_out = Held(out);
  for (const auto& [name, size] : before) {
    EXPECT_EQ(RealFileMover().RenameNoReplace(held_in, name, held_out, name), 0) << name;
  }
  EXPECT_TRUE(Listing(in).empty());
  EXPECT_EQ(Listing(out), before);
  EXPECT_EQ(ReadExact(WideOf(JoinPath(out, "name."))), "dotted");
  EXPECT_EQ(ReadExact(WideOf(JoinPath(out, "name"))), "plain");
}

// NTFS allows a name that is no UTF-16 (an unpaired surrogate); such a name
// read from a folder must name the same file when it is given back.
TEST(Win32Names, UnpairedSurrogatesSurviveTheWayThroughUtf8) {
  for (const std::wstring& name : {std::wstring(L"a\xD800"), std::wstring(L"\xDC00z"),
                                   std::wstring(L"\xDBFF\xD800"), std::wstring(L"\U0001F600")}) {
    EXPECT_EQ(windows::Wide(windows::Narrow(name)), name);
  }
  EXPECT_EQ(windows::Narrow(L"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(windows::Wide("\xFF"), L"\xFFFD");
}

TEST(Win32Moves, NeverReplaceAndReportTheSystemNumbers) {
  TempDir dir;
  dir.WriteFile("in/file", "new");
  dir.WriteFile("out/file", "old");
  dir.WriteFile("in/folder/inner", "x");
  dir.WriteFile("out/folder/other", "y");
  FileMover& mover = RealFileMover();
  const HeldFolder in = Held(dir.Path("in"));
  const HeldFolder out = Held(dir.Path("out"));
  EXPECT_EQ(mover.RenameNoReplace(in, "file", out, "file"), EEXIST);
  EXPECT_EQ(mover.RenameNoReplace(in, "folder", out, "folder"), EEXIST);
  EXPECT_EQ(testing::ReadFile(dir.Path("out/file")), "old");
  EXPECT_EQ(testing::ReadFile(dir.Path("in/file")), "new");
  EXPECT_EQ(mover.Probe(dir.Path("in/gone")), ENOENT);

  // Folder removal raises the system's own error number.
  const auto removal_error = [](const std::string& path) {
    try {
      RemoveFolder(path);
    } catch (const InOutError& error) {
      return error.error_number();
    }
    return 0;
  };
  EXPECT_EQ(removal_error(dir.Path("in/folder")), ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(removal_error(dir.Path("missing")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(removal_error(dir.Path("in/file")), ERROR_DIRECTORY);
}

// Paths far longer than MAX_PATH: made, listed and moved like any other.
TEST(Win32Moves, LongPathsWork) {
  TempDir dir;
  FileMover& mover = RealFileMover();
  HeldFolder folder = Held(dir.path());
  std::string name = "in";
  for (int level = 0; level <= 12; ++level) {
    ASSERT_EQ(mover.MakeFolder(folder, name), 0) << folder.path();
    HeldFolder made;
    ASSERT_EQ(mover.OpenFolder(folder, name, made), 0) << folder.path();
    folder = std::move(made);
    name = std::string(40, static_cast<char>('a' + level));
  }
  const std::string deep = folder.path();
  EXPECT_EQ(folder.State(), FolderState::InPlace);
  EXPECT_EQ(Held(deep).path(), deep);
  ASSERT_GT(deep.size(), 400u);
  const HANDLE file = ::CreateFileW(Prefixed(WideOf(JoinPath(deep, "file"))).c_str(), GENERIC_WRITE,
                                    0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ::CloseHandle(file);
  EXPECT_TRUE(IsExistingFolder(deep));
  EXPECT_EQ(Listing(deep).size(), 1u);
  EXPECT_EQ(mover.RenameNoReplace(folder, "file", folder, "moved"), 0);
  EXPECT_EQ(Listing(deep).count("moved"), 1u);
  const std::optional<std::string> real = RealFolderPath(JoinPath(deep, "missing"));
  ASSERT_TRUE(real);
  EXPECT_TRUE(IsSameOrBelow(*real, *RealFolderPath(dir.path())));
}

// A held folder is held by its handle: nobody can rename or remove it, the
// program's own removal included, until it is let go; a link or a junction
// is never held as a folder.
TEST(Win32Moves, AHeldFolderStaysWhereItIsAndALinkIsNeverHeld) {
  TempDir dir;
  dir.CreateDir("out/CD001");
  dir.CreateDir("theirs");
  FileMover& mover = RealFileMover();
  const HeldFolder out = Held(dir.Path("out"));
  HeldFolder volume;
  ASSERT_EQ(mover.OpenFolder(out, "CD001", volume), 0);
  EXPECT_FALSE(::MoveFileExW(Prefixed(WideOf(dir.Path("out"))).c_str(),
                             Prefixed(WideOf(dir.Path("moved"))).c_str(), 0));
  EXPECT_FALSE(::MoveFileExW(Prefixed(WideOf(dir.Path("out/CD001"))).c_str(),
                             Prefixed(WideOf(dir.Path("theirs/CD001"))).c_str(), 0));
  EXPECT_NE(mover.RemoveEmptyFolder(out, "CD001"), 0);
  EXPECT_EQ(volume.StateIn(out, "CD001"), FolderState::InPlace);
  EXPECT_EQ(out.State(), FolderState::InPlace);
  volume.Release();
  EXPECT_EQ(mover.RemoveEmptyFolder(out, "CD001"), 0);
  EXPECT_EQ(mover.OpenFolder(out, "CD001", volume), ENOENT);

  // Where no link to a folder can be made and seen (Wine), the rest is for Windows.
  const std::wstring link = Prefixed(WideOf(dir.Path("out/CD002")));
  ::CreateSymbolicLinkW(
      link.c_str(), WideOf(dir.Path("theirs")).c_str(),
      SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  const DWORD attributes = ::GetFileAttributesW(link.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    GTEST_SKIP() << "no link to a folder can be made here";
  }
  EXPECT_EQ(mover.OpenFolder(out, "CD002", volume), ENOTDIR);
  EXPECT_EQ(HoldFolder(dir.Path("out/CD002"), volume), ENOTDIR);
  EXPECT_EQ(mover.RemoveEmptyFolder(out, "CD002"), ENOTDIR);
  EXPECT_TRUE(IsExistingFolder(dir.Path("theirs")));
}

// The settings file is replaced whole, and only a file is ever replaced.
TEST(Win32Files, ReplacingAFileLeavesTheNewContentAndNothingElse) {
  TempDir dir;
  const std::string path = dir.WriteFile("morvick.ini", "old");
  ASSERT_EQ(ReplaceFileAtomically(path, "new content"), 0);
  const FileRead read = ReadWholeFile(path);
  ASSERT_TRUE(read.content);
  EXPECT_EQ(*read.content, "new content");
  EXPECT_EQ(testing::NamesIn(dir.path()), (std::set<std::string>{"morvick.ini"}));
  EXPECT_EQ(ReplaceFileAtomically(dir.CreateDir("folder"), "x"), EISDIR);
  EXPECT_EQ(ReadWholeFile(dir.Path("folder")).error, EISDIR);
  EXPECT_EQ(ReadWholeFile(dir.Path("missing")).error, ENOENT);
  EXPECT_NE(ReplaceFileAtomically(dir.Path("missing/morvick.ini"), "x"), 0);
  EXPECT_EQ(CreateParentFolders(dir.Path("a/b/morvick.ini")), 0);
  EXPECT_EQ(ReplaceFileAtomically(dir.Path("a/b/morvick.ini"), "x"), 0);
}

// Windows locks are mandatory: the journal's lock must keep a second move or
// undo out without keeping anyone from reading the records.
TEST(Win32Files, TheJournalLockShutsOutOnlyTheSecondLocker) {
  TempDir dir;
  std::vector<std::string> made;
  RecordFile writer = RecordFile::Create(dir.Path("journals/move.jsonl"), true, made);
  EXPECT_EQ(made, std::vector<std::string>{dir.Path("journals")});
  ASSERT_TRUE(writer.TryLock());
  writer.Append("first\n");
  RecordFile reader = RecordFile::Open(writer.path());
  EXPECT_FALSE(reader.TryLock());
  EXPECT_EQ(reader.ReadAll(), "first\n");
  writer.Append("second\n");
  EXPECT_EQ(reader.ReadHead(5), "first");
  reader.Truncate(6);
  EXPECT_EQ(writer.ReadAll(), "first\n");
  writer = RecordFile::Open(reader.path());  // the first handle closes: its lock goes
  EXPECT_TRUE(reader.TryLock());
}

}  // namespace
}  // namespace morvick::platform
