#include "run_cli.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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

struct Command {
  std::vector<std::string> arg_texts;
  std::vector<std::string> env_texts;
  std::vector<char*> argv;
  std::vector<char*> env;
};

Command MakeCommand(const std::vector<std::string>& args, const std::string& home) {
  Command command;
  std::vector<std::string>& env_texts = command.env_texts;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("XDG_STATE_HOME=", 0) == 0 || entry.rfind("XDG_CONFIG_HOME=", 0) == 0) continue;
    env_texts.push_back(entry);
  }
  env_texts.push_back("XDG_STATE_HOME=" + home + "/state");
  env_texts.push_back("XDG_CONFIG_HOME=" + home + "/config");
  for (std::string& text : env_texts) command.env.push_back(text.data());
  command.env.push_back(nullptr);

  command.arg_texts = {MORVICK_CLI_PATH};
  command.arg_texts.insert(command.arg_texts.end(), args.begin(), args.end());
  for (std::string& text : command.arg_texts) command.argv.push_back(text.data());
  command.argv.push_back(nullptr);
  return command;
}

int WaitFor(pid_t pid) {
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
}

// Runs `argv` with stdin fed from `input`, stdout and stderr collected.
CliRun SpawnCollecting(char* const* argv, char* const* env, const std::string& input,
                       const std::string& cwd) {
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
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, env);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(spawned, 0) << std::strerror(spawned);
  if (spawned == 0) run.status = WaitFor(pid);
  run.out = ReadFd(out_fd);
  run.err = ReadFd(err_fd);
  close(in_fd);
  close(out_fd);
  close(err_fd);
  return run;
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
  Command command = MakeCommand(args, home);
  return SpawnCollecting(command.argv.data(), command.env.data(), input, cwd);
}

CliRun RunCliInShell(const std::string& script, const std::string& home) {
  Command command = MakeCommand({}, home);
  std::string cli_entry = std::string("CLI=") + MORVICK_CLI_PATH;
  command.env.insert(command.env.end() - 1, cli_entry.data());
  std::string shell = "/bin/sh";
  std::string flag = "-c";
  std::string text = script;
  char* argv[] = {shell.data(), flag.data(), text.data(), nullptr};
  return SpawnCollecting(argv, command.env.data(), "", home);
}

CliRun RunCliOnTerminal(const std::vector<std::string>& args, const std::string& home,
                        const std::string& wait_for, const std::string& reply,
                        const std::function<void()>& meanwhile) {
  Command command = MakeCommand(args, home);
  int master = -1;
  int slave = -1;
  CliRun run;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    ADD_FAILURE() << "openpty: " << std::strerror(errno);
    return run;
  }
  const int out_fd = TempFile("");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, slave, 0);
  posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
  posix_spawn_file_actions_adddup2(&actions, slave, 2);
  posix_spawn_file_actions_addclose(&actions, master);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, command.argv[0], &actions, nullptr, command.argv.data(),
                                  command.env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(slave);
  EXPECT_EQ(spawned, 0) << std::strerror(spawned);
  if (spawned != 0) {
    close(master);
    close(out_fd);
    return run;
  }
  bool replied = false;
  while (true) {
    pollfd fds{master, POLLIN, 0};
    if (poll(&fds, 1, 20000) <= 0) {
      ADD_FAILURE() << "no output from the program; shown so far: " << run.err;
      kill(pid, SIGKILL);
      break;
    }
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // the program has ended and closed the terminal
    run.err.append(buffer, static_cast<std::size_t>(n));
    if (!replied && run.err.find(wait_for) != std::string::npos) {
      replied = true;
      if (meanwhile) meanwhile();
      if (reply.empty()) {
        kill(pid, SIGINT);
      } else {
        EXPECT_EQ(write(master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
      }
    }
  }
  EXPECT_TRUE(replied) << run.err;
  run.status = WaitFor(pid);
  run.out = ReadFd(out_fd);
  close(master);
  close(out_fd);
  return run;
}

}  // namespace morvick::testing
