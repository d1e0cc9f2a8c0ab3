#include <string>

#include "city/city.h"
#include "layout/frame_window.h"
#include "layout/windows.h"
#include "personal/personal.h"
#include "runtime/clock.h"
#include "runtime/locale/charset.h"
#include "runtime/picture.h"
#include "runtime/runtime.h"
#include "search/search.h"
#include "shell/frame_startup.h"
#include "shell/procedure.h"
#include "shell/program.h"

namespace phonedir {
namespace {

constexpr int kWorkWindowStack = 25000;

// Seven names of 11 characters each, Sunday first.
const char* const kDayNames =
    "ВоскресеньеПонедельникВторник    Среда      Четверг    Пятница    Суббота    ";

// The frame's loop gives the focus to its first control; the frame has none of its own, so the
// focus stays with the frame.
constexpr int kFirstControl = 1;

const char* const kStatusLine = "Выберите справочник в меню, листайте кнопками панели";

struct MenuEntry {
  int number;
  void (*proc)();
  const char* caption;
};

const MenuEntry kMenu[] = {
    {layout::frame::PERSONAL, &PERSONAL, "Телефонный справочник (личный)"},
    {layout::frame::GJROD, &GOROD, "Телефонный справочник (г.Верболесск)"},
    {layout::frame::POISK, &POISK, "Поиск в городском телефонном справочнике"},
};

// Zone 2: the day of the week and the date; zone 3: the time.
void showDateTime() {
  static const std::string dayNames = runtime::cp(kDayNames);
  const int day = runtime::today();
  const int weekday = ((day % 7) + 7) % 7;
  std::string name = dayNames.substr(static_cast<size_t>(weekday) * 11, 11);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  runtime::Window& w = runtime::window();
  w.statusTexts[1] = name + ", " + runtime::Picture("D6.").format(std::to_string(day));
  w.statusTexts[2] = runtime::Picture("T4").format(std::to_string(runtime::clockHundredths()));
}

}  // namespace

void START() {
  runFrame(layout::frameWindow());
}

void runFrame(const runtime::WindowDef& definition) {
  RequestScope request;
  bool WINDOWINITIALIZED = false;
  bool FORCEREFRESH = false;
  FrameFiles files;  // PHONE, claimed for the frame's whole life

  // PREPAREPROCEDURE
  files.open();
  runtime::openWindow(definition);
  runtime::window().statusTexts[0] = runtime::cp(kStatusLine);
  files.convertOldNumbers();
  runtime::start(&PERSONAL);

  runtime::Window& frame = runtime::window();
  if (frame.timer < 1 || frame.timer > 100) frame.timer = 100;
  showDateTime();

  auto REFRESHWINDOW = [&] {
    runtime::display();
    FORCEREFRESH = false;
  };
  while (const int e = runtime::event()) {
    if (e == runtime::ev::OpenWindow) {
      if (!WINDOWINITIALIZED) {
        REFRESHWINDOW();
        WINDOWINITIALIZED = true;
      }
      runtime::select(kFirstControl);
    } else if (e == runtime::ev::GainFocus) {
      FORCEREFRESH = true;
      REFRESHWINDOW();
      WINDOWINITIALIZED = true;
    } else if (e == runtime::ev::Rejected) {
      runtime::beep();
      runtime::display(runtime::focus());
      runtime::select(runtime::focus());
    } else {
      const int control = runtime::accepted();
      if (control >= layout::frame::kToolbarFirst && control <= layout::frame::kToolbarLast) {
        runtime::postToThread(runtime::activeThread(), runtime::ev::Accepted, control);
        continue;
      }
      if (e == runtime::ev::Timer) showDateTime();
    }
    for (const MenuEntry& entry : kMenu) {
      if (runtime::accepted() == entry.number) {
        runtime::start(entry.proc, kWorkWindowStack);
        runtime::window().caption = runtime::cp(entry.caption);
      }
    }
  }
  // PROCEDURERETURN
  files.close();
  runtime::closeWindow();
}

}  // namespace phonedir
