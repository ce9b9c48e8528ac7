#pragma once

#include <QPushButton>

namespace velmora::ui {

// A push button whose caption breaks onto further lines when it does not fit on
// one, centred both ways, as a multi-line Windows button does: the window has a
// 32 x 32 button captioned with four characters.
class PushButton : public QPushButton {
    Q_OBJECT

public:
    PushButton(const QString& text, QWidget* parent);

    // The rectangle the caption is laid out in.
    QRect captionRect() const;

    // Flags for QPainter::drawText / QFontMetrics::boundingRect in captionRect().
    static constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace velmora::ui
