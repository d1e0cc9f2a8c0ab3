#pragma once
// The real program under the widget tests: a demo town made by the data tool in a folder of
// its own, the program's main procedure (the frame, then the personal directory) on a
// procedure thread over the Qt backend, and what a user does with the mouse and the keys.
// A picture of the screen is the frame with the windows of their own drawn over it, each
// under a title bar as the window system draws one; it is written to the folder named by
// PHONEDIR_SCREENSHOTS when that is set.

#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <filesystem>
#include <string>

#include "gui/frame_window.h"
#include "gui/page_list.h"
#include "gui_harness.h"

QT_BEGIN_NAMESPACE
// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace gui::test {

class ProgramTest : public GuiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // STREET, PHONE and PERSONAL of a demo town with `subscribers` subscribers; `moreStreets`
  // streets (at most 100) beyond the demo's 200.
  void makeTown(int subscribers, int moreStreets = 0);
  // Starts the program as at launch and waits for the frame and the personal directory.
  FrameWindow* startProgram();
  // A window of the program once it shows, and the list in it once it holds `rows` rows.
  PageList* waitList(WindowView* view, int number, int rows = 1);

  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::filesystem::path previous_;
};

PageList* listIn(WindowView* view, int number);

// Key presses as the keyboard makes them: `text` typed character by character (a blank is
// the Space key), or one key with modifiers.
void typeText(QWidget* w, const QString& text);
void pressKey(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier);
// Types into an entry of a window and accepts it with Enter.
void enterText(WindowView* view, int number, const QString& text);
void clickButton(WindowView* view, int number);
QString entryText(WindowView* view, int number);

// The menu or message box that is up, or null.
QMenu* shownMenu();
QMessageBox* shownBox();
// Item texts of a menu, separators as "-", greyed items with a leading "~".
QStringList menuItems(const QMenu& menu);

// The frame with every visible window of its own drawn over it where it stands.
QImage screenshot(FrameWindow* frame, const std::vector<WindowView*>& views);
// Writes the picture to $PHONEDIR_SCREENSHOTS/name; false when the variable is not set.
bool keepScreenshot(const QImage& picture, const std::string& name);

}  // namespace gui::test
