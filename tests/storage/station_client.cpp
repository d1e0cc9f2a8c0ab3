#include "station_client.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace storage::test {

Station::Station(const std::string& dbPath) {
  int in[2];
  int out[2];
  // Close-on-exec, so that a later station does not inherit this one's pipes and keep it alive.
  if (pipe2(in, O_CLOEXEC) != 0) return;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string program = STATION_PROGRAM;
  std::string path = dbPath;
  char* argv[] = {program.data(), path.data(), nullptr};
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  to_ = fdopen(in[1], "w");
  from_ = fdopen(out[0], "r");
}

Station::~Station() {
  if (to_) fclose(to_);
  to_ = nullptr;
  if (pid_ > 0) {
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  if (from_) fclose(from_);
}

void Station::send(const std::string& command) {
  if (!to_) return;
  fputs((command + "\n").c_str(), to_);
  fflush(to_);
}

std::string Station::reply() {
  if (!from_) return {};
  char line[4096];
  if (!fgets(line, sizeof line, from_)) return {};
  std::string s(line);
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

void Station::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace storage::test
