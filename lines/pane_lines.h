// The input panes' lines without the panes: the font they are drawn in, the
// width their lines are laid out at, and the lines a text fills there, as a
// pane wraps it (at word boundaries, and anywhere within a stretch wider
// than the line). The window draws its panes with these; a program without
// a window reads the same lines with them.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <string_view>

namespace numerlo::lines {

// The face asked for, and the one that stands in for it on Linux: its
// advance widths match for ASCII and the full-width digits.
inline const QString kFontFamily = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kStandInFamily = QStringLiteral("Ume P Gothic");

// Each pane's frame (the default style's one-pixel line) and its inner
// margin, as a native edit control has, in pixels on each side.
inline constexpr int kPaneFrame = 1;
inline constexpr int kPaneMargin = 2;

// The face asked for, with the stand-in face put in its place; no size yet.
[[nodiscard]] QFont windowFace();

// `face` at `pixels96` pixels at 96 dpi, on a screen of `dpi`.
[[nodiscard]] QFont pixelFont(const QFont& face, int pixels96, bool bold, qreal dpi);

// The geometry factor for a window drawn in `windowFont`: 1 unless the
// font's full line height differs from 12 px.
[[nodiscard]] double layoutScale(const QFont& windowFont);

// The font a pane draws in, given the window's. The stand-in face has every
// character a pane shows but the control characters, the user-defined area
// and the stand-ins for unreadable bytes. Qt would look through every other
// installed face for those, at every layout, and draw and wrap them by
// whatever face it finds; with the stand-in face they keep its own box.
[[nodiscard]] QFont paneFont(const QFont& windowFont);

// The width a pane's lines are laid out at: the pane's own (`control`, a
// name in form_layout.h) at `scale`, less its frame and margins.
[[nodiscard]] qreal lineWidth(std::string_view control, double scale);

// The first `count` lines `text` fills at `width` in `font`: each line
// break ends a line, and a line too wide for `width` goes on in the next.
// Fewer when the text has fewer. Only the lines asked for are laid out.
[[nodiscard]] QStringList firstLines(const QString& text, const QFont& font, qreal width,
                                     int count);

}  // namespace numerlo::lines
