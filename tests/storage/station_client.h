#pragma once
// The test's side of a second station: starts tests/storage/station.cpp as a child process and
// talks to it through pipes, one command line and one reply line at a time.

#include <sys/types.h>

#include <cstdio>
#include <string>

namespace storage::test {

class Station {
 public:
  explicit Station(const std::string& dbPath);
  ~Station();
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  void send(const std::string& command);
  std::string reply();  // the next line; empty when the station has gone
  std::string call(const std::string& command) {
    send(command);
    return reply();
  }
  void kill();  // SIGKILL, and wait for the end
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  FILE* to_ = nullptr;
  FILE* from_ = nullptr;
};

}  // namespace storage::test
