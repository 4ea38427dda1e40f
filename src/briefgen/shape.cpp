// Signature arithmetic and mixed-radix indexing of the variants of a shape.
#include "briefgen/shape.h"

#include <algorithm>

#include "core/model/signature.h"

namespace morvalen::briefgen {

std::string shape_problem(const Shape& shape) {
    if (shape.guarantee < 1 || shape.guarantee > events) return "guarantee must be 1 to 8";
    for (int k = 0; k < events; ++k) {
        if (shape.counts[k] < 1 || shape.counts[k] > max_count) return "counts must be 1 to 17";
        if (k > 0 && shape.counts[k] > shape.counts[k - 1]) return "counts must be sorted from the largest";
    }
    return {};
}

std::int64_t signature_of(const Shape& shape) { return core::fold_signature(shape.guarantee, shape.counts); }

std::optional<Shape> shape_from_signature(std::int64_t signature) {
    if (!core::is_valid_signature(signature)) return std::nullopt;
    const core::SignatureParts parts = core::signature_parts(signature);
    Shape shape;
    shape.counts = parts.counts;
    shape.guarantee = static_cast<int>(parts.guarantee);
    return shape;
}

std::string describe(const Shape& shape) {
    std::string text;
    for (int k = 0; k < events; ++k) {
        if (k > 0) text += ',';
        text += std::to_string(shape.counts[k]);
    }
    return text + " G" + std::to_string(shape.guarantee);
}

Record record_of_digits(const Digits& digits) {
    Record record = 0;
    for (int k = events - 1; k >= 0; --k) record = record * 17 + digits[k];
    return record;
}

VariantSpace::VariantSpace(const Shape& shape) {
    std::array<int, events> counts{};
    for (int k = 0; k < events; ++k) {
        counts[k] = std::clamp(shape.counts[k], 1, max_count);
        if (counts[k] > 1) ++active_;
    }
    // Events with a choice must come first for the mixed radix; callers check the order beforehand.
    std::stable_sort(counts.begin(), counts.end(), std::greater<>());
    radix_ = core::MixedRadix::first_fastest(std::span<const int>(counts.data(), static_cast<std::size_t>(active_)));
    radius_ = std::clamp(events - shape.guarantee, 0, active_);
    ball_size_ = std::min(static_cast<std::uint64_t>(radix_.neighbourhood(radius_)), size());
}

std::optional<Digits> VariantSpace::digits_of_record(Record record) const {
    Digits digits{};
    for (int k = 0; k < events; ++k) {
        const auto digit = static_cast<int>(record % 17);
        if (digit >= count(k)) return std::nullopt;
        digits[k] = static_cast<std::uint8_t>(digit);
        record /= 17;
    }
    if (record != 0) return std::nullopt;
    return digits;
}

std::uint64_t sphere_bound(const Shape& shape) {
    const VariantSpace space(shape);
    return (space.size() + space.ball_size() - 1) / space.ball_size();
}

}  // namespace morvalen::briefgen
