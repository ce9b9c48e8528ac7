#include "ui/edit_text.h"

namespace velmora::ui {

void WriteEditText(QLineEdit& edit, const QString& text) {
    if (edit.text() == text) {
        emit edit.textChanged(text);
        return;
    }
    edit.setText(text);
}

}  // namespace velmora::ui
