#include "file_dialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QScreen>
#include <QSettings>

#include <algorithm>

#include "window_texts.h"

namespace numerlo {

namespace {

// Qt's dialog reads ~/.config/QtProject.conf when made and writes it when
// destroyed. Every settings path is pointed beneath a file that exists and is
// no folder (/dev/null, else the program file itself): nothing can be read
// from there, and nothing made, not even by root.
void keepNoSettings() {
    static const bool pointed = [] {
        QString noFolder = QStringLiteral("/dev/null");
        for (const QString& candidate : {noFolder, QCoreApplication::applicationFilePath(),
                                         QStringLiteral("/proc/self/exe")}) {
            if (const QFileInfo info(candidate); info.exists() && !info.isDir()) {
                noFolder = candidate;
                break;
            }
        }
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
                QSettings::setPath(format, scope, noFolder);
            }
        }
        return true;
    }();
    (void)pointed;
}

// Tells files apart by their names alone. Qt's own provider reads the start
// of each file listed to guess its type, and a file that never gives it
// (/proc/kmsg, a file on a stalled network share) would hold the window for
// good.
class NamesOnly : public QFileIconProvider {
  public:
    using QFileIconProvider::icon;
    [[nodiscard]] QIcon icon(const QFileInfo& info) const override {
        if (info.isDir()) {
            return QFileIconProvider::icon(info);
        }
        return QIcon::fromTheme(byName(info).iconName(), icon(QAbstractFileIconProvider::File));
    }
    [[nodiscard]] QString type(const QFileInfo& info) const override {
        if (info.isDir()) {
            return QFileIconProvider::type(info);
        }
        const QMimeType mime = byName(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

  private:
    static QMimeType byName(const QFileInfo& info) {
        return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }
};

// Places a dialog as it is shown, when it has its final size: centred
// across its screen and a third of the way down. A dialog larger than the
// screen's free area (Qt's file dialog at a large scale) first shrinks to
// fit it, and no dialog ends up under a panel. Until the window manager has
// framed a dialog its frame is not known: it is taken to be the frame of the
// window the dialog belongs to, so that the first showing stands where every
// later one does.
class PlaceWhenShown : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            place(*static_cast<QWidget*>(watched));
        }
        return false;
    }

  private:
    static void place(QWidget& dialog) {
        const QRect screen = dialog.screen()->geometry();
        const QRect area = dialog.screen()->availableGeometry();
        QSize frame = dialog.frameGeometry().size() - dialog.size();
        if (const QWidget* owner = dialog.parentWidget(); owner != nullptr && frame.isNull()) {
            frame = owner->window()->frameGeometry().size() - owner->window()->size();
        }
        dialog.resize(
            dialog.size().boundedTo(area.size() - frame).expandedTo(dialog.minimumSizeHint()));
        const QSize outer = dialog.size() + frame;
        const int left = screen.x() + (screen.width() - outer.width()) / 2;
        const int top = screen.y() + (screen.height() - outer.height()) / 3;
        dialog.move(
            std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
            std::clamp(top, area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    }
};

}  // namespace

QFileDialog& FileDialog::dialog() {
    if (dialog_ != nullptr) {
        return *dialog_;
    }
    keepNoSettings();
    static NamesOnly namesOnly;  // outlives every dialog
    dialog_ = new QFileDialog(&window_);
    dialog_->setOption(QFileDialog::DontUseNativeDialog);
    dialog_->setIconProvider(&namesOnly);
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
    auto* nameField = files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const int result = runModal_(files);
    // The name field's list of matching names may outlive the dialog when
    // Enter took the name while it showed.
    if (nameField != nullptr && nameField->completer() != nullptr) {
        nameField->completer()->popup()->hide();
    }
    if (result != QDialog::Accepted) {
        return {};
    }
    // Qt reads a name with double quotes as a list of quoted names. The name
    // is used as typed, but for one pair of quotes around the whole of it,
    // which only mark where it begins and ends.
    QString typed = nameField != nullptr ? nameField->text() : QString();
    const bool quoted = typed.contains(QLatin1Char('"'));
    if (typed.size() > 2 && typed.startsWith(QLatin1Char('"')) &&
        typed.endsWith(QLatin1Char('"')) && typed.count(QLatin1Char('"')) == 2) {
        typed = typed.mid(1, typed.size() - 2);
    }
    const QString chosen =
        quoted ? QDir(files.directory()).absoluteFilePath(typed) : files.selectedFiles().value(0);
    if (chosen.isEmpty()) {
        return {};
    }
    lastConfirmed_ = QFileInfo(chosen).absoluteFilePath();
    return lastConfirmed_;
}

}  // namespace numerlo
