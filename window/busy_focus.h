// Keeps the keyboard focus out of the panes while a run disables the buttons.
// Qt hands the focus of a button being disabled to the next control in the
// tab chain, which after the buttons is the output pane: a Space or Enter
// meant for 作成 would be typed in front of the page. Instead the focus waits
// on the window, where keys do nothing (Tab included: the window asks
// holding()), and goes back to the button once it is enabled again, unless
// the user has clicked somewhere else meanwhile.
#pragma once

#include <QPointer>
#include <QWidget>

namespace numerlo {

class BusyFocus {
  public:
    explicit BusyFocus(QWidget& window) : window_(window) {}

    void disable(QWidget& button) {
        if (window_.focusWidget() == &button) {
            parkedFrom_ = &button;
            window_.setFocus(Qt::OtherFocusReason);
        }
        button.setEnabled(false);
    }

    void enable(QWidget& button) {
        button.setEnabled(true);
        if (parkedFrom_ != &button) {
            return;
        }
        parkedFrom_ = nullptr;
        QWidget* focus = window_.focusWidget();
        if (focus == nullptr || focus == &window_) {
            button.setFocus(Qt::OtherFocusReason);
        }
    }

    // Whether the focus is waiting on the window for a button.
    [[nodiscard]] bool holding() const {
        return parkedFrom_ != nullptr && window_.focusWidget() == &window_;
    }

  private:
    QWidget& window_;
    QPointer<QWidget> parkedFrom_;  // the button that had the focus
};

}  // namespace numerlo
