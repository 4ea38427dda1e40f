// The timer is started by the first change and not pushed back by later ones, so steady typing
// still saves about once a second.
#include "app/session/working_state_keeper.h"

namespace morvalen::app {
namespace {

constexpr int default_delay_ms = 1000;
// A full disk is rarely freed within seconds; the player is told once and the save tried again.
constexpr int default_retry_ms = 30000;

}  // namespace

WorkingStateKeeper::WorkingStateKeeper(QString folder, std::function<core::WorkingState()> capture, QObject* parent)
    : QObject(parent), store_(std::move(folder)), capture_(std::move(capture)) {
    timer_.setSingleShot(true);
    timer_.setInterval(default_delay_ms);
    connect(&timer_, &QTimer::timeout, this, [this] { store_.save_later(state_to_save()); });
    retry_.setSingleShot(true);
    retry_.setInterval(default_retry_ms);
    connect(&retry_, &QTimer::timeout, this, [this] { store_.save_later(state_to_save()); });
    // The writer thread reports; the report is handled on this object's thread.
    store_.set_write_listener([this](bool ok, const QString& error) {
        QMetaObject::invokeMethod(this, [this, ok, error] { written(ok, error); }, Qt::QueuedConnection);
    });
}

void WorkingStateKeeper::written(bool ok, const QString& error) {
    if (ok) {
        retry_.stop();
        if (failing_) {
            failing_ = false;
            Q_EMIT save_recovered();
        }
        return;
    }
    const bool first = !failing_;
    failing_ = true;
    if (!retry_.isActive()) retry_.start();
    if (first) Q_EMIT save_failed(error);
}

WorkingStateKeeper::~WorkingStateKeeper() {
    // The store outlives no report: its listener must not reach this object once it is gone.
    store_.set_write_listener({});
    store_.wait_until_written();
}

void WorkingStateKeeper::changed() {
    if (!timer_.isActive()) timer_.start();
}

void WorkingStateKeeper::save_now() {
    timer_.stop();
    store_.save_now(state_to_save());
}

core::WorkingState WorkingStateKeeper::state_to_save() {
    core::WorkingState state = capture_();
    if (held_) core::carry_marks(*held_, state);
    return state;
}

}  // namespace morvalen::app
