// TForm1: building the window's controls, its commands, and what a run asks of it.
#include "tform1.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "cp932_literals.h"
#include "error_box.h"
#include "form_layout.h"
#include "label_colours.h"
#include "load.h"
#include "pane_lines.h"
#include "qstring_cp932.h"
#include "save.h"
#include "status_line.h"
#include "wording.h"

namespace numerlo {

namespace {

using lines::pixelFont;

template <typename Label = QLabel>
Label* makeLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font) {
    auto* label = new Label(parent);
    label->setText(text);
    label->setObjectName(name);
    label->setFont(font);
    return label;
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QString joinLines(const QString (&lines)[wording::kInstructionLines]) {
    QString text;
    for (const QString& line : lines) {
        text += line + QLatin1Char('\n');
    }
    return text;
}

}  // namespace

TForm1::TForm1(QString appTitle, QWidget* parent)
    : QWidget(parent), appTitle_(std::move(appTitle)), run_(*this, NUMERLO_HOME_URL) {
    installAccessibleRoles();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(wording::kCaption);
    // The icon once the window is up: decoding its images and handing them to
    // the window system would otherwise delay the window's first showing.
    QMetaObject::invokeMethod(this, "showIcon", Qt::QueuedConnection);
    createControls();
    placeControls();

    // Centre the outer frame on the screen, as the window first appears.
    const QRect screenRect = screen()->geometry();
    const int outerWidth = static_cast<int>(std::lround(layout::kOuterWidth * scale_));
    const int outerHeight = static_cast<int>(std::lround(layout::kOuterHeight * scale_));
    move(screenRect.x() + std::max(0, (screenRect.width() - outerWidth) / 2),
         screenRect.y() + std::max(0, (screenRect.height() - outerHeight) / 2));
}

void TForm1::showIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        icon.addFile(QStringLiteral(":/icons/numerlo-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);
}

QFont TForm1::setWindowFont() {
    const QFont base = lines::windowFace();
    const QFont windowFont = pixelFont(base, layout::kWindowFontPixels, false, logicalDpiY());
    setFont(windowFont);
    scale_ = lines::layoutScale(windowFont);
    return base;
}

void TForm1::createControls() {
    const QFont base = setWindowFont();
    const qreal dpi = logicalDpiY();
    Memo1 = createInputPane(InputPane::Memo1, QStringLiteral("Memo1"), wording::kSerialPaneLines);
    Memo2 = createInputPane(InputPane::Memo2, QStringLiteral("Memo2"), wording::kResultPaneLines);
    const QFont captionFont = pixelFont(base, layout::kCaptionFontPixels, true, dpi);
    Label1 = makeLabel(this, QStringLiteral("Label1"), wording::kLabel1, captionFont);
    Label2 = makeLabel(this, QStringLiteral("Label2"), wording::kLabel2, captionFont);
    createButtons();
    Memo3 = createPane(MemoPane::Role::Output, QStringLiteral("Memo3"));
    Label3 = makeLabel<StatusLine>(this, QStringLiteral("Label3"), QString(), captionFont);
    Label4 = makeLabel(this, QStringLiteral("Label4"), wording::kNotice,
                       pixelFont(base, layout::kNoticeFontPixels, true, dpi));
    setLabelColours();

    // What a screen reader calls each pane: the caption under it, or, for the
    // output pane, which has none, a name of its own.
    Label1->setBuddy(Memo1);
    Label2->setBuddy(Memo2);
    Memo3->setAccessibleName(wording::kOutputPaneName);

    // Tab order 0..7: the input panes, the five buttons, the output pane.
    QWidget* order[] = {Memo1,       Memo2,       buttons_[0], buttons_[1],
                        buttons_[2], buttons_[3], buttons_[4], Memo3};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    createTimers();
}

void TForm1::setLabelColours() {
    if (Label4 == nullptr) {
        return;  // not made yet
    }
    const LabelColours colours =
        labelColours(palette().color(QPalette::Window), palette().color(QPalette::WindowText));
    for (QLabel* label : {Label1, Label2, Label4}) {
        setTextColour(label, colours.caption);
    }
    setTextColour(Label3, colours.status);
}

void TForm1::changeEvent(QEvent* event) {
    // A theme switched while the program runs gives the window a new palette.
    if (event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ApplicationPaletteChange) {
        setLabelColours();
    }
    QWidget::changeEvent(event);
}

MemoPane* TForm1::createPane(MemoPane::Role role, const QString& name) {
    // Every pane says when a paste or drop is too large for it; the box
    // comes once the drop is over.
    auto* pane = new MemoPane(role, this);
    pane->setObjectName(name);
    // No other face for what the stand-in face lacks (pane_lines.h).
    pane->setFont(lines::paneFont(pane->font()));
    connect(
        pane, &MemoPane::tooLarge, this, [this] { showError(wording::kTooLarge); },
        Qt::QueuedConnection);
    return pane;
}

MemoPane* TForm1::createInputPane(InputPane which, const QString& name,
                                  const QString (&lines)[wording::kInstructionLines]) {
    // The input panes show their instruction lines, and load a file dropped
    // on them unless a run or a file command is under way.
    MemoPane* pane = createPane(MemoPane::Role::Input, name);
    pane->setPlainText(joinLines(lines));
    pane->acceptsFiles = [this] { return idle(); };
    connect(
        pane, &MemoPane::fileDropped, this,
        [this, which](const QByteArray& name) {
            // Another drop or a command may have come first, in the same turn.
            if (idle()) {
                loadPaneByName(which, name);
            }
        },
        Qt::QueuedConnection);
    return pane;
}

void TForm1::createButtons() {
    for (int b = 1; b <= kButtonCount; ++b) {
        auto* button = new QPushButton(wording::kButtons[b - 1], this);
        button->setObjectName(QStringLiteral("Button%1").arg(b));
        // Return and keypad Enter press the focused button, as Space does.
        button->setAutoDefault(true);
        buttons_[static_cast<std::size_t>(b - 1)] = button;
    }
    connect(buttons_[0], &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(buttons_[1], &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(buttons_[2], &QPushButton::clicked, this, [this] { run_.Button3Click(); });
    connect(buttons_[3], &QPushButton::clicked, this, &TForm1::Button4Click);
    connect(buttons_[4], &QPushButton::clicked, this, &TForm1::Button5Click);
}

void TForm1::createTimers() {
    for (int stage = 1; stage <= kStageCount; ++stage) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("Timer%1").arg(stage));
        timer->setInterval(1);
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, [this, stage] { run_.TimerTimer(stage); });
        timers_[static_cast<std::size_t>(stage - 1)] = timer;
    }
}

void TForm1::placeControls() {
    const auto px = [this](int v) { return static_cast<int>(std::lround(v * scale_)); };
    for (const layout::Placement& p : layout::kControls) {
        auto* control = findChild<QWidget*>(
            QString::fromLatin1(p.name.data(), static_cast<qsizetype>(p.name.size())));
        control->setGeometry(px(p.left), px(p.top), px(p.width), px(p.height));
    }
    resize(px(layout::kClientWidth), px(layout::kClientHeight));
}

void TForm1::Button1Click() {
    if (const QString path = OpenDialog1.ask(); !path.isEmpty()) {
        loadPane(InputPane::Memo1, path);
    }
}

void TForm1::Button2Click() {
    if (const QString path = OpenDialog1.ask(); !path.isEmpty()) {
        loadPane(InputPane::Memo2, path);
    }
}

namespace {

// What a load found: the pane's new text, or why there is none.
struct Loaded {
    bool opened = false;
    std::optional<std::string> text;  // none when too large for a pane
};

}  // namespace

void TForm1::loadPane(InputPane pane, const QString& path) {
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    loadFile(pane, QFile::encodeName(fullPath).toStdString(), fullPath);
}

void TForm1::loadPaneByName(InputPane pane, const QByteArray& name) {
    // Shown as the file dialogs show any name, whatever bytes it holds.
    loadFile(pane, name.toStdString(), QFile::decodeName(name));
}

void TForm1::loadFile(InputPane pane, const std::string& name, const QString& shown) {
    runFileCommand<Loaded>(
        [name] {
            const std::optional<std::string> start = loadTextFile(name, kFileBytesForPane);
            return start ? Loaded{true, fileTextForPane(*start)} : Loaded{};
        },
        [this, pane, shown](const Loaded& loaded) {
            if (!loaded.opened) {
                showError(wording::kCannotOpen.arg(shown));
            } else if (!loaded.text || !memo(pane)->setBytes(*loaded.text)) {
                showError(wording::kTooLarge);
            } else {
                Label3->confirm(pane == InputPane::Memo1 ? wording::kSerialsLoaded
                                                         : wording::kResultsLoaded);
            }
        });
}

void TForm1::Button4Click() {
    const QString path = SaveDialog1.ask();
    if (path.isEmpty()) {
        return;
    }
    const std::string name = QFile::encodeName(path).toStdString();
    runFileCommand<SaveStatus>([name, page = Memo3->bytes()] { return saveTextFile(name, page); },
                               [this, path](SaveStatus status) {
                                   if (status == SaveStatus::CannotCreate) {
                                       showError(wording::kCannotCreate.arg(path));
                                   } else if (status == SaveStatus::WriteError) {
                                       showError(wording::kWriteError);
                                   } else {
                                       Label3->confirm(wording::kPageSaved.arg(path));
                                   }
                               });
}

void TForm1::setCommandsEnabled(bool enabled) {
    for (int b = 1; b <= kButtonCount; ++b) {
        setButtonEnabled(b, enabled);
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (fileCommand_.pending()) {
        closeWhenIdle_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

MemoPane* TForm1::memo(InputPane pane) const {
    return pane == InputPane::Memo1 ? Memo1 : Memo2;
}

std::string TForm1::readPaneLine(InputPane pane, int line) {
    std::string bytes = memo(pane)->displayedLine(line);
    if (bytes.size() > kMaxLineBytes) {
        bytes.resize(kMaxLineBytes);
    }
    return bytes;
}

void TForm1::clearOutputPane() {
    Memo3->clear();
}

void TForm1::addToOutputPane(const std::string& text) {
    Memo3->addBytes(text);
    pageJustAdded_ = true;
}

bool TForm1::focusNextPrevChild(bool next) {
    // A command button being disabled, and Tab while it is, leave the focus
    // where it is. Qt would hand it to the next control in the chain, after
    // the buttons the output pane, where a Space or Enter meant for 作成
    // would be typed in front of the page. A disabled button takes no keys,
    // and a screen reader hears of no focus moving away and back.
    if (const QWidget* focus = focusWidget(); focus != nullptr && !focus->isEnabled()) {
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void TForm1::setButtonEnabled(int button, bool enabled) {
    if (button < 1 || button > kButtonCount) {
        return;
    }
    QPushButton* target = buttons_[static_cast<std::size_t>(button - 1)];
    target->setEnabled(enabled);
    // Qt gives the focus to no disabled control: the window made active
    // while the button waited (a dialog had just closed) has none yet.
    if (enabled && focusWidget() == target && isActiveWindow() && !target->hasFocus()) {
        target->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void TForm1::setStatusLine(const std::string& text) {
    // A screen reader speaks every message, and that the page is ready when
    // a run has just added it (the line shows nothing then). The busy text
    // stands for a few milliseconds and is not spoken.
    static const QString busy = toPaneText(literals::kBusy);
    const QString shown = toPaneText(text);
    const bool pageReady = std::exchange(pageJustAdded_, false) && shown.isEmpty();
    if (shown == busy) {
        Label3->showQuietly(shown);
    } else {
        Label3->say(shown, pageReady ? wording::kPageReady : QString());
    }
}

bool TForm1::startTrigger(int stage) {
    QTimer* timer = timers_.at(static_cast<std::size_t>(stage - 1));
    timer->start();
    // isActive() can be true for a timer the event loop never registered;
    // only a real timer id shows that the platform gave us one.
    if (timer->timerId() > 0) {
        return true;
    }
    timer->stop();
    return false;
}

void TForm1::stopTrigger(int stage) {
    timers_.at(static_cast<std::size_t>(stage - 1))->stop();
}

void TForm1::showErrorBox(const std::string& message) {
    showError(toPaneText(message));
}

void TForm1::showError(const QString& message) {
    ErrorBox box(appTitle_, message + QLatin1Char('.'), this);
    runModal_(box);
}

void TForm1::Button5Click() {
    Memo1->clear();
    Memo2->clear();
    Memo3->clear();
    Label3->say(QString());
    Label3->confirm(wording::kCleared);
}

}  // namespace numerlo
