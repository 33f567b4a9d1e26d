// numerlo-page: needs no display. Qt lays the panes' lines out in the
// window's font, on its offscreen platform unless another one is asked for.
#include <QGuiApplication>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "page_command.h"

namespace {

// Standard error is for the program's own messages: Qt's notes (no
// XDG_RUNTIME_DIR under cron, say) stay out of it; its errors do not.
void qtMessages(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "numerlo-page: %s\n", qPrintable(text));
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(qtMessages);
    // A reader that goes away (numerlo-page ... | head) is a write error.
    std::signal(SIGPIPE, SIG_IGN);
    std::setlocale(LC_ALL, "");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const QGuiApplication app(argc, argv);
    return numerlo::runPageCommand(QCoreApplication::arguments());
}
