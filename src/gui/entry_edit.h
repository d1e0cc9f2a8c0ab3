#pragma once
// A one-line entry bound to a variable: it shows the value the model gives it, refuses
// characters the system's single-byte character set cannot hold, and hands the text back
// when the user accepts it (Enter always; Tab or leaving the field when it was edited).

#include <QLineEdit>
#include <string>

namespace gui {

class EntryEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit EntryEdit(QWidget* parent = nullptr);

  // The picture the value is shown through; `width` characters at most (0 unbounded).
  void setPicture(const std::string& picture, int width);
  // The model's value. Replaces what is shown when the model's value changed, or when the
  // user's last accepted text is still waiting for the model's answer.
  void showValue(const QString& value);
  // Hands the text back as Enter would, when the user edited it since it was last handed
  // back: a press that leaves the focus here (an access key, Esc, a toolbar button) must act
  // on what the field shows. False when the picture refused the text.
  bool acceptEdited();
  // Drops what the user typed and did not hand back: the field shows the model's value again,
  // and the model's next value replaces it whatever it is.
  void dropEdit();

 signals:
  void accepted(const QString& text);
  // Enter handed the text back and the picture took it.
  void enterAccepted();
  // The text handed back was refused by the picture; the field shows the model's value again.
  void refused();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool accept();
  // As long as it may be and showing no value (a number's picture fills the field with zeros
  // and separators): nothing typed could go in unless it replaces the text.
  bool fullWithoutValue() const;

  std::string picture_;
  QString modelValue_;
  bool awaitingModel_ = false;
  bool focusedByPress_ = false;  // the mouse press under way gave the field the focus
};

}  // namespace gui
