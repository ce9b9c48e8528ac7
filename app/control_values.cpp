#include "app/control_values.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>

#include "app/main_window.h"

namespace velmora::app {

std::string BoxText(const MainWindow& window, const char* name) {
    const auto* box = window.control<QLineEdit>(QString::fromUtf8(name));
    return box != nullptr ? box->text().toStdString() : std::string();
}

bool IsTicked(const MainWindow& window, const char* name) {
    const auto* button = window.control<QAbstractButton>(QString::fromUtf8(name));
    return button != nullptr && button->isChecked();
}

std::int32_t ComboIndex(const MainWindow& window, const char* name) {
    const auto* combo = window.control<QComboBox>(QString::fromUtf8(name));
    return combo != nullptr ? combo->currentIndex() : -1;
}

schedule::DateTime DateBoxValue(const MainWindow& window) {
    const auto* box = window.control<QDateEdit>(QStringLiteral("日期框1"));
    if (box == nullptr) {
        return schedule::kMinDateTime;
    }
    const QDate date = box->date();
    return schedule::MakeDateTime(date.year(), date.month(), date.day(), 0, 0, 0);
}

}  // namespace velmora::app
