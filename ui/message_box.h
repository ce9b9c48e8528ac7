#pragma once

#include <memory>

#include <QMessageBox>
#include <QString>

namespace velmora::ui {

// The three kinds of message box the program shows; the numbers are the style
// values the rest of the program passes around.
inline constexpr int kStyleExclamation = 48;  // exclamation icon, OK
inline constexpr int kStyleInformation = 64;  // information icon, OK
inline constexpr int kStyleOkCancel = 1;      // no icon, OK and Cancel

inline constexpr int kResultOk = 0;
inline constexpr int kResultCancel = 1;

// The box ShowMessageBox runs, not yet shown: owned by no window and modal to
// the whole application, so it comes up even while the main window is hidden in
// the tray. Any other style value gives a plain OK box.
std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, const QString& title, int style);

// Shows the box and waits for it, processing events meanwhile (timers keep
// ticking underneath). Returns kResultOk, or kResultCancel when Cancel was
// chosen or the box was closed without choosing in a box that has Cancel.
int ShowMessageBox(const QString& text, const QString& title, int style);

}  // namespace velmora::ui
