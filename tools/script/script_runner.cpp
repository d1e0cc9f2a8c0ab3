#include "script_runner.h"

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/event.h"
#include "runtime/headless_backend.h"
#include "runtime/headless_driver.h"
#include "runtime/locale/charset.h"
#include "runtime/runtime.h"
#include "shell/program.h"

namespace phonedir::script {
namespace {

struct Key {
  int code;
  int ch;
};

const std::map<std::string, Key>& namedKeys() {
  static const std::map<std::string, Key> keys = {
      {"Insert", {runtime::key::Insert, 0}},
      {"Delete", {runtime::key::Delete, 0}},
      {"Ctrl+Enter", {runtime::key::CtrlEnter, 0}},
      {"Backspace", {runtime::key::Backspace, 0}},
      {"Space", {runtime::key::Space, ' '}},
      {"DoubleClick", {runtime::key::MouseLeft2, 0}},
      {"RightClick", {runtime::key::MouseRight, 0}},
      {"Ctrl+'", {runtime::key::CtrlApostrophe, 0}},
      {"F1", {runtime::key::F1, 0}},
  };
  return keys;
}

const std::map<std::string, int>& scrollCodes() {
  static const std::map<std::string, int> codes = {
      {"up", runtime::ev::ScrollUp},   {"down", runtime::ev::ScrollDown},
      {"pageup", runtime::ev::PageUp}, {"pagedown", runtime::ev::PageDown},
      {"top", runtime::ev::ScrollTop}, {"bottom", runtime::ev::ScrollBottom},
  };
  return codes;
}

// The first word and the rest of the line.
std::pair<std::string, std::string> split(const std::string& line) {
  const size_t space = line.find(' ');
  if (space == std::string::npos) return {line, {}};
  return {line.substr(0, space), line.substr(space + 1)};
}

bool parseInt(const std::string& s, int& out) {
  std::istringstream in(s);
  return static_cast<bool>(in >> out) && in.eof();
}

class Runner {
 public:
  explicit Runner(std::ostream& out) : out_(out) { runtime::init(backend_); }
  ~Runner() { runtime::shutdown(); }

  bool run(const std::string& line) {
    const auto [command, rest] = split(line);
    const auto [first, tail] = split(rest);
    int n = 0;
    if (command == "start") {
      runtime::runMain(&phonedir::_main);
      return settled();
    }
    if (command == "menu" || command == "toolbar") {
      if (!parseInt(rest, n)) return fail("expected a number: " + rest);
      return done(driver_.menu(n), "no frame");
    }
    if (command == "focus") return done(driver_.focus(rest), "no window of " + rest);
    if (command == "press") return done(driver_.press(rest), "no control " + rest);
    if (command == "type") return done(driver_.type(first, tail), "no control " + first);
    if (command == "key") {
      Key k{0, 0};
      if (auto it = namedKeys().find(tail); it != namedKeys().end()) {
        k = it->second;
      } else if (const auto ch = runtime::fromUtf8(tail); ch && ch->size() == 1) {
        k = {runtime::key::Character, static_cast<unsigned char>((*ch)[0])};
      } else {
        return fail("unknown key " + tail);
      }
      return done(driver_.key(first, k.code, k.ch), "no control " + first);
    }
    if (command == "scroll") {
      auto it = scrollCodes().find(tail);
      if (it == scrollCodes().end()) return fail("unknown direction " + tail);
      return done(driver_.scroll(first, it->second), "no control " + first);
    }
    if (command == "thumb") {
      if (!parseInt(tail, n)) return fail("expected a number: " + tail);
      return done(driver_.thumb(first, n), "no control " + first);
    }
    if (command == "select") {
      if (!parseInt(tail, n)) return fail("expected a number: " + tail);
      return done(driver_.selectRow(first, n), "no control " + first);
    }
    if (command == "answer") {
      backend_.queueAnswer(rest);
      return true;
    }
    if (command == "resize") {
      int h = 0;
      if (!parseInt(first, n) || !parseInt(tail, h)) return fail("expected W H: " + rest);
      return done(driver_.resize(n, h), "no active window");
    }
    if (command == "close") return done(driver_.close(), "no active window");
    if (command == "dump") {
      flush();
      const std::string dump = driver_.dump();
      if (dump.empty()) return fail("no active window");
      out_ << dump;
      return true;
    }
    return fail("unknown command " + command);
  }

  void flush() {
    for (const auto& line : backend_.takeTranscript()) out_ << line << "\n";
  }

 private:
  bool settled() { return done(driver_.settle(), "the program did not come to rest"); }

  bool done(bool ok, const std::string& why) {
    flush();
    if (!ok) out_ << "error: " << why << "\n";
    return ok;
  }

  bool fail(const std::string& why) { return done(false, why); }

  runtime::HeadlessBackend backend_;
  runtime::HeadlessDriver driver_{backend_};
  std::ostream& out_;
};

}  // namespace

int runScript(std::istream& script, std::ostream& transcript) {
  Runner runner(transcript);
  bool ok = true;
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    ok = runner.run(line) && ok;
  }
  runner.flush();
  return ok ? 0 : 2;
}

}  // namespace phonedir::script
