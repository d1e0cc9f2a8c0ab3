#include "program_harness.h"

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "data/records.h"
#include "data_files.h"
#include "demo_town.h"
#include "gui/entry_edit.h"
#include "runtime/locale/charset.h"
#include "shell/globals.h"
#include "shell/program.h"
#include "storage/record_fields.h"

namespace gui::test {
namespace {

// Where the test program was started: a relative PHONEDIR_SCREENSHOTS is taken from here,
// not from the data folder a test works in.
const std::filesystem::path kStartFolder = std::filesystem::current_path();

}  // namespace

void ProgramTest::SetUp() {
  GuiTest::SetUp();
  dir_ = std::filesystem::temp_directory_path() /
         ("phonedir-gui-" + std::to_string(getpid()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
}

void ProgramTest::TearDown() {
  // Every procedure thread ends before the folder goes.
  GuiTest::TearDown();
  std::filesystem::current_path(previous_);
  std::filesystem::remove_all(dir_);
}

void ProgramTest::makeTown(int subscribers, int moreStreets) {
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(datatool::demo(dir_.string(), subscribers, out, err), 0) << err.str();
  if (moreStreets <= 0) return;
  // More streets of the kinds the demo has few of: squares and highways named as its lanes
  // and avenues are.
  std::vector<std::string> names;
  datatool::demoStreets([&](const phonedir::STR_RECORD& r) {
    const std::string name =
        runtime::toUtf8(storage::storedText(phonedir::STREET_FILE().fields[1], &r));
    for (const auto& [from, to] : {std::pair{"пер. ", "пл. "}, std::pair{"пр. ", "ш. "}}) {
      if (name.rfind(from, 0) == 0) names.push_back(to + name.substr(std::string(from).size()));
    }
  });
  const std::filesystem::path csv = dir_ / "more_streets.csv";
  {
    std::ofstream f(csv);
    f << "NUM,NAME\n";
    for (int i = 0; i < moreStreets && i < static_cast<int>(names.size()); ++i) {
      f << datatool::kDemoStreets + 1 + i << "," << names[i] << "\n";
    }
  }
  ASSERT_EQ(datatool::load(dir_.string(), "STREET", csv.string(), out, err), 0) << err.str();
  std::filesystem::remove(csv);
}

FrameWindow* ProgramTest::startProgram() {
  start(&phonedir::_main);
  FrameWindow* frame = waitFrame();
  if (frame == nullptr) return nullptr;
  // The size the frame opens at on a 1280 by 900 screen; the offscreen one is smaller.
  frame->resize(960, 720);
  if (waitView("PERSONAL") == nullptr) return nullptr;
  settle();
  return frame;
}

PageList* ProgramTest::waitList(WindowView* view, int number, int rows) {
  PageList* list = listIn(view, number);
  if (list == nullptr || !until([&] { return list->pageRows() >= rows; })) return nullptr;
  settle();
  return list;
}

PageList* listIn(WindowView* view, int number) {
  return view != nullptr ? qobject_cast<PageList*>(view->control(number)) : nullptr;
}

void typeText(QWidget* w, const QString& text) {
  for (char32_t u : text.toUcs4()) {
    const QString one = QString::fromUcs4(&u, 1);
    QKeyEvent press(QEvent::KeyPress, u == U' ' ? Qt::Key_Space : Qt::Key_unknown, Qt::NoModifier,
                    one);
    QApplication::sendEvent(w, &press);
  }
}

void pressKey(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(w, &press);
}

void enterText(WindowView* view, int number, const QString& text) {
  auto* edit = qobject_cast<EntryEdit*>(view->control(number));
  ASSERT_NE(edit, nullptr) << number;
  edit->setFocus();
  edit->selectAll();
  typeText(edit, text);  // not QTest::keyClicks: it knows only ASCII
  QTest::keyClick(edit, Qt::Key_Return);
}

void clickButton(WindowView* view, int number) {
  auto* b = qobject_cast<QAbstractButton*>(view->control(number));
  ASSERT_NE(b, nullptr) << number;
  b->click();
}

QString entryText(WindowView* view, int number) {
  auto* edit = qobject_cast<EntryEdit*>(view != nullptr ? view->control(number) : nullptr);
  return edit != nullptr ? edit->text() : QString("<no entry>");
}

QMenu* shownMenu() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* menu = qobject_cast<QMenu*>(w);
    if (menu != nullptr && menu->isVisible()) return menu;
  }
  return nullptr;
}

QMessageBox* shownBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

QStringList menuItems(const QMenu& menu) {
  QStringList items;
  for (const QAction* a : menu.actions()) {
    items << (a->isSeparator() ? QString("-") : (a->isEnabled() ? "" : "~") + a->text());
  }
  return items;
}

QImage screenshot(FrameWindow* frame, const std::vector<WindowView*>& views) {
  QImage shot = frame->grab().toImage();
  QPainter painter(&shot);
  const QPoint origin = frame->mapToGlobal(QPoint(0, 0));
  for (WindowView* v : views) {
    if (v->outer() != v || !v->isVisible()) continue;  // work windows are inside the frame
    QStyle* style = v->style();
    QStyleOptionTitleBar bar;
    bar.initFrom(v);
    const int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, &bar, v);
    const QPoint at = v->mapToGlobal(QPoint(0, 0)) - origin;
    bar.rect = QRect(0, 0, v->width(), titleHeight);
    bar.text = v->windowTitle();
    bar.icon = v->windowIcon();
    bar.titleBarFlags = v->windowFlags();
    bar.titleBarState = Qt::WindowActive;
    bar.state |= QStyle::State_Active | QStyle::State_Enabled;
    bar.subControls =
        QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton | QStyle::SC_TitleBarSysMenu;
    bar.palette.setCurrentColorGroup(QPalette::Active);
    painter.save();
    painter.translate(at - QPoint(0, titleHeight));
    style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, v);
    painter.restore();
    painter.drawImage(at, v->grab().toImage());
    painter.setPen(v->palette().color(QPalette::Dark));
    painter.drawRect(QRect(at - QPoint(1, titleHeight + 1),
                           QSize(v->width() + 1, v->height() + titleHeight + 1)));
  }
  return shot;
}

bool keepScreenshot(const QImage& picture, const std::string& name) {
  const char* folder = std::getenv("PHONEDIR_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0') return false;
  const std::filesystem::path path = kStartFolder / folder / name;
  return picture.save(QString::fromStdString(path.string()));
}

}  // namespace gui::test
