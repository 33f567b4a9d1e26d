// A main window for QTest, shown offscreen, whose modal dialogs and message
// boxes are answered by the test instead of a person. It brings Qt Test and
// the widgets, the window and the pane for the window's tests.
#pragma once

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

#include <deque>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memo_pane.h"
#include "qstring_cp932.h"
#include "sample_draws.h"
#include "tform1.h"

namespace numerlo::testing {

// A file written whole, and read whole.
inline bool writeFile(const QString& path, std::string_view bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}
inline std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString shown;  // what the box displays of its text
    QRect frame;    // where it stood, and the part of the screen it may use
    QRect screenArea;
    bool textInside = false;       // the text's widget lies wholly within the box
    bool scrolls = false;          // and the text is longer than it shows at once
    QString read;                  // what a screen reader reads of it
    bool keysReachTheEnd = false;  // the keyboard scrolls the text to its end
};

struct SeenDialog {
    QString name;     // OpenDialog1 or SaveDialog1
    QString offered;  // the file name field as the dialog opened
    QStringList filters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    // Dialogs run for real only: where it stood on which screen, the folder
    // it opened in, and whether it asked a question or stayed open once the
    // typed name was accepted.
    QRect frame;
    QRect screen;
    QRect screenArea;  // the part of the screen it may use
    QString folder;
    bool objected = false;
    QString shownFilter;          // what the dialog's filter box shows
    QStringList listingPatterns;  // the names its file list is limited to
};

class WindowHarness {
  public:
    std::unique_ptr<TForm1> form;
    std::vector<ShownBox> boxes;
    std::vector<SeenDialog> dialogs;
    // How the next file dialogs are answered: a path to confirm, or nothing
    // to cancel. A dialog with no answer queued is a test fault.
    std::deque<std::optional<QString>> fileAnswers;
    // When set, file dialogs run for real: the answer is pasted into the
    // dialog's own name field and its Open or Save button clicked, from
    // inside its event loop.
    bool realFileDialogs = false;
    // With real dialogs: the name's last letter typed, so that the list of
    // matching names shows, and Return pressed in that list.
    bool enterFromTheNameList = false;

    bool start() {
        boxes.clear();
        dialogs.clear();
        fileAnswers.clear();
        realFileDialogs = false;
        enterFromTheNameList = false;
        form = std::make_unique<TForm1>(QStringLiteral("numerlo"));
        form->setModalRunner([this](QDialog& dialog) { return answer(dialog); });
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }
    void stop() { form.reset(); }

    // Wrap points follow glyph widths: true when the window got the face it
    // is laid out for. A machine without it silently draws another face.
    [[nodiscard]] bool hasStandInFont() const {
        return QFontInfo(form->font()).family() == QStringLiteral("Ume P Gothic");
    }

    template <typename T>
    T* child(const QString& name) {
        T* widget = form->findChild<T*>(name);
        if (widget == nullptr) {
            qFatal("no control %s", qPrintable(name));
        }
        return widget;
    }
    QPlainTextEdit* memo(int n) { return child<QPlainTextEdit>(QStringLiteral("Memo%1").arg(n)); }
    QPushButton* button(int n) { return child<QPushButton>(QStringLiteral("Button%1").arg(n)); }
    QString status() { return child<QLabel>(QStringLiteral("Label3"))->text(); }
    std::string paneBytes(int n) {
        return child<MemoPane>(QStringLiteral("Memo%1").arg(n))->bytes();
    }
    void click(int n) { QTest::mouseClick(button(n), Qt::LeftButton); }

    [[nodiscard]] bool waitForRunEnd() {
        return QTest::qWaitFor([this] { return !form->run().running(); }, 5000);
    }
    // Until no run and no file command is under way.
    [[nodiscard]] bool waitForIdle() {
        return QTest::qWaitFor([this] { return form->idle(); }, 5000);
    }
    void fillTenDraws() {
        memo(1)->setPlainText(toPaneText(kSerials));
        memo(2)->setPlainText(toPaneText(kResults));
    }

    // The golden page with the link address this build was configured with.
    static std::string expectedPage() {
        std::string page = goldenPage();
        const std::string_view testUrl = kTestHomeUrl;
        page.replace(page.find(testUrl), testUrl.size(), NUMERLO_HOME_URL);
        return page;
    }

  private:
    // The text a box displays, as a person reads it.
    static QString shownText(const QMessageBox& box) {
        for (const auto* view : box.findChildren<QPlainTextEdit*>()) {
            if (view->isVisible()) {
                return view->toPlainText();
            }
        }
        const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (label == nullptr || !label->isVisible()) {
            return {};
        }
        const bool rich =
            label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        return rich ? QTextDocumentFragment::fromHtml(label->text()).toPlainText() : label->text();
    }

    // Whether a keyboard alone scrolls the box's text to its end: Tab, End.
    static bool keysReachTheEnd(QMessageBox& box, const QPlainTextEdit* view) {
        if (view == nullptr || view->verticalScrollBar()->maximum() == 0) {
            return false;
        }
        QTest::keyClick(box.focusWidget(), Qt::Key_Tab);
        QTest::keyClick(box.focusWidget(), Qt::Key_End);
        return view->verticalScrollBar()->value() == view->verticalScrollBar()->maximum();
    }

