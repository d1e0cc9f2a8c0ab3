#include "gui/frame_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/icons.h"
#include "gui/tool_strip.h"
#include "gui/window_timer.h"
#include "runtime/runtime.h"

namespace gui {
namespace {

// Below this the frame opens over the whole screen.
constexpr QSize kSmallScreen(1024, 768);

QString text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// The menu's commands with an access key each: a command without one gets the first letter
// of its text that no command before it uses.
std::vector<QString> withAccessKeys(const std::vector<QString>& texts) {
  QString taken;
  for (const QString& t : texts) {
    const QString key = QKeySequence::mnemonic(t).toString();
    if (!key.isEmpty()) taken += key.back().toUpper();
  }
  std::vector<QString> out;
  for (QString t : texts) {
    if (QKeySequence::mnemonic(t).isEmpty()) {
      for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].isLetter() && !taken.contains(t[i].toUpper())) {
          taken += t[i].toUpper();
          t.insert(i, '&');
          break;
        }
      }
    }
    out.push_back(t);
  }
  return out;
}

}  // namespace

FrameWindow::FrameWindow(const runtime::WindowSnapshot& s) : id_(s.id), thread_(s.thread) {
  setObjectName(text(s.proc));
  setFont(windowFont(s.fontName, s.fontSize));
  units_ = DialogUnits(font());

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  strip_ = new ToolStrip(central);
  strip_->setObjectName("toolbar");
  strip_->setPreferredHeight(units_.y(toolbarHeightOf(s)));
  strip_->setWallpaper(catalogueWallpaper(s.toolbarWallpaper));
  strip_->setVisible(toolbarHeightOf(s) > 0);
  layout->addWidget(strip_);
  mdi_ = new QMdiArea(central);
  mdi_->setObjectName("mdiArea");
  // Closing a work window hands the activation back to the one used before it.
  mdi_->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  // A work window moved or opened past the area's edges is reached by scrolling.
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  const QPixmap wallpaper = catalogueWallpaper(s.wallpaper);
  if (!wallpaper.isNull()) mdi_->setBackground(QBrush(wallpaper));
  layout->addWidget(mdi_, 1);
  setCentralWidget(central);

  toolbar_ = new ControlSet(
      nullptr, strip_,
      [this](const runtime::Event& e) {
        // The buttons never take the focus, so an entry being edited in the window in use
        // still holds its text: it goes to that window first, as a click elsewhere would send
        // it, and a text its picture refuses drops the press.
        if (toolbarGate_ && !toolbarGate_()) return;
        // The frame's procedure relays the press to the active work window.
        runtime::deliver(id_, e);
        emit toolbarPressed();
      },
      this);
  toolbar_->setUnits(units_);

  buildMenu(s);
  buildStatusBar(s);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (usable()) sendCode(runtime::ev::Timer);
  });

  // The design size is the least the frame gets; it opens large enough to hold a few work
  // windows side by side. A small screen it takes whole: a part of one would not hold even
  // the city directory.
  const QSize design(units_.x(s.width), units_.y(s.height));
  QSize size = design;
  if (const QScreen* sc = screen()) {
    const QRect avail = sc->availableGeometry();
    const bool small =
        avail.width() < kSmallScreen.width() || avail.height() < kSmallScreen.height();
    size = small ? avail.size()
                 : size.expandedTo(QSize(avail.width() * 3 / 4, avail.height() * 4 / 5))
                       .boundedTo(avail.size());
    resize(size);
    move(avail.center() - QPoint(width() / 2, height() / 2));
  } else {
    resize(size);
  }
}

FrameWindow::~FrameWindow() {
  delete toolbar_;
  toolbar_ = nullptr;
}

void FrameWindow::sendCode(int code, int field) const {
  runtime::Event e;
  e.code = code;
  e.field = field;
  runtime::deliver(id_, e);
}

void FrameWindow::buildMenu(const runtime::WindowSnapshot& s) {
  // The desktop style marks a bar entry only while a menu of its hangs open, and the frame's
  // entries open none: F10 and the arrow keys would move over the bar without showing where.
  menuBar()->setStyleSheet(
      QStringLiteral("QMenuBar::item:selected { background: palette(highlight); color: "
                     "palette(highlighted-text); }"));
  for (const runtime::ControlSnapshot& c : s.controls) {
    if (c.kind != runtime::ControlKind::MenuItem) continue;
    // The frame's commands are top-level entries of the menu bar, each acting at once.
    QAction* action = menuBar()->addAction(text(c.text));
    action->setObjectName(text(c.label));
    const int number = c.number;
    connect(action, &QAction::triggered, this, [this, number] {
      // Chosen by mouse or keyboard alike; no key of the procedures' own.
      runtime::Event e;
      e.code = runtime::ev::Accepted;
      e.field = number;
      e.key = runtime::key::None;
      runtime::deliver(id_, e);
    });
    menu_[number] = action;
  }
}

