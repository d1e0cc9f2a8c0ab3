#pragma once
// Message boxes for the runtime's requests: the requested icon, text and buttons, in the
// fixed order OK, Yes, No, Abort, Retry, Ignore, Cancel, Help, with the locale's captions.

#include <QMessageBox>

#include "runtime/backend.h"

namespace gui {

// The answer a box gives when it is closed without a button (Esc, the close box, or the
// program quitting): Cancel when the box has it, otherwise its default button.
int messageBoxFallback(const runtime::MessageRequest& request);

// A non-modal box; each button carries its answer in the "answer" property.
QMessageBox* buildMessageBox(const runtime::MessageRequest& request, QWidget* parent);

// The answer of a finished box.
int messageBoxAnswer(const QMessageBox& box, const runtime::MessageRequest& request);

}  // namespace gui
