// The main window: two input panes, the output pane, five command buttons,
// the status and notice lines, and the 42 stage triggers of a table run.
//
// The controls keep their fixed names:
//   Memo1   draw-serial pane (input)         Button1  load draw serials (抽選回数)
//   Memo2   draw-result pane (input)         Button2  load draw results (本数字+B数字)
//   Memo3   output pane, where the page goes Button3  create (作成)
//   Label1  caption under Memo1 (回数)        Button4  save the page (保存)
//   Label2  caption under Memo2              Button5  clear (クリア)
//   Label3  status line                      Timer1..Timer42  the run's stage triggers
//   Label4  notice line                      OpenDialog1, SaveDialog1  the file dialogs
#pragma once

#include <QWidget>

#include <array>
#include <string>

#include "file_command.h"
#include "file_dialog.h"
#include "memo_pane.h"
#include "modal.h"
#include "run.h"
#include "wording.h"

class QLabel;
class QPushButton;
class QTimer;

namespace numerlo {

class StatusLine;

class TForm1 : public QWidget, public RunWindow {
    Q_OBJECT

  public:
    // `appTitle` captions the error boxes.
    explicit TForm1(QString appTitle, QWidget* parent = nullptr);

    // Replaces how modal dialogs run (tests answer them without a person).
    void setModalRunner(ModalRunner runner) { runModal_ = std::move(runner); }

    // Geometry factor applied to every control: 1 unless the font's measured
    // height differs from 12 px.
    [[nodiscard]] double layoutScale() const { return scale_; }
    [[nodiscard]] TableRun& run() { return run_; }

    // Window operations for the table run.
    std::string readPaneLine(InputPane pane, int line) override;
    void clearOutputPane() override;
    void addToOutputPane(const std::string& text) override;
    void setButtonEnabled(int button, bool enabled) override;
    void setStatusLine(const std::string& text) override;
    bool startTrigger(int stage) override;
    void stopTrigger(int stage) override;
    void showErrorBox(const std::string& message) override;

    // A modal critical box with one OK button: the message and a ".".
    void showError(const QString& message);

    // The load commands (抽選回数, 本数字+B数字), the save command (保存) and
    // the clear command (クリア).
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Button5Click();

    // Replaces an input pane's whole text with a file's, or shows why not.
    // Like a save, the load waits off the window's thread with the commands
    // disabled; idle() tells when it is over.
    void loadPane(InputPane pane, const QString& path);
    // The same for a file named by the bytes the system knows it by.
    void loadPaneByName(InputPane pane, const QByteArray& name);

    // No run and no file command under way.
    [[nodiscard]] bool idle() const { return !run_.running() && !fileCommand_.pending(); }

  protected:
    // Closing waits for a file command under way to end, with its box.
    void closeEvent(QCloseEvent* event) override;
    // A new palette recolours the captions, the notice and the status line.
    void changeEvent(QEvent* event) override;
    // Tab does not move the focus off a disabled button.
    bool focusNextPrevChild(bool next) override;

  private:
    Q_INVOKABLE void showIcon();
    // The window's font, measured: the geometry factor follows from it.
    QFont setWindowFont();
    void createControls();
    MemoPane* createPane(MemoPane::Role role, const QString& name);
    MemoPane* createInputPane(InputPane which, const QString& name,
                              const QString (&lines)[wording::kInstructionLines]);
    void createButtons();
    // Black captions and a red status line, or readable ones on a dark window.
    void setLabelColours();
    void createTimers();
    void placeControls();
    [[nodiscard]] MemoPane* memo(InputPane pane) const;
    // Loads the file named `name` into `pane`; a box says `shown` when it
    // cannot be opened.
    void loadFile(InputPane pane, const std::string& name, const QString& shown);

    // A file command: its waiting runs off the window's thread while the
    // commands are disabled, as during a run; `then` follows on the window's
    // thread once they are enabled again.
    template <typename Result>
    void runFileCommand(std::function<Result()> work, std::function<void(Result)> then) {
        setCommandsEnabled(false);
        fileCommand_.run<Result>(std::move(work), [this, then = std::move(then)](Result result) {
            setCommandsEnabled(true);
            then(std::move(result));
            if (closeWhenIdle_) {
                close();
            }
        });
    }
    void setCommandsEnabled(bool enabled);

    QString appTitle_;
    ModalRunner runModal_ = runModally;
    double scale_ = 1.0;

    MemoPane* Memo1 = nullptr;
    MemoPane* Memo2 = nullptr;
    MemoPane* Memo3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    StatusLine* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    std::array<QPushButton*, kButtonCount> buttons_{};                 // Button1..Button5
    std::array<QTimer*, kStageCount> timers_{};                        // Timer1..Timer42
    FileDialog OpenDialog1{FileDialog::Kind::Open, *this, runModal_};  // both load commands
    FileDialog SaveDialog1{FileDialog::Kind::Save, *this, runModal_};

    TableRun run_;
    FileCommand fileCommand_;  // last: a command under way ends before anything else goes
    bool closeWhenIdle_ = false;
    bool pageJustAdded_ = false;  // a run added its page; the status line is set next
};

}  // namespace numerlo
