// Runs the waiting of a file command off the window's thread, so that a load
// or save that waits for a lease, a stalled reader or a slow disk leaves the
// window painting and answering. The work runs on a thread of its own and
// touches no widget; what follows runs back on the window's thread. One
// command at a time. Going away, it waits for a command under way to
// finish whole.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace numerlo {

class FileCommand : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    FileCommand(const FileCommand&) = delete;
    FileCommand& operator=(const FileCommand&) = delete;
    ~FileCommand() override;

    [[nodiscard]] bool pending() const { return worker_.joinable(); }

    // Runs `work` off the window's thread, then `then` with its result on it.
    template <typename Result>
    void run(std::function<Result()> work, std::function<void(Result)> then) {
        auto result = std::make_shared<Result>();
        start([result, work = std::move(work)] { *result = work(); },
              [result, then = std::move(then)] { then(std::move(*result)); });
    }

  private:
    void start(std::function<void()> work, std::function<void()> then);

    std::thread worker_;
};

}  // namespace numerlo
