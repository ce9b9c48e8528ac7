#include "ui/spin_edit.h"

#include <QKeyEvent>
#include <QToolButton>

#include "schedule/texts.h"
#include "ui/edit_text.h"

namespace velmora::ui {

std::int32_t SpinStep(std::int32_t n, std::int32_t minimum, std::int32_t maximum, int direction) {
    // In 64 bits: n comes from whatever the user typed and may sit at the edge
    // of the 32-bit range.
    const std::int64_t next = std::int64_t{n} + (direction >= 0 ? 1 : -1);
    if (next >= minimum && next <= maximum) {
        return static_cast<std::int32_t>(next);
    }
    return direction >= 0 ? minimum : maximum;
}

namespace {

QToolButton* MakeArrow(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // The box keeps the focus: a click on an arrow must not take it away
    // before the step gives it back and selects the text.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

SpinEdit::SpinEdit(std::int32_t minimum, std::int32_t maximum, QWidget* parent)
    : QLineEdit(parent),
      m_minimum(minimum),
      m_maximum(maximum),
      m_buttons(new QWidget(parent)),
      m_up(MakeArrow(Qt::UpArrow, m_buttons)),
      m_down(MakeArrow(Qt::DownArrow, m_buttons)) {
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    // Destroyed with the box, not left behind in the parent.
    connect(this, &QObject::destroyed, m_buttons, &QObject::deleteLater);
    placeButtons();
}

void SpinEdit::stepBy(int direction) {
    if (!isEnabled() || !isVisible()) {
        return;
    }
    const std::int32_t n = schedule::TextToInt(text().toStdString());
    WriteEditText(*this, QString::number(SpinStep(n, m_minimum, m_maximum, direction)));
    selectAll();
    setFocus(Qt::OtherFocusReason);
}

void SpinEdit::placeButtons() {
    if (m_buttons->parentWidget() != parentWidget()) {
        m_buttons->setParent(parentWidget());
    }
    const QRect box = geometry();
    m_buttons->setGeometry(box.x() + box.width(), box.y(), kSpinButtonWidth, box.height());
    const int upHeight = box.height() / 2;
    m_up->setGeometry(0, 0, kSpinButtonWidth, upHeight);
    m_down->setGeometry(0, upHeight, kSpinButtonWidth, box.height() - upHeight);
    // Only an explicit hide of the box hides the arrows for good; when the
    // parent hides, both go with it anyway.
    m_buttons->setHidden(isHidden());
    m_buttons->setEnabled(isEnabled());
    m_buttons->stackUnder(this);
}

bool SpinEdit::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::EnabledChange:
        case QEvent::ParentChange:
        case QEvent::ZOrderChange:
            placeButtons();
            break;
        default:
            break;
    }
    return QLineEdit::event(event);
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        stepBy(event->key() == Qt::Key_Up ? +1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace velmora::ui
