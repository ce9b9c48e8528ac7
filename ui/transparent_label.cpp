#include "ui/transparent_label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace velmora::ui {

namespace {
constexpr int kStretchStep = 5;

bool Fits(const QFont& font, const QRect& room, const QString& text) {
    const QRect needed = QFontMetrics(font).boundingRect(room, TransparentLabel::kTextFlags, text);
    return room.contains(needed);
}
}  // namespace

TransparentLabel::TransparentLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
}

QFont TransparentLabel::fittedFont() const {
    const QRect room = contentsRect();
    if (text().isEmpty() || Fits(font(), room, text())) {
        return font();
    }
    QFont condensed = font();
    for (int stretch = 100 - kStretchStep; stretch >= kMinimumStretch; stretch -= kStretchStep) {
        condensed.setStretch(stretch);
        if (Fits(condensed, room, text())) {
            return condensed;
        }
    }
    return font();
}

void TransparentLabel::paintEvent(QPaintEvent* event) {
    const QFont drawn = fittedFont();
    if (drawn == font()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(drawn);
    style()->drawItemText(&painter, contentsRect(), kTextFlags, palette(), isEnabled(), text(),
                          foregroundRole());
}

}  // namespace velmora::ui
