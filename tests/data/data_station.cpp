// A second station for the data layer's multi-station tests: a process of its own, working
// in the folder named by its argument, that runs the data layer's procedures on a headless
// runtime by commands read line by line. Each command is answered with one line:
//   checkopen-phone   CHECKOPEN of PHONE as OPENFILE:PHONE does it, then close: "open" or
//                     "closed", then what the user saw, each transcript line after " | "
//   read-lock         a plain SQLite read transaction on PHONE.db, held until read-unlock,
//                     as a reader that takes its time: "0" or SQLite's code
//   read-unlock

#include <sqlite3.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "data/file_opening.h"
#include "data/files.h"
#include "runtime/headless_backend.h"
#include "runtime/runtime.h"

int main(int argc, char** argv) {
  if (argc < 2 || ::chdir(argv[1]) != 0) {
    std::cerr << "usage: data_station DIR\n";
    return 2;
  }
  runtime::HeadlessBackend backend;
  runtime::init(backend);
  sqlite3* reader = nullptr;
  std::string command;
  while (std::getline(std::cin, command)) {
    std::string reply;
    if (command == "checkopen-phone") {
      bool open = false;
      runtime::start([&open] {
        phonedir::CHECKOPEN(phonedir::files().PHONE, 1);
        open = phonedir::files().PHONE.isOpen();
        phonedir::files().PHONE.close();
      });
      runtime::waitFinished(std::chrono::seconds(120));
      reply = open ? "open" : "closed";
      for (const std::string& line : backend.takeTranscript()) reply += " | " + line;
    } else if (command == "read-lock") {
      int rc = sqlite3_open_v2("PHONE.db", &reader, SQLITE_OPEN_READONLY, nullptr);
      if (rc == SQLITE_OK)
        rc =
            sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM records;", nullptr, nullptr, nullptr);
      reply = std::to_string(rc);
    } else if (command == "read-unlock") {
      reply = std::to_string(sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr));
      sqlite3_close(reader);
      reader = nullptr;
    } else {
      reply = "unknown command " + command;
    }
    std::cout << reply << std::endl;
  }
  runtime::shutdown();
  return 0;
}
