#include "pane_lines.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>

#include "form_layout.h"

namespace numerlo::lines {

QFont windowFace() {
    // Linux has no such face and no alias for it; without this the request
    // silently falls back to a face with much wider digits.
    QFont::insertSubstitution(kFontFamily, kStandInFamily);
    QFont face(kFontFamily);
    face.setStyleHint(QFont::SansSerif);
    return face;
}

QFont pixelFont(const QFont& face, int pixels96, bool bold, qreal dpi) {
    QFont font = face;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels96 * dpi / 96.0))));
    font.setBold(bold);
    return font;
}

double layoutScale(const QFont& windowFont) {
    // Everything is laid out for a 12 px "0"; a face that measures otherwise
    // scales every position and size with it. The measured height is the
    // font's full line height, not the glyph box.
    const int measured = QFontMetrics(windowFont).height();
    return measured == layout::kWindowFontPixels
               ? 1.0
               : static_cast<double>(measured) / layout::kWindowFontPixels;
}

QFont paneFont(const QFont& windowFont) {
    QFont font = windowFont;
    if (QFontInfo(font).family() == kStandInFamily) {
        font.setStyleStrategy(QFont::NoFontMerging);
    }
    return font;
}

qreal lineWidth(std::string_view control, double scale) {
    const auto* placement =
        std::find_if(layout::kControls.begin(), layout::kControls.end(),
                     [control](const layout::Placement& p) { return p.name == control; });
    if (placement == layout::kControls.end()) {
        return 0;
    }
    const int pane = static_cast<int>(std::lround(placement->width * scale));
    return pane - 2 * kPaneFrame - 2 * kPaneMargin;
}

QStringList firstLines(const QString& text, const QFont& font, qreal width, int count) {
    // Each line is laid out as the panes' plain-text document lays it out:
    // at word boundaries, or anywhere within a word too wide for its line.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    qsizetype start = 0;
    while (lines.size() < count && start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) {
            end = text.size();
        }
        const QString block = text.mid(start, end - start);
        QTextLayout layout(block, font);
        layout.setTextOption(option);
        layout.beginLayout();
        const qsizetype before = lines.size();
        while (lines.size() < count) {
            QTextLine line = layout.createLine();
            if (!line.isValid()) {
                break;
            }
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            lines.append(block.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        if (lines.size() == before) {
            lines.append(block);  // an empty line is a line too
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace numerlo::lines
