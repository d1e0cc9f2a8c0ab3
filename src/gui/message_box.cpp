#include "gui/message_box.h"

#include <QAbstractButton>
#include <QPushButton>
#include <array>

namespace gui {
namespace {

constexpr std::array<int, 8> kOrder = {runtime::button::Ok,     runtime::button::Yes,
                                       runtime::button::No,     runtime::button::Abort,
                                       runtime::button::Retry,  runtime::button::Ignore,
                                       runtime::button::Cancel, runtime::button::Help};

// Captions the locale did not supply.
constexpr std::array<const char*, 8> kPlainCaptions = {"&OK",    "&Yes",    "&No",     "&Abort",
                                                       "&Retry", "&Ignore", "&Cancel", "&Help"};

QMessageBox::Icon iconOf(runtime::Icon icon) {
  switch (icon) {
    case runtime::Icon::Information:
      return QMessageBox::Information;
    case runtime::Icon::Exclamation:
      return QMessageBox::Warning;
    case runtime::Icon::Question:
      return QMessageBox::Question;
    case runtime::Icon::Hand:
      return QMessageBox::Critical;
    case runtime::Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// The buttons the box shows: a request without any known button still gets OK.
int shownButtons(const runtime::MessageRequest& r) {
  int set = 0;
  for (int b : kOrder) set |= (r.buttons & b);
  return set != 0 ? set : runtime::button::Ok;
}

int defaultOf(const runtime::MessageRequest& r) {
  const int shown = shownButtons(r);
  if ((shown & r.defaultButton) != 0 && (r.defaultButton & (r.defaultButton - 1)) == 0) {
    return r.defaultButton;
  }
  for (int b : kOrder) {
    if ((shown & b) != 0) return b;
  }
  return runtime::button::Ok;
}

}  // namespace

int messageBoxFallback(const runtime::MessageRequest& request) {
  if ((shownButtons(request) & runtime::button::Cancel) != 0) return runtime::button::Cancel;
  return defaultOf(request);
}

QMessageBox* buildMessageBox(const runtime::MessageRequest& r, QWidget* parent) {
  auto* box = new QMessageBox(parent);
  box->setObjectName("messageBox");
  box->setWindowModality(Qt::NonModal);
  box->setWindowTitle(QString::fromStdString(r.title));
  box->setTextFormat(Qt::PlainText);
  box->setText(QString::fromStdString(r.text));
  box->setIcon(iconOf(r.icon));
  const int shown = shownButtons(r);
  const int fallback = messageBoxFallback(r);
  const int preferred = defaultOf(r);
  for (size_t i = 0; i < kOrder.size(); ++i) {
    const int b = kOrder[i];
    if ((shown & b) == 0) continue;
    QString caption = i < r.captions.size() ? QString::fromStdString(r.captions[i]) : QString();
    if (caption.isEmpty()) caption = kPlainCaptions[i];
    // One role for all: the button box then keeps the order the buttons were added in,
    // whatever the desktop's convention. Esc and the default are set explicitly below.
    QPushButton* button = box->addButton(caption, QMessageBox::ActionRole);
    button->setProperty("answer", b);
    if (b == preferred) box->setDefaultButton(button);
    if (b == fallback) box->setEscapeButton(button);
  }
  return box;
}

int messageBoxAnswer(const QMessageBox& box, const runtime::MessageRequest& request) {
  if (const QAbstractButton* clicked = box.clickedButton()) {
    bool ok = false;
    const int answer = clicked->property("answer").toInt(&ok);
    if (ok && answer != 0) return answer;
  }
  return messageBoxFallback(request);
}

}  // namespace gui
