#pragma once

#include <QDate>
#include <QWidget>

namespace velmora::app {

// Creates every control of the main window inside `window`, named, placed and
// captioned as designed, the timers not running. Controls inside a group box
// are its children with coordinates relative to it; the others are children of
// the window with coordinates relative to its client area, stacked above the
// group boxes they overlap. The date boxes start at `today`.
void BuildMainWindowControls(QWidget& window, QDate today);

}  // namespace velmora::app
