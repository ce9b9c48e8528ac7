#pragma once

#include <QFont>
#include <QLabel>

namespace velmora::ui {

// A caption drawn straight onto its parent, as a Windows static control draws
// it: no background of its own, text from the top left, broken onto further
// lines at the label's width.
//
// The layout was drawn for a 12 px Song face in which every caption stands on
// one line; CJK faces on Linux are a little wider and need 14 px a line. A text
// that would break onto a second line (or lose it, in a 24 px label) is drawn
// condensed instead, as little as keeps it on one line, down to kMinimumStretch
// percent of its width; only a text that fits no other way is wrapped.
class TransparentLabel : public QLabel {
    Q_OBJECT

public:
    static constexpr int kMinimumStretch = 80;
    static constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

    TransparentLabel(const QString& text, QWidget* parent);

    // The font the text is drawn in: font(), or font() condensed as above. When
    // even the narrowest allowed stretch does not fit, font() and the text is
    // cut at the bottom as a static control would cut it.
    QFont fittedFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace velmora::ui
