#include "ui/fatal_error.h"

#include <cstdlib>

namespace velmora::ui {

QString FatalErrorText(const QString& message) {
    return QStringLiteral("运行时出错!\n\n错误信息：") + message + QStringLiteral("\n");
}

std::unique_ptr<QMessageBox> MakeFatalErrorBox(const QString& message) {
    auto box = std::make_unique<QMessageBox>();
    box->setWindowTitle(QStringLiteral("错误"));
    box->setText(FatalErrorText(message));
    box->setTextFormat(Qt::PlainText);
    box->setIcon(QMessageBox::Critical);
    box->setStandardButtons(QMessageBox::Ok);
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

int ShowFatalErrorBox(const QString& message) {
    MakeFatalErrorBox(message)->exec();
    return kFatalErrorExitCode;
}

void ExitWithFatalError(const QString& message) {
    std::exit(ShowFatalErrorBox(message));
}

}  // namespace velmora::ui
