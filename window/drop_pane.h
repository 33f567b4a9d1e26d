// An input pane that also takes one local file dropped onto it, to be loaded
// as the load command would. Anything else dropped is inserted as text, as
// usual.
#pragma once

#include <QPlainTextEdit>

#include <functional>

namespace numerlo {

class DropPane : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit DropPane(QWidget* parent) : QPlainTextEdit(parent) {}

    // Asked before a file drop is taken; false refuses it (a run is pending).
    std::function<bool()> acceptsFiles = [] { return true; };

  signals:
    void fileDropped(const QString& path);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // Accepts or refuses a drag of one local file; false for any other drag.
    bool takeFileDrag(QDragMoveEvent* event);
    [[nodiscard]] QString droppedFile(const QDropEvent* event) const;
};

}  // namespace numerlo
