// A file command: its waiting on a thread of its own, what follows back on the window's.
#include "file_command.h"

#include <csignal>

namespace numerlo {

FileCommand::~FileCommand() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

void FileCommand::start(std::function<void()> work, std::function<void()> then) {
    worker_ = std::thread([this, work = std::move(work), then = std::move(then)]() mutable {
        // The signals that end the program are the window's to answer.
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            sigaddset(&ending, signal);
        }
        pthread_sigmask(SIG_BLOCK, &ending, nullptr);
        work();
        QMetaObject::invokeMethod(
            this,
            [this, then = std::move(then)] {
                worker_.join();
                then();
            },
            Qt::QueuedConnection);
    });
}

}  // namespace numerlo
