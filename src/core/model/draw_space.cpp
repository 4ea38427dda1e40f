// Classes, probabilities and index arithmetic of the merged draws.
#include "core/model/draw_space.h"

namespace morvalen::core {

DrawSpace::DrawSpace(const EventTable& table) {
    for (int d = 0; d < event_count; ++d) {
        // Normalised as package_chances does, so that both report the same chance.
        long double sum = 0;
        for (int c = 1; c <= outcome_count; ++c) sum += static_cast<long double>(table.cell(d + 1, c).setting_probability.ten_thousandths());
        long double rest = 0;
        for (int c = 1; c <= outcome_count; ++c) {
            const long double share = sum > 0 ? static_cast<long double>(table.cell(d + 1, c).setting_probability.ten_thousandths()) / sum : 0;
            if (table.cell(d + 1, c).mark == 1) {
                probability_[d][classes_[d]++] = static_cast<double>(share);
                ++marked_[d];
            }
            else
                rest += share;
        }
        if (rest > 0) probability_[d][classes_[d]++] = static_cast<double>(rest);
    }
    radix_ = MixedRadix::last_fastest(classes_);
}

std::uint64_t DrawSpace::draw_of(const VariantPattern& variant) const { return static_cast<std::uint64_t>(radix_.index_of(variant)); }

VariantPattern DrawSpace::pattern_of(std::uint64_t draw) const {
    VariantPattern pattern = radix_.digits_of<VariantPattern>(static_cast<std::int64_t>(draw));
    for (int d = 0; d < event_count; ++d)
        if (pattern[d] >= marked_[d]) pattern[d] = -1;
    return pattern;
}

std::uint64_t DrawSpace::neighbourhood(int changes) const { return static_cast<std::uint64_t>(radix_.neighbourhood(changes)); }

double DrawSpace::covered_probability(const std::vector<std::uint16_t>& counts) const {
    // Events 1–4 and 5–8 as two digits, so that a draw's probability is one product of two tables.
    std::vector<double> high{1.0}, low{1.0};
    for (int d = 0; d < event_count; ++d) {
        std::vector<double>& half = d < event_count / 2 ? high : low;
        std::vector<double> next;
        next.reserve(half.size() * static_cast<std::size_t>(classes_[d]));
        for (const double p : half)
            for (int c = 0; c < classes_[d]; ++c) next.push_back(p * probability_[d][c]);
        half.swap(next);
    }
    double total = 0;
    std::size_t at = 0;
    for (const double h : high) {
        double row = 0;
        for (const double l : low) row += counts[at++] > 0 ? l : 0.0;
        total += h * row;
    }
    return total;
}

double DrawSpace::single_chance(const VariantPattern& variant, int guarantee) const {
    std::array<double, event_count + 1> hits{};  // hits[j]: P(exactly j agreements so far)
    hits[0] = 1;
    for (int d = 0; d < event_count; ++d) {
        const double q = probability_[d][variant[d]];
        for (int j = d + 1; j >= 1; --j) hits[j] = hits[j] * (1 - q) + hits[j - 1] * q;
        hits[0] *= 1 - q;
    }
    double chance = 0;
    for (int j = guarantee; j <= event_count; ++j) chance += hits[j];
    return chance;
}

std::optional<std::string> draw_space_refusal(const EventTable& table) {
    for (int e = 1; e <= event_count; ++e) {
        bool marked = false;
        bool marked_likely = false;
        for (int c = 1; c <= outcome_count; ++c) {
            const OutcomeCell& cell = table.cell(e, c);
            if (cell.setting_probability.ten_thousandths() < 0)
                return "Событие " + std::to_string(e) + ": отрицательная вероятность исхода " + std::string(outcome_label(c)) +
                       ", максимум шансов не рассчитывается";
            if (cell.mark != 1) continue;
            marked = true;
            marked_likely |= cell.setting_probability.ten_thousandths() > 0;
        }
        if (!marked) return "Событие " + std::to_string(e) + ": нет отмеченных исходов";
        if (!marked_likely)
            return "Событие " + std::to_string(e) +
                   ": у всех отмеченных исходов вероятность 0, максимум шансов не рассчитывается. "
                   "Задайте вероятности в окне \"Редактирование вероятностей\".";
    }
    return std::nullopt;
}

}  // namespace morvalen::core