void FrameWindow::buildStatusBar(const runtime::WindowSnapshot& s) {
  if (s.statusZones.empty()) {
    statusBar()->hide();
    return;
  }
  auto* zones = new QWidget(statusBar());
  auto* layout = new QHBoxLayout(zones);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (size_t i = 0; i < s.statusZones.size(); ++i) {
    auto* zone = new QLabel(zones);
    zone->setObjectName(QString("statusZone%1").arg(i + 1));
    zone->setTextFormat(Qt::PlainText);
    zone->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    zone->setContentsMargins(4, 0, 4, 0);
    const int width = s.statusZones[i];
    if (width < 0) {
      // Takes what the others leave, down to nothing; its text may be cut, theirs never.
      zone->setMinimumWidth(1);
      layout->addWidget(zone, 1);
    } else {
      zone->setFixedWidth(units_.x(width));
      layout->addWidget(zone, 0);
    }
    zones_.push_back(zone);
  }
  statusBar()->addWidget(zones, 1);
  statusBar()->setSizeGripEnabled(true);
}

void FrameWindow::apply(const runtime::WindowSnapshot& s) {
  const bool first = !built_;
  built_ = true;
  const runtime::WindowSnapshot old = std::exchange(snap_, s);
  setWindowTitle(text(s.caption));
  if (first || s.icon != old.icon) {
    const QIcon icon = catalogueIcon(s.icon);
    if (!icon.isNull()) setWindowIcon(icon);
  }
  std::vector<const runtime::ControlSnapshot*> items;
  std::vector<QString> texts;
  for (const runtime::ControlSnapshot& c : s.controls) {
    if (c.kind != runtime::ControlKind::MenuItem || menu_.count(c.number) == 0) continue;
    items.push_back(&c);
    texts.push_back(text(c.text));
  }
  texts = withAccessKeys(texts);
  for (size_t i = 0; i < items.size(); ++i) {
    QAction* action = menu_[items[i]->number];
    action->setText(texts[i]);
    action->setVisible(!items[i]->hidden);
    action->setEnabled(!items[i]->disabled);
  }
  refreshStatus();
  applyTimerPeriod(timer_, s.timer, old.timer, first);
  refreshEnabled();
}

void FrameWindow::applyToolbar(const std::vector<runtime::ControlSnapshot>& buttons) {
  toolbar_->apply(buttons, snap_.width);
  strip_->updateGeometry();
}

void FrameWindow::refreshStatus() {
  bool resized = false;
  for (size_t i = 0; i < zones_.size(); ++i) {
    QString t = i < snap_.statusTexts.size() ? text(snap_.statusTexts[i]) : QString();
    if (i == 0 && !controlStatus_.isEmpty()) t = controlStatus_;
    QLabel* zone = zones_[i];
    zone->setText(t);
    const int design = i < snap_.statusZones.size() ? snap_.statusZones[i] : -1;
    if (design < 0) continue;
    // A zone of its own width is at least as wide as its text.
    const QMargins m = zone->contentsMargins();
    const int needed =
        zone->fontMetrics().horizontalAdvance(t) + m.left() + m.right() + 2 * zone->frameWidth();
    const int width = std::max(units_.x(design), needed);
    if (zone->width() != width || zone->minimumWidth() != width) {
      zone->setFixedWidth(width);
      resized = true;
    }
  }
  if (resized || !minimumSet_) keepStatusWhole();
}

void FrameWindow::keepStatusWhole() {
  // The frame never gets smaller than its design size, nor than its status bar needs to
  // show the zones of their own width whole.
  minimumSet_ = true;
  statusBar()->updateGeometry();
  const QSize design(units_.x(snap_.width), units_.y(snap_.height));
  const int needed =
      statusBar()->isVisible() || !zones_.empty() ? statusBar()->minimumSizeHint().width() : 0;
  setMinimumSize(std::max(design.width(), needed), design.height());
}

void FrameWindow::showControlStatus(const QString& status) {
  controlStatus_ = status;
  refreshStatus();
}

void FrameWindow::refreshEnabled() {
  menuBar()->setEnabled(usable());
  strip_->setEnabled(usable());
}

void FrameWindow::setThreadModal(bool on) {
  threadModal_ = on;
  refreshEnabled();
}

void FrameWindow::setBusyCursor(bool on) {
  if (on) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

QAction* FrameWindow::menuAction(int number) const {
  const auto it = menu_.find(number);
  return it == menu_.end() ? nullptr : it->second;
}

QLabel* FrameWindow::statusZone(int index) const {
  return index >= 0 && index < static_cast<int>(zones_.size()) ? zones_[index] : nullptr;
}

void FrameWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Coming back to the program (or from a window of its own) refreshes the frame.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && built_) {
    sendCode(runtime::ev::GainFocus);
  }
}

void FrameWindow::keyPressEvent(QKeyEvent* event) {
  // F10 takes the keyboard to the menu bar, as Alt does: the press and release of Alt that
  // the menu bar watches for.
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier && usable()) {
    for (const QEvent::Type type : {QEvent::ShortcutOverride, QEvent::KeyPress}) {
      QKeyEvent altDown(type, Qt::Key_Alt, Qt::AltModifier);
      QCoreApplication::sendEvent(this, &altDown);
    }
    QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &altUp);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The frame's procedure decides; it closes the frame through its model.
  event->ignore();
  if (usable()) {
    if (!closeGate_ || closeGate_()) sendCode(runtime::ev::CloseWindow);
  } else {
    QApplication::beep();
  }
}

}  // namespace gui
