// The tool's error box: a stop icon, one OK button and the application's
// title as its caption. Its text is always plain text, whatever it holds
// (a path may contain "<b>"). A long text wraps, anywhere inside a long path
// if need be, and one too long for the screen scrolls, so the box and its OK
// button always fit the screen.
#pragma once

#include <QMessageBox>

class QPlainTextEdit;

namespace numerlo {

class ErrorBox : public QMessageBox {
    Q_OBJECT

  public:
    ErrorBox(const QString& title, const QString& text, QWidget* parent);

  private:
    // Sizes the text's view so that the box fits `screenArea`.
    void fitToScreen(QPlainTextEdit& view, const QString& text, const QRect& screenArea);
};

}  // namespace numerlo
