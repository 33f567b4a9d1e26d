// Qt's own file dialog, made when first used, keeping no settings.
#include "file_dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <optional>

#include "dialog_placement.h"
#include "load.h"
#include "wording.h"

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

// The dialog's name field (Qt's own widget); null should Qt have none.
QLineEdit* nameField(const QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// A name with double quotes in the dialog's name field, as the user means
// it. Qt reads such a name as a list of quoted names, and so greys its
// button out for `x"` and goes into the folder d for `x"d`. The name is used
// as typed, but for one pair of quotes around the whole of it, which only
// mark where it begins and ends. Nothing for a name without quotes.
std::optional<QString> quotedName(const QFileDialog& dialog) {
    const QLineEdit* field = nameField(dialog);
    QString typed = field != nullptr ? field->text() : QString();
    if (!typed.contains(QLatin1Char('"'))) {
        return std::nullopt;
    }
    if (typed.size() > 2 && typed.startsWith(QLatin1Char('"')) &&
        typed.endsWith(QLatin1Char('"')) && typed.count(QLatin1Char('"')) == 2) {
        typed = typed.mid(1, typed.size() - 2);
    }
    return QDir(dialog.directory()).absoluteFilePath(typed);
}

// Qt's dialog, taking any name it is given, as typed: Qt turns away a new
// name longer than the folder allows (counting its UTF-16 units against
// NAME_MAX), with its button greyed out and without a word, and misreads a
// name with double quotes (see quotedName). The load or save then fails on
// such a name if it must, and says why.
class AnyNameDialog : public QFileDialog {
  public:
    explicit AnyNameDialog(QWidget* parent) : QFileDialog(parent) {
        setOption(QFileDialog::DontUseNativeDialog);  // Qt's widgets are made here
        setFileMode(QFileDialog::AnyFile);            // a missing file is accepted; the load fails
        // After Qt's own check of each edit, which was connected first.
        if (QLineEdit* field = nameField(*this)) {
            connect(field, &QLineEdit::textChanged, this, &AnyNameDialog::relight);
        }
    }

    // The Open or Save button, Enter in the name field and a double click on
    // a file all come here: each is connected to the accept() slot.
    void accept() override {
        if (const std::optional<QString> quoted = quotedName(*this)) {
            if (QFileInfo(*quoted).isDir()) {
                setDirectory(*quoted);  // as Qt goes into a folder named
                nameField(*this)->clear();
                return;
            }
            done(QDialog::Accepted);
            return;
        }
        if (refusedForLengthAlone()) {
            const QStringList files = selectedFiles();
            emit filesSelected(files);
            emit fileSelected(files.first());
            done(QDialog::Accepted);  // what QFileDialog::accept() does for a new name
            return;
        }
        QFileDialog::accept();
    }

  protected:
    // The button is made anew when the accept mode is set, so it is watched
    // as the dialog shows.
    void showEvent(QShowEvent* event) override {
        if (QPushButton* button = acceptButton()) {
            button->installEventFilter(this);
        }
        QFileDialog::showEvent(event);
    }

    // Qt greys the button out whenever it checks the name again (on each
    // edit, and when the selection or the modes change).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange && watched == acceptButton()) {
            relight();
        }
        return QFileDialog::eventFilter(watched, event);
    }

  private:
    [[nodiscard]] QPushButton* acceptButton() const {
        auto* box = findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        return box == nullptr ? nullptr
                              : box->button(acceptMode() == AcceptOpen ? QDialogButtonBox::Open
                                                                       : QDialogButtonBox::Save);
    }

    void relight() {
        QPushButton* button = acceptButton();
        if (button != nullptr && !button->isEnabled() &&
            (quotedName(*this) || refusedForLengthAlone())) {
            button->setEnabled(true);
        }
    }

    // Whether Qt's accept() would turn the typed name away for its length
    // alone: one new file, not a folder, its name longer than the folder's
    // limit as Qt counts it.
    [[nodiscard]] bool refusedForLengthAlone() const {
        const QLineEdit* field = nameField(*this);
        if (fileMode() != AnyFile || field == nullptr || field->text().isEmpty() ||
            field->text() == QLatin1String("..")) {
            return false;
        }
        const QStringList files = selectedFiles();
        if (files.size() != 1) {
            return false;
        }
        const QFileInfo info(files.first());
        if (info.exists() || info.isDir()) {
            return false;
        }
        const std::optional<long> limit =
            longestNameIn(QFile::encodeName(info.path()).toStdString());
        return limit && info.fileName().size() > *limit;
    }
};

