#pragma once

#include <QLineEdit>
#include <QString>

namespace velmora::ui {

// Writes an edit box's text so that its text-changed event fires exactly once,
// before this returns, even when the text does not change: the input rules hang
// on that event, and code that restores a box expects them to have run.
// QLineEdit::setText alone stays silent for an unchanged text.
void WriteEditText(QLineEdit& edit, const QString& text);

}  // namespace velmora::ui
