#include "label_colours.h"

#include <algorithm>
#include <cmath>

namespace numerlo {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// The least contrast for normal text at the guidelines' level AA.
constexpr double kReadable = 4.5;

}  // namespace

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkWindow(const QColor& window) {
    return contrastRatio(window, Qt::white) > contrastRatio(window, Qt::black);
}

LabelColours labelColours(const QColor& window, const QColor& windowText) {
    if (!isDarkWindow(window)) {
        return {Qt::black, QColor(0xFF, 0x00, 0x00)};
    }
    // Red mixed with ever more white; white itself reads at more than 4.5:1
    // on any dark window.
    QColor red(0xFF, 0x00, 0x00);
    for (int mix = 0; mix <= 0xFF && contrastRatio(red, window) < kReadable; ++mix) {
        red = QColor(0xFF, mix, mix);
    }
    return {windowText, red};
}

}  // namespace numerlo
