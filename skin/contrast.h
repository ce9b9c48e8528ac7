#pragma once

#include <QColor>

namespace velmora::skin {

// The contrast ratio of two colours as WCAG 2 defines it, from 1 (the same
// luminance) to 21 (black on white); the order does not matter. Text needs 4.5
// against its background to read well. Alpha is ignored.
double ContrastRatio(const QColor& a, const QColor& b);

// WCAG 2's relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(const QColor& colour);

}  // namespace velmora::skin
