#pragma once
// The controls of one window as widgets: built from the first snapshot, brought up to date by
// every later one, and turned back into events for the window's procedure. Positions come in
// dialog units relative to the client area (or to the toolbar strip for toolbar controls);
// nesting in the catalogue is logical only, so every control is a child of the client area
// and a hidden or disabled group hides or disables what lies inside it. Every event made of
// the user's input carries the key or mouse button that caused it; a key or button a control
// alerts reaches its procedure as an alerted key.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "gui/dialog_units.h"
#include "runtime/event.h"
#include "runtime/snapshot.h"

class QAbstractButton;

namespace gui {

class ControlSet : public QObject {
  Q_OBJECT
 public:
  using Sender = std::function<void(const runtime::Event&)>;

  // `client` holds the body's controls, `strip` the toolbar's (may be null).
  ControlSet(QWidget* client, QWidget* strip, Sender send, QObject* parent = nullptr);

  void setUnits(const DialogUnits& units) { units_ = units; }
  void setInfoIcon(bool on) { infoIcon_ = on; }

  // Builds the widgets on the first call; later calls update them. `windowWidth` in dialog
  // units (for controls as wide as the window).
  void apply(const std::vector<runtime::ControlSnapshot>& controls, int windowWidth);
  // Moves the keyboard focus where the model says it is, when the procedure moved it since
  // (`moves` counts its moves). The model's focus alone may be older than the user's last
  // move, whose notice is still on its way to the procedure.
  void applyFocus(int number, int moves);
  // Presses a button by a key (runtime::key) as a click would; false when it cannot be
  // pressed (no such button, hidden or disabled).
  bool press(int number, int key);
  // Presses the window's default button the same way; false when it has none to press.
  bool pressDefault(int key);
  // A button pressed without taking the focus (an access key, Esc, a button that never takes
  // it), or the window's close box, acts on the record as the window shows it: the focused
  // entry's edited text goes to the model first. False when the entry's picture refused the
  // text: the press is dropped, and the field, rejected, keeps the focus.
  bool acceptFocusedEntry();

  QWidget* widget(int number) const;
  int numberOf(const QObject* widget) const;  // 0 when not a control of this set
  const runtime::ControlSnapshot* control(int number) const;
  // Lists whose real row count differs from what the model last knew: (number, rows).
  std::vector<std::pair<int, int>> listsToMeasure();

 signals:
  // The status text of the control that took the focus; empty when it left.
  void statusText(const QString& text);
  // Enter in an entry handed its text in.
  void entryEntered();
  // A list shows another number of whole rows while its window kept its size.
  void listRowsChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Item {
    runtime::ControlSnapshot snap;
    QPointer<QWidget> widget;
    int reportedRows = -1;  // last row count sent for a list
    std::string icon;       // the icon shown, by catalogue name
  };

  QWidget* create(const runtime::ControlSnapshot& c);
  // A click sends the button's event once the focused entry's text is in.
  void connectPress(QAbstractButton* button, int number);
  void addToolbarShortcut(QAbstractButton* button);
  // A key that presses the button: in its window, or from any window for the frame's toolbar.
  void addShortcut(QAbstractButton* button, const std::string& key);
  void update(Item& item, bool first);
  QRect geometryOf(const Item& item) const;
  QSize naturalSize(const Item& item) const;
  bool hiddenInEffect(const Item& item) const;
  bool disabledInEffect(const Item& item) const;
  const Item* find(int number) const;
  void linkPrompts();
  void send(runtime::Event event, int field);
  void accepted(int field, std::optional<std::string> text = std::nullopt);
  void sendSelected(int number);
  // Turns a key or mouse press the control alerts into its alerted-key event; true when it
  // did (the control then never sees it). Notes the input that may accept a control next.
  bool alertedInput(QObject* watched, QEvent* event);

  QPointer<QWidget> client_;
  QPointer<QWidget> strip_;
  Sender send_;
  DialogUnits units_;
  bool infoIcon_ = false;
  int windowWidth_ = 0;
  std::vector<Item> items_;
  std::map<int, size_t> byNumber_;
  int appliedMoves_ = -1;  // the procedure's focus moves given so far
  int reportedFocus_ = 0;
  int toolbarShortcuts_ = 0;  // Ctrl+digit shortcuts given to the window's toolbar buttons
  bool focusing_ = false;
  int lastInput_ = runtime::key::MouseLeft;  // the key or button of the user's last input
  // The button whose mouse press took the focus from an entry that refused its text, and
  // whether the click now under way is that press's.
  QPointer<QWidget> refusedPressOn_;
  bool dropClick_ = false;
};

}  // namespace gui
