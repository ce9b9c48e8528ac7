#include "skin/skin_style.h"

#include <algorithm>
#include <utility>

#include <qdrawutil.h>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

namespace velmora::skin {

namespace {

constexpr int kToolButtonRadius = 2;
constexpr int kIndicatorRadius = 3;
// A disabled control is drawn faded into what lies beneath it.
constexpr double kDisabledOpacity = 0.55;

// `from` moved `share` (0 to 1) of the way to `to`.
QColor MixColours(const QColor& from, const QColor& to, double share) {
    return QColor::fromRgbF(
        static_cast<float>(from.redF() + (to.redF() - from.redF()) * share),
        static_cast<float>(from.greenF() + (to.greenF() - from.greenF()) * share),
        static_cast<float>(from.blueF() + (to.blueF() - from.blueF()) * share));
}

QGradientStops FirstOf(std::initializer_list<const QGradientStops*> faces, const QColor& solid) {
    for (const QGradientStops* face : faces) {
        if (!face->isEmpty()) {
            return *face;
        }
    }
    return {{0.0, solid}};
}

// The rectangle a pen of `width` strokes inside `rect`, and the largest radius
// that still fits it.
std::pair<QRectF, double> Inset(const QRect& rect, int width, int radius) {
    const double half = width / 2.0;
    const QRectF inner = QRectF(rect).adjusted(half, half, -half, -half);
    const double fitting = std::min(inner.width(), inner.height()) / 2.0;
    return {inner, std::min<double>(radius, fitting)};
}

QBrush FaceBrush(const QGradientStops& stops, const QRectF& rect) {
    if (stops.size() == 1) {
        return stops.first().second;
    }
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setStops(stops);
    return gradient;
}

}  // namespace

SkinStyle::SkinStyle(SkinLook look)
    : QProxyStyle(QStringLiteral("Fusion")), m_look(std::move(look)) {
}

void SkinStyle::drawButton(const QStyleOption& option, QPainter& painter, int radius) const {
    const QPalette& palette = option.palette;
    const bool enabled = option.state & State_Enabled;
    const bool pressed = option.state & (State_Sunken | State_On);
    const bool hovered = enabled && (option.state & State_MouseOver);
    const QColor button = palette.color(QPalette::Button);
    const QGradientStops stops =
        pressed   ? FirstOf({&m_look.buttonPressedFace, &m_look.buttonFace}, button)
        : hovered ? FirstOf({&m_look.buttonHoverFace, &m_look.buttonFace}, button)
                  : FirstOf({&m_look.buttonFace}, button);

    painter.save();
    if (!enabled) {
        painter.setOpacity(kDisabledOpacity);
    }
    if (m_look.raisedEdges) {
        const QBrush face = FaceBrush(stops, option.rect);
        qDrawWinButton(&painter, option.rect, palette, pressed, &face);
    } else {
        const bool focused = (option.state & State_HasFocus) && m_look.focusBorder;
        const QColor border = focused ? *m_look.focusBorder
                                      : m_look.buttonBorder.value_or(palette.color(QPalette::Mid));
        const auto [rect, rounding] = Inset(option.rect, m_look.borderWidth, radius);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(FaceBrush(stops, rect));
        painter.setPen(m_look.borderWidth > 0 ? QPen(border, m_look.borderWidth) : QPen(Qt::NoPen));
        painter.drawRoundedRect(rect, rounding, rounding);
    }
    painter.restore();
}

void SkinStyle::drawField(const QStyleOption& option, QPainter& painter, bool fill) const {
    const QPalette& palette = option.palette;
    painter.save();
    if (m_look.raisedEdges) {
        const QBrush base = palette.base();
        qDrawWinPanel(&painter, option.rect, palette, true, fill ? &base : nullptr);
    } else {
        const bool focused = (option.state & State_HasFocus) && m_look.focusBorder;
        const QColor border = focused ? *m_look.focusBorder
                                      : m_look.fieldBorder.value_or(palette.color(QPalette::Mid));
        const auto [rect, rounding] = Inset(option.rect, m_look.borderWidth, m_look.fieldRadius);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(fill ? palette.base() : QBrush(Qt::NoBrush));
        painter.setPen(m_look.borderWidth > 0 ? QPen(border, m_look.borderWidth) : QPen(Qt::NoPen));
        painter.drawRoundedRect(rect, rounding, rounding);
    }
    painter.restore();
}

void SkinStyle::drawGroupFrame(const QStyleOption& option, QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const int width = m_look.groupBorder ? std::max(m_look.borderWidth, 1) : 0;
    const auto [rect, rounding] = Inset(option.rect, width, m_look.groupRadius);
    if (m_look.groupFill) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(*m_look.groupFill);
        painter.drawRoundedRect(rect, rounding, rounding);
    }
    if (m_look.groupBorder) {
        if (m_look.groupRule) {
            painter.setPen(QPen(*m_look.groupBorder, width));
            painter.drawLine(rect.topLeft(), rect.topRight());
        } else if (m_look.raisedEdges) {
            qDrawShadeRect(&painter, option.rect, option.palette, true, 1, 0);
        } else {
            painter.setPen(QPen(*m_look.groupBorder, width));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(rect, rounding, rounding);
        }
    }
    painter.restore();
}

