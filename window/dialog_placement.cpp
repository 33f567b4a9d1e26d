// Placing a shown dialog on its screen, and again once it is framed.
#include "dialog_placement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>

namespace numerlo {

namespace {

constexpr std::chrono::milliseconds kLookEvery{25};
constexpr int kLooks = 40;

// The frame the window manager gives a window, as Qt last learnt it; none
// while it is hidden or not framed.
QMargins frameMarginsOf(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle != nullptr && handle->isVisible() ? handle->frameMargins() : QMargins();
}

}  // namespace

DialogPlacement::DialogPlacement(QWidget& dialog, const QWidget& mainWindow)
    : QObject(&dialog), dialog_(dialog), mainWindow_(mainWindow) {
    settle_.setInterval(kLookEvery);
    connect(&settle_, &QTimer::timeout, this, &DialogPlacement::settle);
    dialog.installEventFilter(this);
}

bool DialogPlacement::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::Show) {
        place(learnt_.isNull() ? frameMarginsOf(mainWindow_) : learnt_);
        looks_ = 0;
        settle_.start();
    } else if (event->type() == QEvent::Hide) {
        settle_.stop();
    }
    return false;
}

void DialogPlacement::place(QMargins frame) {
    used_ = frame;
    const QRect screen = dialog_.screen()->geometry();
    const QRect area = dialog_.screen()->availableGeometry();
    const QSize room = area.size().shrunkBy(frame);
    dialog_.resize(dialog_.size().boundedTo(room).expandedTo(dialog_.minimumSizeHint()));
    const QSize outer = dialog_.size().grownBy(frame);
    const int left = screen.x() + (screen.width() - outer.width()) / 2;
    const int top = screen.y() + (screen.height() - outer.height()) / 3;
    placed_ = QPoint(
        std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - outer.width())) +
            frame.left(),
        std::clamp(top, area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())) +
            frame.top());
    dialog_.setGeometry(QRect(placed_, dialog_.size()));
}

void DialogPlacement::settle() {
    if (dialog_.geometry().topLeft() != placed_) {
        settle_.stop();  // moved by the user or by the window manager: left there
        return;
    }
    const QMargins framed = frameMarginsOf(dialog_);
    if (framed.isNull() || !dialog_.windowHandle()->isExposed()) {
        if (++looks_ == kLooks) {
            settle_.stop();  // no window manager, or one that frames nothing
        }
        return;
    }
    settle_.stop();
    learnt_ = framed;
    if (framed != used_) {
        place(framed);
    }
}

}  // namespace numerlo
