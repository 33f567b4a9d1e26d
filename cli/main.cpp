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
    // Qt is given no argument to read: -platform, -reverse and the like are
    // not this program's options, and a wrong one would end it in an abort.
    int qtArgc = 1;
    const QGuiApplication app(qtArgc, argv);
    // A file name is bytes, not always UTF-8 (an archive named in EUC-JP or
    // CP932): each argument goes on as Latin-1, one character a byte, and
    // comes back as the very bytes given.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLatin1(argv[i]));
    }
    return numerlo::runPageCommand(arguments);
}
