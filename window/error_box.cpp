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

ErrorBox::ErrorBox(const QString& title, const QString& text, QWidget* parent)
    : QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok, parent) {
    setTextFormat(Qt::PlainText);

    // The box's own label cannot break a long word, so a long path runs off
    // its edge. A read-only text view in its place wraps anywhere and scrolls.
    auto* view = new QPlainTextEdit(this);
    view->setObjectName(QStringLiteral("ErrorText"));
    view->setReadOnly(true);
    view->setFocusPolicy(Qt::NoFocus);  // Enter and Esc stay with the OK button
    view->setFrameShape(QFrame::NoFrame);
    view->viewport()->setAutoFillBackground(false);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->document()->setDocumentMargin(0);
    view->setPlainText(text);

    // As wide as the text needs, up to three quarters of the screen; as tall,
    // up to two thirds, past which the view scrolls.
    const QRect screenArea = (parent != nullptr ? parent->screen() : screen())->availableGeometry();
    const int maxWidth = std::min(screenArea.width() * 3 / 4, 1000);
    const int maxHeight = screenArea.height() * 2 / 3;
    QTextLayout lines(text, view->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lines.setTextOption(option);
    qreal width = 0;
    qreal height = 0;
    lines.beginLayout();
    for (QTextLine line = lines.createLine(); line.isValid(); line = lines.createLine()) {
        line.setLineWidth(maxWidth);
        width = std::max(width, line.naturalTextWidth());
        height += line.height();
    }
    lines.endLayout();
    constexpr int kSlack = 4;  // the view's cursor and rounding
    const int needed = static_cast<int>(std::ceil(height)) + kSlack;
    const int scrollBar = needed > maxHeight ? view->verticalScrollBar()->sizeHint().width() : 0;
    view->setFixedSize(static_cast<int>(std::ceil(width)) + kSlack + scrollBar,
                       std::min(needed, maxHeight));

    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QLayoutItem* replaced =
        label != nullptr && layout() != nullptr ? layout()->replaceWidget(label, view) : nullptr;
    if (replaced == nullptr) {
        delete view;  // a Qt without that label: keep its own, made plain above
        return;
    }
    delete replaced;
    label->hide();
}

}  // namespace numerlo
