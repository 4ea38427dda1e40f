// Callbacks through which a long operation shows progress and reports failure, from whatever thread runs it.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace morvalen::core {

// Every member may be empty. The window fills them; tests inject a clock that they advance.
struct ProgressHooks {
    std::function<std::chrono::steady_clock::time_point()> clock;
    std::function<void(const std::string&)> show_caption;
    std::function<void()> restore_caption;
    // A message box captioned "Ошибка".
    std::function<void(const std::string&)> show_error;

    std::chrono::steady_clock::time_point now() const { return clock ? clock() : std::chrono::steady_clock::now(); }
    void caption(const std::string& text) const { if (show_caption) show_caption(text); }
    void restore() const { if (restore_caption) restore_caption(); }
    void error(const std::string& text) const { if (show_error) show_error(text); }
};

// Says "due" at most once a second, so that captions never dominate the work.
class ProgressThrottle {
public:
    explicit ProgressThrottle(const ProgressHooks& hooks) : hooks_(hooks), last_(hooks.now()) {}

    bool due() {
        const auto now = hooks_.now();
        if (now - last_ <= std::chrono::seconds(1)) return false;
        last_ = now;
        return true;
    }

private:
    const ProgressHooks& hooks_;
    std::chrono::steady_clock::time_point last_;
};

inline constexpr const char* out_of_memory_text = "Нехватка оперативной памяти";
inline constexpr const char* esc_hint_text = "  Для остановки нажмите клавишу \"Esc\"";

}  // namespace morvalen::core