// Offers `path` so that taking it as it stands means that very path. Where
// its folder is gone, or is a file, Qt would stay in (or go into) a folder
// that is none and offer the path less its first slash, that is relative to
// that folder: the dialog stays where it is and the whole path is offered.
void offerPath(QFileDialog& dialog, const QString& path) {
    const QFileInfo info(path);
    QLineEdit* field = nameField(dialog);
    if (!path.isEmpty() && QFileInfo(info.absolutePath()).isDir()) {
        dialog.selectFile(path);
    } else if (field != nullptr) {
        // Nothing confirmed yet offers nothing, not a name typed and
        // cancelled.
        field->setText(path.isEmpty() ? QString() : info.absoluteFilePath());
    }
}

// Qt does not make a window active when it gets the focus while a popup is
// open: Return in the dialog's list of matching names closes the dialog
// before the list, and the window, which has the focus, is left inactive.
// Its widgets then hear nothing of the focus and a screen reader says
// nothing. Where Qt's own record says that the window has the focus, it is
// made active.
void settleActiveWindow(QWidget& window) {
    if (QApplication::activeWindow() == nullptr && QApplication::activePopupWidget() == nullptr &&
        window.windowHandle() != nullptr &&
        QGuiApplication::focusWindow() == window.windowHandle()) {
        QApplication::setActiveWindow(&window);
    }
}

}  // namespace

QFileDialog& FileDialog::dialog() {
    if (dialog_ != nullptr) {
        return *dialog_;
    }
    keepNoSettings();
    static NamesOnly namesOnly;  // outlives every dialog
    dialog_ = new AnyNameDialog(&window_);
    dialog_->setIconProvider(&namesOnly);
    new DialogPlacement(*dialog_, window_);
    // The filter shows its description alone, as the window's texts name it
    // ("text", "html"); its pattern still picks the files listed.
    dialog_->setOption(QFileDialog::HideNameFilterDetails);
    if (kind_ == Kind::Open) {
        dialog_->setObjectName(QStringLiteral("OpenDialog1"));
        dialog_->setAcceptMode(QFileDialog::AcceptOpen);
        dialog_->setNameFilter(wording::kOpenFilter);
        // Shown, and remembered from one opening to the next; it has no other
        // effect.
        auto* readOnly = new QCheckBox(wording::kReadOnlyBox, dialog_);
        readOnly->setObjectName(QStringLiteral("ReadOnlyBox"));
        if (auto* grid = qobject_cast<QGridLayout*>(dialog_->layout())) {
            grid->addWidget(readOnly, grid->rowCount(), 0, 1, -1);
        }
    } else {
        dialog_->setObjectName(QStringLiteral("SaveDialog1"));
        dialog_->setOption(QFileDialog::DontConfirmOverwrite);
        dialog_->setAcceptMode(QFileDialog::AcceptSave);
        dialog_->setNameFilter(wording::kSaveFilter);
        dialog_->setDefaultSuffix(QString());  // the name is used as typed
    }
    return *dialog_;
}

QString FileDialog::ask() {
    QFileDialog& files = dialog();
    // Offer the name last confirmed in this dialog (none before first use).
    offerPath(files, lastConfirmed_);
    QLineEdit* field = nameField(files);
    const QPointer<QWidget> focus = window_.focusWidget();
    const int result = runModal_(files);
    // The name field's list of matching names may outlive the dialog when
    // Enter took the name while it showed.
    if (field != nullptr && field->completer() != nullptr) {
        field->completer()->popup()->hide();
    }
    // The window active again, with the focus where it was.
    window_.activateWindow();
    settleActiveWindow(window_);
    QTimer::singleShot(0, &window_, [this] { settleActiveWindow(window_); });
    if (focus != nullptr) {
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (result != QDialog::Accepted) {
        return {};
    }
    const QString chosen = quotedName(files).value_or(files.selectedFiles().value(0));
    if (chosen.isEmpty()) {
        return {};
    }
    lastConfirmed_ = QFileInfo(chosen).absoluteFilePath();
    return lastConfirmed_;
}

}  // namespace numerlo
