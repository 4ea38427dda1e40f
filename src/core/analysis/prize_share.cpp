// Closed forms where they are stable, a direct sum for few expected winners, and otherwise
// quadrature of E[h/(h+W)] = h ∫₀¹ (1−s)^(h−1) (1−c·s)^T ds, whose integrand falls like e^(−λs).
#include "core/analysis/prize_share.h"

#include <array>
#include <cmath>

namespace morvalen::core {
namespace {

// Up to this many expected other winners the binomial terms are summed one by one.
constexpr double direct_sum_mean = 40;
// The recursion over h is followed while h stays this far below the expected other winners.
constexpr double recursion_margin = 4;
constexpr double recursion_h_limit = 64;
// The integrand is cut where its bound e^(−λs) falls below e^(−cut_exponent).
constexpr double cut_exponent = 50;

constexpr int nodes = 20;
struct GaussLegendre {
    std::array<double, nodes> x{};  // on [−1, 1]
    std::array<double, nodes> w{};
};

GaussLegendre make_rule() {
    GaussLegendre rule;
    for (int i = 0; i < nodes; ++i) {
        long double z = std::cos(3.14159265358979323846L * (i + 0.75L) / (nodes + 0.5L));
        long double derivative = 0;
        for (int step = 0; step < 100; ++step) {
            long double p0 = 1, p1 = z;
            for (int n = 2; n <= nodes; ++n) {
                const long double p2 = ((2 * n - 1) * z * p1 - (n - 1) * p0) / n;
                p0 = p1;
                p1 = p2;
            }
            derivative = nodes * (z * p1 - p0) / (z * z - 1);
            const long double next = z - p1 / derivative;
            const bool settled = std::fabs(next - z) < 1e-19L;
            z = next;
            if (settled) break;
        }
        rule.x[static_cast<std::size_t>(i)] = static_cast<double>(z);
        rule.w[static_cast<std::size_t>(i)] = static_cast<double>(2 / ((1 - z * z) * derivative * derivative));
    }
    return rule;
}

const GaussLegendre& rule() {
    static const GaussLegendre built = make_rule();
    return built;
}

double direct_sum(double h, double c, double tickets) {
    const double ratio = c / (1 - c);
    double term = std::exp(tickets * std::log1p(-c));
    double sum = 0;
    for (double w = 0; w <= tickets; ++w) {
        const double part = term * h / (h + w);
        sum += part;
        if (w > c * tickets && part < sum * 1e-18) break;
        term *= (tickets - w) / (w + 1) * ratio;
    }
    return sum;
}

// I_1 = (1 − q^(T+1)) / (c(T+1)), I_j = (1 − (j−1) q I_(j−1)) / (c(T+j)); h·I_h is the share.
double by_recursion(int h, double c, double tickets) {
    const double q = 1 - c;
    double integral = -std::expm1((tickets + 1) * std::log1p(-c)) / ((tickets + 1) * c);
    for (int j = 2; j <= h; ++j) integral = (1 - (j - 1) * q * integral) / (c * (tickets + j));
    return h * integral;
}

double by_quadrature(double h, double c, double tickets) {
    const double rate = (h - 1) + c * tickets;  // the integrand stays below e^(−rate·s)
    const double end = std::fmin(1.0, cut_exponent / rate);
    const auto integrand = [&](double s) { return std::exp((h - 1) * std::log1p(-s) + tickets * std::log1p(-c * s)); };
    // Panels doubling in width on the scale 1/rate, where the integrand changes by a steady factor.
    constexpr std::array<double, 8> bounds{0, 0.5, 1, 2, 4, 8, 16, 32};
    const GaussLegendre& gl = rule();
    double sum = 0;
    double from = 0;
    for (std::size_t p = 1; p <= bounds.size() && from < end; ++p) {
        const double to = p < bounds.size() ? std::fmin(end, bounds[p] / rate) : end;
        if (to <= from) continue;
        const double half = (to - from) / 2, middle = (to + from) / 2;
        double panel = 0;
        for (std::size_t i = 0; i < gl.x.size(); ++i) panel += gl.w[i] * integrand(middle + half * gl.x[i]);
        sum += panel * half;
        from = to;
    }
    return h * sum;
}

}  // namespace

double expected_prize_share(double h, double c, std::int64_t tickets) {
    if (!(h > 0)) return 0;
    if (tickets <= 0 || !(c > 0)) return 1;
    const auto t = static_cast<double>(tickets);
    if (c >= 1) return h / (h + t);
    const double mean = c * t;
    if (h == 1) return -std::expm1((t + 1) * std::log1p(-c)) / ((t + 1) * c);
    if (mean <= direct_sum_mean) return direct_sum(h, c, t);
    if (h <= recursion_h_limit && h * recursion_margin <= mean && h == std::floor(h)) return by_recursion(static_cast<int>(h), c, t);
    return by_quadrature(h, c, t);
}

}  // namespace morvalen::core
