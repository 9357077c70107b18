#include "run_cli.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <sstream>

extern char** environ;

namespace morvick::testing {
namespace {

std::string ReadFd(int fd) {
  std::string text;
  char buffer[65536];
  lseek(fd, 0, SEEK_SET);
  ssize_t n = 0;
  while ((n = read(fd, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<std::size_t>(n));
  return text;
}

int TempFile(const std::string& content) {
  char name[] = "/tmp/morvick-cli-io-XXXXXX";
  const int fd = mkstemp(name);
  unlink(name);
  if (!content.empty()) {
    EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  }
  lseek(fd, 0, SEEK_SET);
  return fd;
}

void Walk(const std::string& root, const std::string& relative,
          std::map<std::string, std::string>& out) {
  const std::string path = relative.empty() ? root : root + "/" + relative;
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return;
  std::ostringstream line;
  line << std::oct << (info.st_mode & 07777) << std::dec;
  // A folder's own time changes when an entry is renamed into or out of it.
  if (!S_ISDIR(info.st_mode)) line << ' ' << info.st_mtim.tv_sec << '.' << info.st_mtim.tv_nsec;
  if (S_ISLNK(info.st_mode)) {
    char target[4096];
    const ssize_t n = readlink(path.c_str(), target, sizeof target);
    line << " link " << std::string(target, n > 0 ? static_cast<std::size_t>(n) : 0);
  } else if (S_ISDIR(info.st_mode)) {
    line << " dir";
    for (const std::string& name : NamesIn(path)) {
      Walk(root, relative.empty() ? name : relative + "/" + name, out);
    }
  } else {
    line << " file " << info.st_size << ' ' << ReadFile(path);
  }
  out[relative] = line.str();
}

}  // namespace

std::vector<std::string> CliRun::ErrLines() const {
  std::vector<std::string> lines;
  std::istringstream stream(err);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

CliRun RunCliProgram(const std::vector<std::string>& args, const std::string& home,
                     const std::string& input, const std::string& cwd) {
  std::vector<std::string> env_texts;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("XDG_STATE_HOME=", 0) == 0 || entry.rfind("XDG_CONFIG_HOME=", 0) == 0) continue;
    env_texts.push_back(entry);
  }
  env_texts.push_back("XDG_STATE_HOME=" + home + "/state");
  env_texts.push_back("XDG_CONFIG_HOME=" + home + "/config");
  std::vector<char*> env;
  for (std::string& text : env_texts) env.push_back(text.data());
  env.push_back(nullptr);

  std::vector<std::string> arg_texts = {MORVICK_CLI_PATH};
  arg_texts.insert(arg_texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& text : arg_texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  const int in_fd = TempFile(input);
  const int out_fd = TempFile("");
  const int err_fd = TempFile("");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in_fd, 0);
  posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
  posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  CliRun run;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0) << std::strerror(spawned);
  if (spawned == 0) {
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  }
  run.out = ReadFd(out_fd);
  run.err = ReadFd(err_fd);
  close(in_fd);
  close(out_fd);
  close(err_fd);
  return run;
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> out;
  Walk(root, "", out);
  return out;
}

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  closedir(dir);
  return names;
}

}  // namespace morvick::testing
