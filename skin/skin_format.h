#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QByteArrayView>
#include <QColor>
#include <QGradientStops>
#include <QPalette>
#include <QString>

namespace velmora::skin {

// How a skin draws controls beyond their palette colours. A value left out is
// taken from the palette (faces from Button, button and field borders from Mid,
// the group title from WindowText), or is none (group fill and border), or 0
// (radii), or 1 (border width).
struct SkinLook {
    QGradientStops buttonFace;         // top to bottom; one stop: a solid face
    QGradientStops buttonHoverFace;    // under the pointer
    QGradientStops buttonPressedFace;  // held down, or checked
    std::optional<QColor> buttonBorder;
    int buttonRadius = 0;
    // Raised and sunken 3-D edges drawn from the palette's bevel shades, in
    // place of flat borders, on buttons and edit fields.
    bool raisedEdges = false;
    int borderWidth = 1;  // of the flat borders
    std::optional<QColor> fieldBorder;
    int fieldRadius = 0;
    std::optional<QColor> focusBorder;  // a button or field holding the focus
    std::optional<QColor> groupFill;
    std::optional<QColor> groupBorder;  // none: no border
    int groupRadius = 0;
    bool groupRule = false;  // only a rule along the top, in groupBorder
    std::optional<QColor> groupTitle;
};

// A skin as the library reads it: UTF-8 text, lines ending in LF or CRLF.
//
//   VELMORA-SKIN 1                  the first line, exactly
//   Name: 素雅 Quiet                then "Key: value" lines in any order;
//   Window: #eef0f3                 empty lines and lines starting with "#"
//   ButtonFace: 0 #eceef2, 1 #dfe3e9    are skipped
//   ButtonRadius: 4
//
// Keys:
// - Name: free text.
// - The palette roles, by QPalette::ColorRole's names (Window, WindowText,
//   Base, AlternateBase, Text, Button, ButtonText, BrightText, Highlight,
//   HighlightedText, ToolTipBase, ToolTipText, PlaceholderText, Link,
//   LinkVisited, Light, Midlight, Mid, Dark, Shadow): an #rrggbb colour. A role
//   left out keeps the default palette's colour.
// - ButtonFace, ButtonHoverFace, ButtonPressedFace: a colour, or gradient stops
//   "position colour" separated by commas, positions from 0 (top) to 1
//   (bottom) in rising order.
// - ButtonBorder, FieldBorder, FocusBorder, GroupTitle: a colour.
// - GroupFill, GroupBorder: a colour or "none".
// - ButtonRadius, FieldRadius, GroupRadius: 0 to 12 pixels; BorderWidth: 0 to
//   3 pixels. Nothing in a skin changes a size: controls keep their places,
//   sizes and fonts.
// - Edges: "flat" or "raised"; GroupRule: "yes" or "no".
// Anything else (a wrong first line, a line without ": ", an unknown or
// repeated key, a value out of form or range, bytes that are not UTF-8) makes
// the bytes no skin.
struct Skin {
    QString name;
    std::vector<std::pair<QPalette::ColorRole, QColor>> colours;  // in the order given
    SkinLook look;

    // The colour the skin gives `role`, if it gives one.
    std::optional<QColor> colour(QPalette::ColorRole role) const;
};

inline constexpr const char* kSkinFirstLine = "VELMORA-SKIN 1";
inline constexpr int kMaximumRadius = 12;
inline constexpr int kMaximumBorderWidth = 3;

// The skin in `bytes`, or nothing with the reason in *error (when error is not
// null), naming the line at fault: "line 3: unknown key Colour".
std::optional<Skin> ParseSkin(QByteArrayView bytes, QString* error = nullptr);

// The role named `name` ("WindowText"), if the format knows it.
std::optional<QPalette::ColorRole> RoleNamed(QStringView name);

// `base` with the skin's colours in all three colour groups. The bevel shades
// (Light, Midlight, Mid, Dark, Shadow) the skin leaves out are made from its
// Button colour, and disabled texts are drawn part of the way to their
// backgrounds, so a skin need not list them.
QPalette SkinPalette(const Skin& skin, const QPalette& base);

}  // namespace velmora::skin
