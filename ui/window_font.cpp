#include "ui/window_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace velmora::ui {

QStringList PreferredWindowFontFamilies() {
    return {QStringLiteral("SimSun"),           QStringLiteral("宋体"),
            QStringLiteral("NSimSun"),          QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
            QStringLiteral("WenQuanYi Zen Hei")};
}

QFont WindowFont() {
    QFont font = QApplication::font();
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : PreferredWindowFontFamilies()) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamilies({family});
            break;
        }
    }
    font.setPixelSize(kWindowFontPixelSize);
    return font;
}

}  // namespace velmora::ui
