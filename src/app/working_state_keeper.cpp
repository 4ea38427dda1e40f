// The timer is started by the first change and not pushed back by later ones, so steady typing
// still saves about once a second.
#include "app/working_state_keeper.h"

namespace morvalen::app {
namespace {

constexpr int default_delay_ms = 1000;

}  // namespace

WorkingStateKeeper::WorkingStateKeeper(QString folder, std::function<core::WorkingState()> capture, QObject* parent)
    : QObject(parent), store_(std::move(folder)), capture_(std::move(capture)) {
    timer_.setSingleShot(true);
    timer_.setInterval(default_delay_ms);
    connect(&timer_, &QTimer::timeout, this, [this] { store_.save_later(state_to_save()); });
}

WorkingStateKeeper::~WorkingStateKeeper() = default;

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
