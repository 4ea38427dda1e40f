// Runs one long computation at a time on a worker thread; its result is taken in on the window's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include <QObject>
#include <QString>

#include "core/model/progress.h"
#include "core/model/stop_token.h"

namespace morvalen::app {

class FormationRunner : public QObject {
    Q_OBJECT
public:
    // What the window's thread does with a result once the work is done.
    using Finish = std::function<void()>;
    // Runs on the worker over copies of its inputs; must not touch the window or the session.
    using Work = std::function<Finish(const core::ProgressHooks&, core::StopToken)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Work that ends within `patience` is taken in before start returns, so that quick runs neither
    // disable the controls nor keep the caller waiting for the event loop.
    explicit FormationRunner(Clock clock, std::chrono::milliseconds patience = std::chrono::milliseconds(50),
                             QObject* parent = nullptr);
    // Stops the run and waits for the worker; a result not yet taken in is dropped.
    ~FormationRunner() override;

    bool running() const { return running_; }
    // False, doing nothing, while another run is under way.
    bool start(Work work);
    // The run ends as soon as the work reads its stop token; its result is still taken in.
    void request_stop();

Q_SIGNALS:
    // The run outlasted the patience: the controls that change its inputs are to be disabled.
    void went_to_background();
    // After the result was taken in (or the work failed); the controls may come back.
    void finished();
    void caption_shown(const QString& text);
    void caption_restored();
    void error_shown(const QString& text);
    // The work or the taking in of its result threw.
    void failed(const QString& text);

private:
    core::ProgressHooks worker_hooks();
    void take_in();

    Clock clock_;
    std::chrono::milliseconds patience_;
    bool running_ = false;
    std::uint64_t run_ = 0;  // counts the runs started
    std::mutex mutex_;
    std::condition_variable done_changed_;
    bool done_ = false;  // under mutex_: the worker has left its result in finish_
    Finish finish_;
    std::jthread worker_;
};

}  // namespace morvalen::app
