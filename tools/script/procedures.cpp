#include "procedures.h"

#include <map>

#include "city/city.h"
#include "data/files.h"
#include "personal/personal.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/globals.h"
#include "street/street.h"

namespace phonedir::script {
namespace {

struct Callable {
  void (*proc)();
  std::string (*leaves)();  // what the caller reads afterwards; null when nothing
};

std::string streetRecord() {
  return std::to_string(STR.NUM) + " \"" + runtime::toUtf8(STR.NAME) + "\"";
}

const std::map<std::string, Callable>& callables() {
  static const std::map<std::string, Callable> procs = {
      {"STREET", {&STREET, &streetRecord}},
      {"STREET_UPD", {&STREET_UPD, nullptr}},
      {"UPDATEPHONE", {&UPDATEPHONE, nullptr}},
      {"PERS_UPD", {&PERS_UPD, nullptr}},
  };
  return procs;
}

}  // namespace

int32_t requestCode(const std::string& word) {
  if (word.empty()) return 0;
  if (word == "insert") return INSERTRECORD;
  if (word == "change") return CHANGERECORD;
  if (word == "delete") return DELETERECORD;
  if (word == "select") return SELECTRECORD;
  return -1;
}

bool call(const std::string& proc, int32_t request,
          const std::function<void(const std::string&)>& answer) {
  const auto it = callables().find(proc);
  if (it == callables().end()) return false;
  const Callable c = it->second;
  runtime::start([proc, request, c, answer] {
    GLOBALREQUEST = request;
    c.proc();
    std::string line =
        "return " + proc + " " + (GLOBALRESPONSE == REQUESTCOMPLETED ? "completed" : "cancelled");
    if (c.leaves != nullptr) line += " " + c.leaves();
    answer(line);
  });
  return true;
}

}  // namespace phonedir::script
