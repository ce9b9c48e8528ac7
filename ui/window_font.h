#pragma once

#include <QFont>
#include <QStringList>

namespace velmora::ui {

// The windows' text size: 12 px, the 9 pt at 96 dpi the layout was drawn for.
inline constexpr int kWindowFontPixelSize = 12;

// Font families in order of preference: the Song face the layout was drawn with,
// then CJK faces common on Linux whose metrics keep every caption inside its
// control at 12 px.
QStringList PreferredWindowFontFamilies();

// A 12 px font of the first preferred family that is installed; when none is,
// the application's default family at 12 px.
QFont WindowFont();

}  // namespace velmora::ui
