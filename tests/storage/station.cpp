// A second station for the multi-station tests: a separate process that works on an ITEM file
// by commands read line by line from stdin, answering each with one line on stdout that starts
// with the error code. `crash` modes loop until the process is killed. `read-lock` and
// `read-unlock` hold a plain SQLite read transaction on any database file, as a reader that
// takes its time does.

#include <sqlite3.h>

#include <cstdio>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "storage/keyed_file.h"
#include "storage/record_fields.h"
#include "test_files.h"

using namespace storage;
using namespace storage::test;

namespace {

// A record whose every field tells its generation, so that a torn write would show.
Item generation(int index, int gen) {
  char code[8];
  std::snprintf(code, sizeof code, "B%05d", index);
  return item(code, gen, "g" + std::to_string(gen) + "-" + std::to_string(index),
              std::to_string(gen % 10000));
}

[[noreturn]] void rewriteForever(KeyedFile& file, Item& buf, int records, unsigned seed) {
  std::mt19937 rng(seed);
  std::cout << "ready" << std::endl;
  for (;;) {
    const bool run = rng() % 2 == 0;
    if (run) file.stream();
    for (int n = 0; n < (run ? 20 : 1); ++n) {
      if (file.getByNumber(1 + static_cast<int64_t>(rng() % records)) != kOk) continue;
      const int index = std::stoi(code(buf).substr(1));
      buf = generation(index, buf.GROUP + 1);
      file.put();
    }
    if (run) file.flush();
  }
}

[[noreturn]] void appendForever(KeyedFile& file, Item& buf, unsigned seed) {
  std::mt19937 rng(seed);
  std::cout << "ready" << std::endl;
  for (int round = 0;; ++round) {
    file.stream();
    for (int n = 0; n < 50; ++n) {
      buf = item("A" + std::to_string(rng() % 100000), 7, "g7-0", "7");
      file.append();
    }
    file.flush();
    if (round % 3 == 2) file.buildKeys();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: storage_station FILE.db\n";
    return 2;
  }
  Item buf{};
  KeyedFile file(itemDecl(), &buf, argv[1]);
  sqlite3* reader = nullptr;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    std::string reply;
    if (cmd == "open") {
      int mode = 0;
      in >> std::hex >> mode;
      reply = std::to_string(file.open(mode));
    } else if (cmd == "close") {
      reply = std::to_string(file.close());
    } else if (cmd == "busy") {
      int ms = 0;
      in >> ms;
      file.setBusyLimit(ms);
      reply = "0";
    } else if (cmd == "get") {
      std::string c;
      in >> c;
      setText(itemDecl().fields[0], &buf, c);
      const int rc = file.get(kByCode);
      reply = std::to_string(rc) + " " + title(buf);
    } else if (cmd == "watch") {
      reply = std::to_string(file.watch());
    } else if (cmd == "title") {
      std::string t;
      in >> t;
      setText(itemDecl().fields[2], &buf, t);
      reply = "0";
    } else if (cmd == "put") {
      reply = std::to_string(file.put());
    } else if (cmd == "add") {
      int n = 0;
      std::string prefix;
      in >> n >> prefix;
      int rc = 0;
      int added = 0;
      for (int i = 0; i < n && rc == 0; ++i) {
        buf = item(prefix + std::to_string(i), 1, "added", "1");
        rc = file.add();
        // Another station writing back to back can keep the lock past the wait limit, as a
        // user would meet it: the add failed whole, and is tried again.
        for (int retry = 0; rc == kAccessDenied && retry < 20; ++retry) rc = file.add();
        if (rc == 0) ++added;
      }
      reply = std::to_string(rc) + " " + std::to_string(added);
    } else if (cmd == "begin") {
      int s = 0;
      in >> s;
      reply = std::to_string(file.begin(s));
    } else if (cmd == "commit") {
      reply = std::to_string(file.commit());
    } else if (cmd == "rollback") {
      reply = std::to_string(file.rollback());
    } else if (cmd == "count") {
      const int64_t n = file.records();
      reply = std::to_string(file.errorCode()) + " " + std::to_string(n);
    } else if (cmd == "read-lock") {
      int rc = sqlite3_open_v2(argv[1], &reader, SQLITE_OPEN_READONLY, nullptr);
      if (rc == SQLITE_OK)
        rc = sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM sqlite_schema;", nullptr, nullptr,
                          nullptr);
      reply = std::to_string(rc);
    } else if (cmd == "read-unlock") {
      const int rc = sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
      sqlite3_close(reader);
      reader = nullptr;
      reply = std::to_string(rc);
    } else if (cmd == "rewrite-forever") {
      int records = 0;
      unsigned seed = 0;
      in >> records >> seed;
      rewriteForever(file, buf, records, seed);
    } else if (cmd == "append-forever") {
      unsigned seed = 0;
      in >> seed;
      appendForever(file, buf, seed);
    } else {
      reply = "unknown command " + cmd;
    }
    std::cout << reply << std::endl;
  }
  return 0;
}
