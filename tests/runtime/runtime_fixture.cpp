#include "runtime_fixture.h"

namespace runtime {
namespace {

ControlDef control(int number, ControlKind kind, std::string label) {
  ControlDef c;
  c.number = number;
  c.kind = kind;
  c.label = std::move(label);
  return c;
}

}  // namespace

WindowDef simpleWindow(const std::string& proc) {
  WindowDef w;
  w.proc = proc;
  w.caption = "Окно";
  w.width = 100;
  w.height = 60;
  ControlDef entry = control(1, ControlKind::Entry, "?LOC:NAME");
  entry.picture = "s10";
  ControlDef count = control(2, ControlKind::Entry, "?LOC:COUNT");
  count.picture = "n_8";
  ControlDef ask = control(3, ControlKind::Button, "?ASK");
  ask.text = "&Спросить";
  ControlDef ok = control(4, ControlKind::Button, "?OK");
  ok.text = "&OK";
  w.controls = {entry, count, ask, ok};
  return w;
}

WindowDef listWindow(const std::string& proc) {
  WindowDef w = simpleWindow(proc);
  ControlDef list = control(5, ControlKind::List, "?LIST");
  list.rect = {0, 0, 90, 50};
  list.format = "40L(2)|M~Имя~@s10@";
  w.controls.push_back(list);
  return w;
}

}  // namespace runtime
