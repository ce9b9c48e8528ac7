#pragma once

#include <cstdint>

#include <QLineEdit>

class QToolButton;

namespace velmora::ui {

// One step of a spin button on the whole number n at the start of a box's text:
// n + direction when that lies in [minimum, maximum], otherwise the bound at the
// far end, so the value wraps. With the range 0-59: 59 up gives 0, 0 down gives
// 59, 75 up gives 0. direction is +1 (up) or -1 (down).
std::int32_t SpinStep(std::int32_t n, std::int32_t minimum, std::int32_t maximum, int direction);

// An edit box with a spin button (an up and a down arrow, 18 px wide, as high as
// the box) placed immediately to the right of the box, outside it, like a
// Windows up-down control with its buddy. The arrows are a sibling widget in the
// same parent, so the box keeps the exact geometry it is given and is found by
// its own object name; the arrows follow the box's position, size, visibility and
// enabled state.
//
// A step (an arrow click while the box is enabled and visible, or the Up/Down
// key in the box) reads the whole number at the start of the text
// (schedule::TextToInt, 0 when there is none), applies SpinStep, writes the
// result as plain decimal text with WriteEditText (so the box's text-changed
// handlers run), selects all of it and gives the box the keyboard focus.
class SpinEdit : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kSpinButtonWidth = 18;

    SpinEdit(std::int32_t minimum, std::int32_t maximum, QWidget* parent);

    std::int32_t minimum() const { return m_minimum; }
    std::int32_t maximum() const { return m_maximum; }

    // The arrow pair, for tests and for the skins that restyle it.
    QWidget* spinButtons() const { return m_buttons; }
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    // direction +1 for up, -1 for down. Does nothing while the box is disabled or
    // not visible.
    void stepBy(int direction);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void placeButtons();

    std::int32_t m_minimum;
    std::int32_t m_maximum;
    QWidget* m_buttons;
    QToolButton* m_up;
    QToolButton* m_down;
};

}  // namespace velmora::ui
