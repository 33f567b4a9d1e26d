// The error box: plain text that wraps, and scrolls where the screen is short.
#include "error_box.h"

#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace numerlo {

namespace {

// A read-only view for the text, which wraps anywhere and scrolls.
QPlainTextEdit* makeTextView(const QString& text, QWidget* box) {
    auto* view = new QPlainTextEdit(box);
    view->setObjectName(QStringLiteral("ErrorText"));
    view->setReadOnly(true);
    view->setFrameShape(QFrame::NoFrame);
    view->viewport()->setAutoFillBackground(false);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->document()->setDocumentMargin(0);
    view->setPlainText(text);
    return view;
}

// The size `text` takes laid out at most `maxWidth` wide, each of its lines
// (a file name may hold line breaks) as the view lays out its blocks.
QSizeF textSize(const QString& text, const QFont& font, int maxWidth) {
    qreal width = 0;
    qreal height = 0;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout lines(paragraph, font);
        lines.setTextOption(option);
        lines.beginLayout();
        for (QTextLine line = lines.createLine(); line.isValid(); line = lines.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(maxWidth);
            width = std::max(width, line.naturalTextWidth());
            height += line.height();
        }
        lines.endLayout();
    }
    return {width, height};
}

}  // namespace

ErrorBox::ErrorBox(const QString& title, const QString& text, QWidget* parent)
    : QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok, parent) {
    setTextFormat(Qt::PlainText);
    // Orca reads an alert's visible labels, else its description; the text
    // view below is neither.
    setAccessibleDescription(text);

    // The box's own label cannot break a long word, so a long path runs off
    // its edge. A read-only text view in its place wraps anywhere and scrolls.
    QPlainTextEdit* view = makeTextView(text, this);
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QLayoutItem* replaced =
        label != nullptr && layout() != nullptr ? layout()->replaceWidget(label, view) : nullptr;
    if (replaced == nullptr) {
        delete view;  // a Qt without that label: keep its own, made plain above
        return;
    }
    delete replaced;
    label->hide();
    fitToScreen(*view, text,
                (parent != nullptr ? parent->screen() : screen())->availableGeometry());
}

void ErrorBox::fitToScreen(QPlainTextEdit& view, const QString& text, const QRect& screenArea) {
    // As wide as the text needs, up to what Qt lets the box be (the screen's
    // width on a small screen, else the screen less 480 px, at most 1000 px)
    // less the icon and margins beside the text; as tall as it needs, up to
    // two thirds of the screen, past which it scrolls.
    const int boxWidth =
        screenArea.width() <= 1024 ? screenArea.width() : std::min(screenArea.width() - 480, 1000);
    view.setFixedSize(1, 1);
    layout()->activate();
    const int besideText = layout()->totalMinimumSize().width() - 1;
    const int scrollBar = view.verticalScrollBar()->sizeHint().width();
    const int maxWidth = std::max(100, boxWidth - besideText - scrollBar);
    const int maxHeight = screenArea.height() * 2 / 3;
    const QSizeF size = textSize(text, view.font(), maxWidth);
    constexpr int kSlack = 4;  // the view's cursor and rounding
    const int needed = static_cast<int>(std::ceil(size.height())) + kSlack;
    // The scroll bar is decided here: shown only as it is needed, it would
    // narrow the view, wrap a line more and so be needed.
    const bool scrolls = needed > maxHeight;
    view.setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // Text that scrolls can be reached with Tab and scrolled with the keys;
    // Enter and Esc still go to the box, which the view leaves alone.
    view.setFocusPolicy(scrolls ? Qt::TabFocus : Qt::NoFocus);
    view.setFixedSize(
        static_cast<int>(std::ceil(size.width())) + kSlack + (scrolls ? scrollBar : 0),
        std::min(needed, maxHeight));
}

}  // namespace numerlo
