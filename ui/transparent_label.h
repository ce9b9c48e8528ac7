#pragma once

#include <QFont>
#include <QLabel>

namespace velmora::ui {

// A caption drawn straight onto its parent, as a Windows static control draws
// it: no background of its own, text from the top left, broken onto further
// lines at the label's width.
//
// The layout was drawn for a 12 px Song face whose lines are 12 px apart; CJK
// faces on Linux need 14 px a line, so a caption that wraps to two lines in a 24
// px label would lose its second line. Such a text is drawn condensed instead,
// as little as makes it fit, down to kMinimumStretch percent of its width.
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
