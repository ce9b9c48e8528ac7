#pragma once

#include <QProxyStyle>

#include "skin/skin_format.h"

namespace velmora::skin {

// Qt's Fusion style, painting push buttons, tool buttons, edit fields, check
// and radio boxes and group boxes the way a skin's look says (faces, borders,
// radii, edges, group fill and title colour). It paints only: every size, margin and font is
// Fusion's, so a skin never moves or cuts a control. Flat buttons are left to Fusion.
class SkinStyle final : public QProxyStyle {
public:
    explicit SkinStyle(SkinLook look);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

    const SkinLook& look() const { return m_look; }

private:
    void drawButton(const QStyleOption& option, QPainter& painter, int radius) const;
    void drawField(const QStyleOption& option, QPainter& painter, bool fill) const;
    void drawGroupFrame(const QStyleOption& option, QPainter& painter) const;
    void drawIndicator(const QStyleOption& option, QPainter& painter, bool round) const;

    SkinLook m_look;
};

}  // namespace velmora::skin
