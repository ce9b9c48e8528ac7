#pragma once

#include <memory>

#include <QMessageBox>
#include <QString>

namespace velmora::ui {

// The exit code of a program that met a condition it cannot continue from.
inline constexpr int kFatalErrorExitCode = -1;

// "运行时出错!", two line breaks, "错误信息：", the message, a line break.
QString FatalErrorText(const QString& message);

// The fatal error box, not yet shown: titled "错误", error icon, OK only, owned
// by no window.
std::unique_ptr<QMessageBox> MakeFatalErrorBox(const QString& message);

// Shows the fatal error box and waits until it is closed; returns
// kFatalErrorExitCode for the caller to end the process with. For main(), which
// can unwind normally.
int ShowFatalErrorBox(const QString& message);

// Shows the fatal error box, then ends the process at once with
// kFatalErrorExitCode. For code deep inside a handler that cannot unwind to
// main(). Needs a QApplication.
[[noreturn]] void ExitWithFatalError(const QString& message);

}  // namespace velmora::ui
