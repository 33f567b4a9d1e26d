// The colours of the captions, the notice and the status line. They were
// drawn for a light window: black, and a pure red. On a dark window black
// cannot be read, so there the captions and the notice take the palette's
// text colour and the status line a red light enough to read.
#pragma once

#include <QColor>

namespace numerlo {

// Relative luminance and the contrast ratio of two colours, as the Web
// Content Accessibility Guidelines define them (1:1 to 21:1).
[[nodiscard]] double relativeLuminance(const QColor& colour);
[[nodiscard]] double contrastRatio(const QColor& a, const QColor& b);

// A window colour on which white reads better than black.
[[nodiscard]] bool isDarkWindow(const QColor& window);

struct LabelColours {
    QColor caption;  // the captions and the notice
    QColor status;   // the status line
};

// The colours for labels on `window`, whose palette gives `windowText`.
// Light windows keep black and #FF0000; on dark ones the status line's red
// is lightened until it reads at 4.5:1 or more.
[[nodiscard]] LabelColours labelColours(const QColor& window, const QColor& windowText);

}  // namespace numerlo
