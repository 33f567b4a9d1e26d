#include "quit_on_signal.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include "save.h"

namespace numerlo {

namespace {

// A signal handler may do next to nothing; it writes one byte into a socket
// that the event loop watches, and the loop does the rest.
int signalSockets[2] = {-1, -1};

void onSignal(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
}

// Once the program is ending, a dialog or box that opens (the error of a
// save cut short) is closed as soon as it shows: nobody may be there.
class NoNewDialogs : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* dialog = qobject_cast<QDialog*>(watched)) {
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        }
        return false;
    }
};

}  // namespace

void quitOnTerminationSignals(QWidget& mainWindow) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, &mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, &mainWindow, [] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalSockets[1], &byte, 1);
        // Every event loop ends, a dialog's or box's too, and a box opened
        // later closes at once. No box waits for a person: the window, going
        // away, waits only for a file command under way to end, and a save
        // waits for a stream read slowly no longer than its usual patience.
        hurrySaves();
        static NoNewDialogs* const closer = [] {
            auto* filter = new NoNewDialogs(qApp);
            qApp->installEventFilter(filter);
            return filter;
        }();
        (void)closer;
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace numerlo
