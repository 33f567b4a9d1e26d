// The input panes' document layout: every block wraps exactly as Qt's own
// plain-text layout wraps it at word boundaries (or anywhere within a word
// too wide for its line), but in time that grows with the block's length
// however long its unbroken stretches are.
//
// Qt lays each line out by first measuring the whole word the line starts
// with, and only when that word is too wide for the line lays the line out
// again, breaking anywhere. A stretch of L characters with no place to
// break it costs L for each line it fills: L squared over the characters a
// line holds (a 64 Ki-character stretch: seconds in the serial pane).
//
// Blocks whose stretches are all at most kLongStretch characters are left
// to Qt. A block that holds a longer one is laid out here, line by line,
// with Qt's own QTextLine: a line that starts with more than kLongStretch
// characters of one stretch is laid out breaking anywhere at once, which is
// what Qt's second pass gives; every other line is laid out as Qt lays it.
// Should such a start fit its line after all (characters of next to no
// width), that line is laid out again as Qt lays it.
#pragma once

#include <QPlainTextDocumentLayout>

#include <utility>

namespace numerlo {

class WrapLayout : public QPlainTextDocumentLayout {
    Q_OBJECT

  public:
    // The longest stretch left to Qt. No character a pane holds is narrower
    // than 2.4 px in the panes' 12 px face, so a longer stretch is wider
    // than any pane's line (133 px at most).
    static constexpr qsizetype kLongStretch = 128;

    // Installs itself as `document`'s layout, drawing for `device`.
    WrapLayout(QTextDocument* document, QPaintDevice* device);

    [[nodiscard]] QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Where each line of `block` starts in its text, and how long it is, as
    // the pane lays out the block's own text: without any text an input
    // method is composing in it, which is shown but not yet the pane's.
    [[nodiscard]] QList<std::pair<int, int>> ownLines(const QTextBlock& block) const;

  protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

  private:
    [[nodiscard]] bool holdsLongStretch(const QTextBlock& block) const;
    // Lays `block` out as QPlainTextDocumentLayout does, with each line's
    // own wrap mode, and keeps the document's line count.
    void layoutLongBlock(const QTextBlock& block);
    // Lays `layout` out at `width`, each line in its own wrap mode.
    void layoutLines(QTextLayout* layout, const QString& text, qreal width) const;
    // The width Qt lays lines out at now. Qt keeps it to itself, but any
    // block it lays out shows it: an empty block of a document of our own
    // costs nothing to lay out.
    [[nodiscard]] qreal lineWidth() const;

    int blockCount_ = 1;      // as QPlainTextDocumentLayout counts them
    bool notifying_ = false;  // documentSizeChanged() is being emitted
    QTextDocument* probe_;    // holds the empty block for lineWidth()
};

}  // namespace numerlo
