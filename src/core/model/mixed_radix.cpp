// Weights and neighbourhood sizes of mixed-radix numbers.
#include "core/model/mixed_radix.h"

#include <algorithm>

namespace morvalen::core {

MixedRadix MixedRadix::last_fastest(std::span<const int> counts) {
    MixedRadix space;
    space.used_ = static_cast<int>(std::min<std::size_t>(counts.size(), radix_digits));
    for (int d = space.used_ - 1; d >= 0; --d) {
        space.counts_[static_cast<std::size_t>(d)] = counts[static_cast<std::size_t>(d)];
        space.weights_[static_cast<std::size_t>(d)] = space.size_;
        space.size_ *= counts[static_cast<std::size_t>(d)];
    }
    return space;
}

MixedRadix MixedRadix::first_fastest(std::span<const int> counts) {
    MixedRadix space;
    space.last_fastest_ = false;
    space.used_ = static_cast<int>(std::min<std::size_t>(counts.size(), radix_digits));
    for (int d = 0; d < space.used_; ++d) {
        space.counts_[static_cast<std::size_t>(d)] = counts[static_cast<std::size_t>(d)];
        space.weights_[static_cast<std::size_t>(d)] = space.size_;
        space.size_ *= counts[static_cast<std::size_t>(d)];
    }
    for (int d = space.used_; d < radix_digits; ++d) space.weights_[static_cast<std::size_t>(d)] = space.size_;
    return space;
}

std::int64_t MixedRadix::neighbourhood(int changes) const {
    // sums[j]: the j-th elementary symmetric sum of (count − 1) over the digits seen so far.
    std::array<std::int64_t, radix_digits + 1> sums{};
    sums[0] = 1;
    for (int d = 0; d < used_; ++d)
        for (int j = d + 1; j >= 1; --j) sums[static_cast<std::size_t>(j)] += sums[static_cast<std::size_t>(j) - 1] * (count(d) - 1);
    std::int64_t total = 0;
    for (int j = 0; j <= changes && j <= used_; ++j) total += sums[static_cast<std::size_t>(j)];
    return total;
}

}  // namespace morvalen::core
