#include "ui/transparent_label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace velmora::ui {

namespace {
constexpr int kStretchStep = 5;
constexpr int kOneLineFlags = Qt::AlignLeft | Qt::AlignTop;

bool Fits(const QFont& font, const QRect& room, const QString& text, int flags) {
    const QRect needed = QFontMetrics(font).boundingRect(room, flags, text);
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
    if (text().isEmpty()) {
        return font();
    }
    // Every caption of the layout was drawn to stand on one line; a line broken
    // in the middle of a date ("…59" / "秒") reads worse than a slightly
    // narrower face. So: one line as it is, then one line condensed, then
    // wrapped as it is, then wrapped condensed.
    for (const int flags : {kOneLineFlags, kTextFlags}) {
        if (Fits(font(), room, text(), flags)) {
            return font();
        }
        QFont condensed = font();
        for (int stretch = 100 - kStretchStep; stretch >= kMinimumStretch;
             stretch -= kStretchStep) {
            condensed.setStretch(stretch);
            if (Fits(condensed, room, text(), flags)) {
                return condensed;
            }
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
    // Word wrap stays on: a condensed text that fits on one line is drawn on
    // one line anyway.
    style()->drawItemText(&painter, contentsRect(), kTextFlags, palette(), isEnabled(), text(),
                          foregroundRole());
}

}  // namespace velmora::ui
