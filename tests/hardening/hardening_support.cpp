#include "hardening_support.h"

#include "support/as_nobody.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

extern char** environ;

namespace morvick::testing {
namespace {

constexpr uid_t kNobody = kNobodyId;

// The morvick-cli that StartCli runs.
std::string cli_program = MORVICK_CLI_PATH;

// Copies an executable; false (with a note on stderr) when it cannot.
bool CopyProgram(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
  bool copied = in >= 0 && out >= 0;
  char buffer[65536];
  for (ssize_t n; copied && (n = ::read(in, buffer, sizeof buffer)) != 0;) {
    copied = n > 0 && ::write(out, buffer, static_cast<std::size_t>(n)) == n;
  }
  if (in >= 0) ::close(in);
  if (out >= 0) ::close(out);
  if (!copied) std::cerr << "cannot copy " << from << " for the ordinary user\n";
  return copied;
}

// Applies `change` to every item below the folder open as `fd` (closed here).
void ForEachBelow(int fd, const std::function<void(int, const char*, const struct stat&)>& change) {
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return;
  }
  std::vector<std::string> subfolders;
  while (const dirent* raw = ::readdir(dir)) {
    const std::string name = raw->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    change(fd, name.c_str(), info);
    if (S_ISDIR(info.st_mode)) subfolders.push_back(name);
  }
  for (const std::string& name : subfolders) {
    const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child >= 0) ForEachBelow(child, change);
  }
  ::closedir(dir);
}

void ChangeTree(const std::string& root,
                const std::function<void(int, const char*, const struct stat&)>& change) {
  struct stat info {};
  if (::lstat(root.c_str(), &info) != 0) return;
  change(AT_FDCWD, root.c_str(), info);
  const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) ForEachBelow(fd, change);
}

// Removes everything inside the folder open as `fd` (closed here).
void EmptyFolder(int fd) {
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* raw = ::readdir(dir)) {
    const std::string name = raw->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  for (const std::string& name : names) {
    if (::unlinkat(fd, name.c_str(), 0) == 0) continue;
    ::fchmodat(fd, name.c_str(), 0700, 0);
    const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child >= 0) EmptyFolder(child);
    ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
  }
  ::closedir(dir);
}

std::string ReadAll(const std::string& path) {
  std::string text;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return text;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

}  // namespace

bool FullScale() {
  const char* scale = std::getenv("MORVICK_HARDENING_SCALE");
  return scale != nullptr && std::strcmp(scale, "full") == 0;
}

std::int64_t Scaled(std::int64_t reduced, std::int64_t full) {
  return FullScale() ? full : reduced;
}

void Summary(const std::string& name, const std::string& injected, const std::string& outcome) {
  std::cout << "[hardening] " << name << ": injected " << injected << "; " << outcome << std::endl;
}

std::string RunAsOrdinaryUser(const std::string& tree, const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();
  // The build folder may lie where the ordinary user cannot enter (a clone in
  // /root): the child runs its own copy of morvick-cli from the tree.
  const std::string program = tree + "/.morvick-cli";
  if (!CopyProgram(MORVICK_CLI_PATH, program)) return "skip";
  ChangeTree(tree, [](int fd, const char* name, const struct stat&) {
    ::fchownat(fd, name, kNobody, kNobody, AT_SYMLINK_NOFOLLOW);
  });
  const std::string saved = cli_program;
  cli_program = program;
  const std::string result = RunInChildAsNobody(body);
  cli_program = saved;
  ::unlink(program.c_str());
  return result;
}

void ReclaimTree(const std::string& root) {
  if (::geteuid() != 0) return;
  ChangeTree(root, [](int fd, const char* name, const struct stat&) {
    ::fchownat(fd, name, 0, 0, AT_SYMLINK_NOFOLLOW);
  });
}

void RemoveTree(const std::string& root) {
  ::chmod(root.c_str(), 0700);
  const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) EmptyFolder(fd);
  ::rmdir(root.c_str());
}

void RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

void MakeNumberedFiles(const std::string& folder, const std::string& prefix, std::int64_t count,
                       std::int64_t size) {
  const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd < 0) return;
  std::string content;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    const int fd = ::openat(folder_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) continue;
    if (size > 0) {
      content.assign(static_cast<std::size_t>(size), static_cast<char>('a' + i % 26));
      content.replace(0, std::min(content.size(), name.size()), name, 0,
                      std::min(content.size(), name.size()));
      [[maybe_unused]] const ssize_t written = ::write(fd, content.data(), content.size());
    }
    ::close(fd);
  }
  ::close(folder_fd);
}

CliProcess StartCli(const std::vector<std::string>& args, const std::string& home) {
  static std::atomic<int> counter{0};
  CliProcess process;
  process.err_path =
      home + "/cli-stderr-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".txt";

  std::vector<std::string> env_texts;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("XDG_STATE_HOME=", 0) == 0 || entry.rfind("XDG_CONFIG_HOME=", 0) == 0) continue;
    env_texts.push_back(entry);
  }
  env_texts.push_back("XDG_STATE_HOME=" + home + "/state");
  env_texts.push_back("XDG_CONFIG_HOME=" + home + "/config");
  std::vector<char*> env;
  for (std::string& text : env_texts) env.push_back(text.data());
  env.push_back(nullptr);

  std::vector<std::string> arg_texts = {cli_program};
  arg_texts.insert(arg_texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& text : arg_texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, process.err_path.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (::posix_spawn(&process.pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) {
    process.pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return process;
}

int WaitCli(const CliProcess& process, std::string* err) {
  if (process.pid < 0) return -1;
  int status = 0;
  ::waitpid(process.pid, &status, 0);
  if (err != nullptr) *err = ReadAll(process.err_path);
  ::unlink(process.err_path.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunCli(const std::vector<std::string>& args, const std::string& home, std::string* err) {
  return WaitCli(StartCli(args, home), err);
}

}  // namespace morvick::testing