void SkinStyle::drawIndicator(const QStyleOption& option, QPainter& painter, bool round) const {
    const QPalette& palette = option.palette;
    const QColor text = palette.color(QPalette::Text);
    // The box's edge is drawn from the text colour, not the field border: on a
    // dark skin a field border is made to blend in, and an empty box must not.
    const bool focused = (option.state & State_HasFocus) && m_look.focusBorder;
    const QColor edge =
        focused ? *m_look.focusBorder : MixColours(text, palette.color(QPalette::Base), 0.35);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!(option.state & State_Enabled)) {
        painter.setOpacity(kDisabledOpacity);
    }
    const QRectF box = QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(palette.base());
    if (round) {
        painter.drawEllipse(box);
    } else {
        const double radius = std::min(m_look.fieldRadius, kIndicatorRadius);
        painter.drawRoundedRect(box, radius, radius);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(text);
    if (round && (option.state & State_On)) {
        const double inset = box.width() * 0.3;
        painter.drawEllipse(box.adjusted(inset, inset, -inset, -inset));
    } else if (!round && (option.state & State_NoChange)) {
        const double inset = box.width() * 0.25;
        painter.drawRect(
            QRectF(box.left() + inset, box.center().y() - 1, box.width() - 2 * inset, 2));
    } else if (!round && (option.state & State_On)) {
        const QRectF mark = box.adjusted(box.width() * 0.22, box.height() * 0.22,
                                         -box.width() * 0.22, -box.height() * 0.22);
        QPainterPath tick;
        tick.moveTo(mark.left(), mark.center().y());
        tick.lineTo(mark.left() + mark.width() * 0.4, mark.bottom());
        tick.lineTo(mark.right(), mark.top());
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(text, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
    }
    painter.restore();
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
    switch (element) {
        case PE_PanelButtonCommand:
            if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
                button != nullptr && !(button->features & QStyleOptionButton::Flat)) {
                drawButton(*option, *painter, m_look.buttonRadius);
                return;
            }
            break;
        case PE_PanelButtonTool:
            drawButton(*option, *painter, std::min(m_look.buttonRadius, kToolButtonRadius));
            return;
        case PE_PanelLineEdit:
            if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
                frame != nullptr && frame->lineWidth > 0) {
                drawField(*option, *painter, true);
                return;
            }
            break;
        case PE_FrameLineEdit:
            drawField(*option, *painter, false);
            return;
        case PE_FrameGroupBox:
            drawGroupFrame(*option, *painter);
            return;
        case PE_IndicatorCheckBox:
            drawIndicator(*option, *painter, false);
            return;
        case PE_IndicatorRadioButton:
            drawIndicator(*option, *painter, true);
            return;
        default:
            break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (control == CC_GroupBox && m_look.groupTitle) {
        if (const auto* group = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
            // Fusion draws the title in the window text colour.
            QStyleOptionGroupBox titled = *group;
            titled.palette.setColor(QPalette::WindowText, *m_look.groupTitle);
            QProxyStyle::drawComplexControl(control, &titled, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

}  // namespace velmora::skin
