#include "support/private_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

extern char** environ;

namespace sonvale::test {
namespace {

pid_t daemon_pid = 0;

void end_daemon() {
  if (daemon_pid <= 0) return;
  kill(daemon_pid, SIGTERM);
  waitpid(daemon_pid, nullptr, 0);
}

// The bus's address, as the daemon prints it once it listens; empty when it fails.
std::string start_daemon() {
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>("dbus-daemon"), const_cast<char*>("--session"),
                  const_cast<char*>("--nofork"), const_cast<char*>("--print-address=1"), nullptr};
  const int spawned = posix_spawnp(&daemon_pid, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string address;
  if (spawned == 0) {
    std::atexit(end_daemon);
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n') address.push_back(c);
  } else {
    daemon_pid = 0;
  }
  close(out[0]);
  return address;
}

}  // namespace

bool use_private_session_bus() {
  static const std::string address = start_daemon();
  if (address.empty()) return false;
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  return true;
}

}  // namespace sonvale::test
