#include "skin/contrast.h"

#include <algorithm>
#include <cmath>

namespace velmora::skin {

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

double RelativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace velmora::skin
