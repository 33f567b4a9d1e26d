#include "file_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QScreen>
#include <QSettings>

#include "window_texts.h"

namespace numerlo {

namespace {

// Qt's dialog reads ~/.config/QtProject.conf when made and writes it when
// destroyed. Every settings path is pointed under /dev/null, which is never
// a folder: nothing can be read from it or made beneath it.
void keepNoSettings() {
    static const bool pointed = [] {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
                QSettings::setPath(format, scope, QStringLiteral("/dev/null"));
            }
        }
        return true;
    }();
    (void)pointed;
}

// Places a dialog centred across its screen and a third of the way down, as
// it is shown: only then has it its final size.
class PlaceWhenShown : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = static_cast<QWidget*>(watched);
            const QRect screen = dialog->screen()->geometry();
            const QSize size = dialog->frameGeometry().size();
            dialog->move(screen.x() + (screen.width() - size.width()) / 2,
                         screen.y() + (screen.height() - size.height()) / 3);
        }
        return false;
    }
};

}  // namespace

QFileDialog& FileDialog::dialog() {
    if (dialog_ != nullptr) {
        return *dialog_;
    }
    keepNoSettings();
    dialog_ = new QFileDialog(&window_);
    dialog_->setOption(QFileDialog::DontUseNativeDialog);
    dialog_->setFileMode(QFileDialog::AnyFile);  // a missing file is accepted; the load fails
    dialog_->installEventFilter(new PlaceWhenShown(dialog_));
    if (kind_ == Kind::Open) {
        dialog_->setObjectName(QStringLiteral("OpenDialog1"));
        dialog_->setAcceptMode(QFileDialog::AcceptOpen);
        dialog_->setNameFilter(window_texts::kOpenFilter);
        // Shown, and remembered from one opening to the next; it has no other
        // effect.
        auto* readOnly = new QCheckBox(window_texts::kReadOnlyBox, dialog_);
        readOnly->setObjectName(QStringLiteral("ReadOnlyBox"));
        if (auto* grid = qobject_cast<QGridLayout*>(dialog_->layout())) {
            grid->addWidget(readOnly, grid->rowCount(), 0, 1, -1);
        }
    } else {
        dialog_->setObjectName(QStringLiteral("SaveDialog1"));
        dialog_->setOption(QFileDialog::DontConfirmOverwrite);
        dialog_->setAcceptMode(QFileDialog::AcceptSave);
        dialog_->setNameFilter(window_texts::kSaveFilter);
        dialog_->setDefaultSuffix(QString());  // the name is used as typed
    }
    return *dialog_;
}

QString FileDialog::ask() {
    QFileDialog& files = dialog();
    // Offer the name last confirmed in this dialog (none before first use).
    files.selectFile(lastConfirmed_);
    if (runModal_(files) != QDialog::Accepted) {
        return {};
    }
    const QString chosen = files.selectedFiles().value(0);
    if (chosen.isEmpty()) {
        return {};
    }
    lastConfirmed_ = QFileInfo(chosen).absoluteFilePath();
    return lastConfirmed_;
}

}  // namespace numerlo
