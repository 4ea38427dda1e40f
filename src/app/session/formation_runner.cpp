// The worker thread of the formation methods: captions and the result travel to the window by queued calls.
#include "app/session/formation_runner.h"

#include <exception>
#include <stdexcept>

namespace morvalen::app {

FormationRunner::FormationRunner(Clock clock, std::chrono::milliseconds patience, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), patience_(patience) {}

FormationRunner::~FormationRunner() {
    // Joined here, while the object still exists: the worker may still be posting captions to it.
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

core::ProgressHooks FormationRunner::worker_hooks() {
    core::ProgressHooks hooks;
    hooks.clock = clock_;
    // Captions of a run already taken in (a quick one, whose captions wait behind it) are dropped.
    const std::uint64_t run = run_;
    hooks.show_caption = [this, run](const std::string& text) {
        QMetaObject::invokeMethod(
            this,
            [this, run, caption = QString::fromStdString(text)] {
                if (run == run_ && running_) Q_EMIT caption_shown(caption);
            },
            Qt::QueuedConnection);
    };
    hooks.restore_caption = [this, run] {
        QMetaObject::invokeMethod(
            this,
            [this, run] {
                if (run == run_ && running_) Q_EMIT caption_restored();
            },
            Qt::QueuedConnection);
    };
    hooks.show_error = [this](const std::string& text) {
        QMetaObject::invokeMethod(this, [this, message = QString::fromStdString(text)] { Q_EMIT error_shown(message); },
                                  Qt::QueuedConnection);
    };
    return hooks;
}

bool FormationRunner::start(Work work) {
    if (running_) return false;
    running_ = true;
    if (worker_.joinable()) worker_.join();
    done_ = false;
    ++run_;
    worker_ = std::jthread([this, work = std::move(work), hooks = worker_hooks()](std::stop_token stop) {
        Finish finish;
        try {
            finish = work(hooks, stop);
        } catch (...) {
            // Rethrown on the window's thread, where the window's guard shows it.
            finish = [error = std::current_exception()] { std::rethrow_exception(error); };
        }
        {
            const std::lock_guard lock(mutex_);
            finish_ = std::move(finish);
            done_ = true;
        }
        done_changed_.notify_all();
        QMetaObject::invokeMethod(this, [this] { take_in(); }, Qt::QueuedConnection);
    });
    std::unique_lock lock(mutex_);
    const bool quick = done_changed_.wait_for(lock, patience_, [this] { return done_; });
    lock.unlock();
    if (quick) {
        take_in();
    } else {
        Q_EMIT went_to_background();
    }
    return true;
}

void FormationRunner::request_stop() {
    if (running_) worker_.request_stop();
}

void FormationRunner::take_in() {
    // The queued call of a result already taken in by start finds nothing left.
    Finish finish;
    {
        const std::lock_guard lock(mutex_);
        if (!done_ || !running_) return;
        finish = std::move(finish_);
        finish_ = nullptr;
    }
    worker_.join();
    running_ = false;
    struct Finished {
        FormationRunner* runner;
        ~Finished() { Q_EMIT runner->finished(); }
    } finished{this};
    try {
        if (finish) finish();
    } catch (const std::exception& error) {
        // Nothing may leave a queued call: the window says what went wrong instead.
        Q_EMIT failed(QString::fromUtf8(error.what()));
    }
}

}  // namespace morvalen::app

