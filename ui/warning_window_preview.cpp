// Opens one warning window on the real display and lets it run its whole life
// on its own timer, then ends: how scripts/warning_screenshot.py shows the window
// beside the main window, before the watchers open it themselves.
//   velmora_warning_preview [action [lead]]     defaults: 关机 30

#include <QApplication>
#include <QIcon>
#include <QObject>
#include <QString>

#include "ui/warning_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString action = arguments.size() > 1 ? arguments.at(1) : QStringLiteral("关机");
    const QString lead = arguments.size() > 2 ? arguments.at(2) : QStringLiteral("30");

    velmora::ui::WarningWindowOpener opener{QIcon()};
    opener.open(action, lead);
    QObject::connect(opener.window(), &QObject::destroyed, &application, &QApplication::quit);
    return QApplication::exec();
}
