#include "support/run_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace sonvale::test {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits for the child, killing it once the time limit (if any) has passed.
int wait_for(pid_t pid, std::chrono::milliseconds time_limit, bool& timed_out) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + time_limit;
  int status = 0;
  if (time_limit.count() <= 0) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
  }
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() >= deadline) {
      timed_out = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return status;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status;
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& environment,
                          std::chrono::milliseconds time_limit) {
  std::map<std::string, std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq != nullptr) env[std::string(*e, static_cast<std::size_t>(eq - *e))] = eq + 1;
  }
  for (const auto& [name, value] : environment) {
    if (value.empty())
      env.erase(name);
    else
      env[name] = value;
  }
  std::vector<std::string> env_text;
  for (const auto& [name, value] : env) env_text.push_back(name + "=" + value);
  std::vector<char*> envp, args;
  for (auto& s : env_text) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_copy = argv;
  for (auto& s : argv_copy) args.push_back(s.data());
  args.push_back(nullptr);

  char out_path[] = "/tmp/sonvale-test-out-XXXXXX";
  char err_path[] = "/tmp/sonvale-test-err-XXXXXX";
  const int out_fd = mkstemp(out_path);
  const int err_fd = mkstemp(err_path);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
  posix_spawn_file_actions_adddup2(&actions, err_fd, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

  ProcessResult result;
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) == 0) {
    const int status = wait_for(pid, time_limit, result.timed_out);
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status) && !result.timed_out) result.signal = WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out_fd);
  close(err_fd);
  result.out = slurp(out_path);
  result.err = slurp(err_path);
  unlink(out_path);
  unlink(err_path);
  return result;
}

std::string sonvale_binary() { return SONVALE_BINARY; }

}  // namespace sonvale::test
