// WrapLayout: Qt's own wrapping, laid out here for blocks with long stretches.
#include "wrap_layout.h"

#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <vector>

namespace numerlo {

namespace {

// A blank a line may end at; it then hangs past the line's edge. A no-break
// space is none.
bool isBreakingBlank(QChar c) {
    return c.isSpace() && c.decompositionTag() != QChar::NoBreak;
}

// A blank that Qt puts on a line only together with the word after it, so
// that the line is too wide exactly when blanks and word are. A tab goes on
// a line by itself, and a line separator ends the line.
bool isLeadingBlank(QChar c) {
    return isBreakingBlank(c) && c != u'\t' && c != QChar::LineSeparator;
}

// The positions of `text` where a stretch ends, in order: where Qt's line
// breaker allows a break, where a blank a line may end at stands, and the
// end of the text.
std::vector<qsizetype> stretchEnds(const QString& text) {
    std::vector<bool> isEnd(static_cast<std::size_t>(text.size()) + 1, false);
    isEnd.back() = true;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    for (qsizetype at = breaks.toNextBoundary(); at > 0; at = breaks.toNextBoundary()) {
        isEnd[static_cast<std::size_t>(at)] = true;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isBreakingBlank(text[i])) {
            isEnd[static_cast<std::size_t>(i)] = true;
        }
    }
    std::vector<qsizetype> ends;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        if (isEnd[static_cast<std::size_t>(i)]) {
            ends.push_back(i);
        }
    }
    return ends;
}

bool hasLongStretch(const QString& text) {
    qsizetype start = 0;
    for (const qsizetype end : stretchEnds(text)) {
        while (start < end && isBreakingBlank(text[start])) {
            ++start;
        }
        if (end - start > WrapLayout::kLongStretch) {
            return true;
        }
        start = end;
    }
    return false;
}

// The text a block's layout holds: the block's own, with any text being
// composed in an input method shown inside it.
QString layoutText(const QTextBlock& block) {
    QString text = block.text();
    if (const QTextLayout* layout = block.layout(); !layout->preeditAreaText().isEmpty()) {
        text.insert(layout->preeditAreaPosition(), layout->preeditAreaText());
    }
    return text;
}

}  // namespace

WrapLayout::WrapLayout(QTextDocument* document, QPaintDevice* device)
    : QPlainTextDocumentLayout(document), probe_(new QTextDocument(this)) {
    setPaintDevice(device);
    document->setDocumentLayout(this);
}

bool WrapLayout::holdsLongStretch(const QTextBlock& block) const {
    // Only wrapping at word boundaries or anywhere lays a line out twice.
    return block.length() - 1 + block.layout()->preeditAreaText().size() > kLongStretch &&
           document()->defaultTextOption().wrapMode() ==
               QTextOption::WrapAtWordBoundaryOrAnywhere &&
           hasLongStretch(layoutText(block));
}

QRectF WrapLayout::blockBoundingRect(const QTextBlock& block) const {
    // Qt lays a block out here when it has no lines: after an edit across
    // blocks, a new width, font or option, a new text.
    if (block.isValid() && block.layout()->lineCount() == 0 && holdsLongStretch(block)) {
        const_cast<WrapLayout*>(this)->layoutLongBlock(block);
    }
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

QList<std::pair<int, int>> WrapLayout::ownLines(const QTextBlock& block) const {
    [[maybe_unused]] const QRectF laidOut = blockBoundingRect(block);  // laid out now
    const QTextLayout* shown = block.layout();
    // Laid out again without the composition only where there is one.
    QTextLayout own(block.text(), document()->defaultFont(), paintDevice());
    if (!shown->preeditAreaText().isEmpty()) {
        layoutLines(&own, block.text(), lineWidth());
        shown = &own;
    }
    QList<std::pair<int, int>> lines;
    for (int i = 0; i < shown->lineCount(); ++i) {
        lines.append({shown->lineAt(i).textStart(), shown->lineAt(i).textLength()});
    }
    return lines;
}

void WrapLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    QTextDocument* doc = document();
    // Qt lays a block out at once, whatever lines it has, when the change
    // stays within it and the number of blocks holds; otherwise it only
    // clears the changed blocks' lines, for blockBoundingRect().
    const QTextBlock first = doc->findBlock(from);
    const QTextBlock last = doc->findBlock(std::max(0, from + charsRemoved + charsAdded - 1));
    if (first == last && doc->blockCount() == blockCount_ && first.isValid() &&
        holdsLongStretch(first)) {
        layoutLongBlock(first);
        requestUpdate();
        return;
    }
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    blockCount_ = doc->blockCount();
}

qreal WrapLayout::lineWidth() const {
    const QTextBlock empty = probe_->firstBlock();
    empty.layout()->clearLayout();
    // Laying it out may make Qt look for the document's widest line again
    // and announce the size; no line of the document changes by it.
    const QSignalBlocker quiet(const_cast<WrapLayout*>(this));
    QPlainTextDocumentLayout::blockBoundingRect(empty);
    return empty.layout()->lineAt(0).width();
}

void WrapLayout::layoutLines(QTextLayout* layout, const QString& text, qreal width) const {
    const std::vector<qsizetype> ends = stretchEnds(text);
    QTextOption option = document()->defaultTextOption();
    const QTextOption::WrapMode ownMode = option.wrapMode();
    const auto wrap = [&](QTextOption::WrapMode mode) {
        if (option.wrapMode() != mode) {
            option.setWrapMode(mode);
            layout->setTextOption(option);  // read by each line as it is laid out
        }
    };
    const qreal margin = document()->documentMargin();
    qreal height = 0;
    std::size_t next = 0;     // the first stretch end past the line's start
    qsizetype blanksEnd = 0;  // where the blanks last skipped end
    layout->setTextOption(option);
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        if (line.textStart() >= blanksEnd) {
            blanksEnd = line.textStart();
            while (blanksEnd < text.size() && isLeadingBlank(text[blanksEnd])) {
                ++blanksEnd;
            }
        }
        const qsizetype start = blanksEnd;
        while (next < ends.size() && ends[next] <= start) {
            ++next;
        }
        const qsizetype end = next < ends.size() ? ends[next] : text.size();
        const bool longStart =
            start < text.size() && !isBreakingBlank(text[start]) && end - start > kLongStretch;
        wrap(longStart ? QTextOption::WrapAnywhere : ownMode);
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        if (longStart && line.textStart() + line.textLength() >= end) {
            wrap(ownMode);  // the stretch fits: Qt would not break it
            line.setLineWidth(width);
        }
        line.setPosition(QPointF(margin, height));
        height += line.height();
        if (line.leading() < 0) {
            height += qCeil(line.leading());
        }
    }
    layout->endLayout();
    wrap(ownMode);
}

void WrapLayout::layoutLongBlock(const QTextBlock& block) {
    QTextLayout* layout = block.layout();
    layoutLines(layout, layoutText(block), lineWidth());
    const int lines = document()->lineCount();
    QTextBlock(block).setLineCount(block.isVisible() ? layout->lineCount() : 0);
    if (document()->lineCount() != lines && !notifying_) {
        notifying_ = true;
        emit documentSizeChanged(documentSize());
        notifying_ = false;
    }
}

}  // namespace numerlo
