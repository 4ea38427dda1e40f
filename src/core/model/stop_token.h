// The stop token every long computation reads; the browser's standard library has none of its own.
#pragma once

#include <version>

#if defined(__cpp_lib_jthread)
#include <stop_token>

namespace morvalen::core {
using StopToken = std::stop_token;
using StopSource = std::stop_source;
}  // namespace morvalen::core

#else
#include <atomic>
#include <memory>

namespace morvalen::core {

// The part of std::stop_token the computations use: asking whether a stop was requested.
class StopToken {
public:
    StopToken() = default;
    bool stop_requested() const noexcept { return state_ && state_->load(std::memory_order_relaxed); }
    bool stop_possible() const noexcept { return state_ != nullptr; }

private:
    friend class StopSource;
    explicit StopToken(std::shared_ptr<std::atomic<bool>> state) : state_(std::move(state)) {}
    std::shared_ptr<std::atomic<bool>> state_;
};

class StopSource {
public:
    StopSource() : state_(std::make_shared<std::atomic<bool>>(false)) {}
    StopToken get_token() const noexcept { return StopToken(state_); }
    bool request_stop() noexcept { return !state_->exchange(true); }
    bool stop_requested() const noexcept { return state_->load(); }

private:
    std::shared_ptr<std::atomic<bool>> state_;
};

}  // namespace morvalen::core
#endif
