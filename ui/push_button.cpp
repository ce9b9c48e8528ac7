#include "ui/push_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace velmora::ui {

namespace {
// Room between the bevel's outer edge and the caption. The styles' own button
// margins are meant for wide buttons and would leave a 32 x 32 button no room
// for two lines of two characters; a line of a 12 px CJK face is 15 px high.
constexpr int kCaptionMarginX = 2;
constexpr int kCaptionMarginY = 1;
}  // namespace

PushButton::PushButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
}

QRect PushButton::captionRect() const {
    return rect().adjusted(kCaptionMarginX, kCaptionMarginY, -kCaptionMarginX, -kCaptionMarginY);
}

void PushButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect textRect = captionRect();
    if (isDown() || isChecked()) {
        textRect.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, kCaptionFlags, caption);
}

}  // namespace velmora::ui