    // What a screen reader reads of an alert: the text of its visible
    // labels, or its description where it shows none.
    static QString readAloud(QMessageBox& box) {
        QStringList labels;
        for (const auto* label : box.findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty()) {
                labels.append(label->text());
            }
        }
        const QAccessibleInterface* alert = QAccessible::queryAccessibleInterface(&box);
        return labels.isEmpty() ? alert->text(QAccessible::Description) : labels.join(u' ');
    }

    int answer(QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            box->show();
            QCoreApplication::processEvents();  // laid out as a person sees it
            const QWidget* textWidget = box->findChild<QPlainTextEdit*>();
            if (textWidget == nullptr || !textWidget->isVisible()) {
                textWidget = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            }
            const auto* view = qobject_cast<const QPlainTextEdit*>(textWidget);
            boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                             shownText(*box), box->frameGeometry(),
                             box->screen()->availableGeometry(),
                             textWidget != nullptr && box->rect().contains(textWidget->geometry()),
                             view != nullptr && view->verticalScrollBar()->isVisible(),
                             readAloud(*box), keysReachTheEnd(*box, view)});
            box->hide();
            return QMessageBox::Ok;
        }
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (files == nullptr || fileAnswers.empty()) {
            qFatal("unexpected dialog %s", qPrintable(dialog.objectName()));
        }
        if (realFileDialogs) {
            return typeInto(*files);
        }
        dialogs.push_back(seenAsOpened(*files));
        const std::optional<QString> path = fileAnswers.front();
        fileAnswers.pop_front();
        if (!path) {
            return QDialog::Rejected;
        }
        files->selectFile(*path);
        return QDialog::Accepted;
    }

    // What a dialog shows as it opens.
    static SeenDialog seenAsOpened(QFileDialog& files) {
        auto* nameField = files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        SeenDialog seen;
        seen.name = files.objectName();
        seen.offered = nameField != nullptr ? nameField->text() : QString();
        seen.filters = files.nameFilters();
        seen.mode = files.acceptMode();
        if (auto* shown = files.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            seen.shownFilter = shown->currentText();
        }
        if (auto* list = files.findChild<QAbstractItemView*>(QStringLiteral("listView"))) {
            if (auto* listing = qobject_cast<QFileSystemModel*>(list->model())) {
                seen.listingPatterns = listing->nameFilters();
            }
        }
        return seen;
    }

    int typeInto(QFileDialog& files) {
        const QString typed = fileAnswers.front().value_or(QString());
        fileAnswers.pop_front();
        QCoreApplication::processEvents();  // what the last use of the dialog left behind
        QTimer::singleShot(0, &files, [this, &files, typed] {
            // Under a window manager, where it stands once it is framed.
            if (!form->windowHandle()->frameMargins().isNull()) {
                [[maybe_unused]] const bool framed = QTest::qWaitFor(
                    [&files] { return !files.windowHandle()->frameMargins().isNull(); });
                QTest::qWait(200);
            }
            auto* nameField = files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            SeenDialog seen = seenAsOpened(files);
            // The frame from its margins: QWidget::frameGeometry() can read
            // 1 x 1 for a moment under a window manager.
            seen.frame = files.geometry().marginsAdded(files.windowHandle()->frameMargins());
            seen.screen = files.screen()->geometry();
            seen.screenArea = files.screen()->availableGeometry();
            seen.folder = files.directory().absolutePath();
            dialogs.push_back(seen);
            // A question the dialog asks is noted and dismissed, so that
            // nothing waits for a person.
            QTimer objections;
            QObject::connect(&objections, &QTimer::timeout, [this, &files] {
                if (QWidget* asking = QApplication::activeModalWidget();
                    asking != nullptr && asking != &files) {
                    dialogs.back().objected = true;
                    asking->close();
                }
            });
            objections.start(10);
            // Pasted rather than typed key by key: the dialog completes and
            // selects each folder of a path as it is typed. Pasted over what
            // the dialog left selected, as a person would.
            QGuiApplication::clipboard()->setText(enterFromTheNameList ? typed.chopped(1) : typed);
            QTest::keyClick(nameField, Qt::Key_V, Qt::ControlModifier);
            if (enterFromTheNameList) {
                QTest::keyClicks(nameField, typed.right(1));
                if (QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; })) {
                    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
                }
            }
            if (QWidget* completions = QApplication::activePopupWidget()) {
                completions->close();  // the name field's list of matching names
            }
            for (QPushButton* button : files.findChildren<QPushButton*>()) {
                if (button->isDefault()) {  // Open or Save
                    QTest::mouseClick(button, Qt::LeftButton);
                }
            }
            if (files.isVisible()) {
                dialogs.back().objected = true;
                files.reject();
            }
        });
        return files.exec();
    }
};

// What a test class of the window holds: the window, and its controls by
// the names the tests use.
class WindowTestBase {
  protected:
    WindowHarness h;

    QPlainTextEdit* memo(int n) { return h.memo(n); }
    QPushButton* button(int n) { return h.button(n); }
    QString status() { return h.status(); }
    std::string memo3Bytes() { return h.paneBytes(3); }
    void waitForRunEnd() { QVERIFY(h.waitForRunEnd()); }
    void fillTenDraws() { h.fillTenDraws(); }
    // Clicks command button `n` with its file dialog answered by `answer`.
    void clickWith(int n, std::optional<QString> answer) {
        h.fileAnswers.push_back(std::move(answer));
        h.click(n);
        QVERIFY(h.fileAnswers.empty());
        QVERIFY(h.waitForIdle());
    }
    template <typename T>
    T* child(const char* name) {
        return h.child<T>(QString::fromLatin1(name));
    }
};

}  // namespace numerlo::testing
