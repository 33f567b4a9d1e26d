#include "drop_pane.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace numerlo {

QString DropPane::droppedFile(const QDropEvent* event) const {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {};
    }
    return urls.front().toLocalFile();
}

bool DropPane::takeFileDrag(QDragMoveEvent* event) {
    if (droppedFile(event).isEmpty()) {
        return false;
    }
    if (acceptsFiles()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
    return true;
}

void DropPane::dragEnterEvent(QDragEnterEvent* event) {
    if (!takeFileDrag(event)) {
        QPlainTextEdit::dragEnterEvent(event);
    }
}

void DropPane::dragMoveEvent(QDragMoveEvent* event) {
    if (!takeFileDrag(event)) {
        QPlainTextEdit::dragMoveEvent(event);
    }
}

void DropPane::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event);
    if (path.isEmpty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    if (!acceptsFiles()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit fileDropped(path);
}

}  // namespace numerlo
