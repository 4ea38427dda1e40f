// Field tables: integers modulo p, and polynomials over GF(p) modulo a fixed irreducible one.
#include "briefgen/galois_field.h"

#include <stdexcept>
#include <string>

namespace morvalen::briefgen {

namespace {

struct Extension {
    int q;
    int p;
    int m;
    // Coefficients of x^0 … x^(m−1) of x^m's reduction: x^m = −(low terms) of the irreducible polynomial.
    std::vector<int> reduction;
};

// x^2 + x + 1, x^3 + x + 1, x^2 + 1 over GF(3), x^4 + x + 1: irreducible, so the quotient is a field.
const Extension* extension_of(int q) {
    static const Extension table[] = {
        {4, 2, 2, {1, 1}},     // x^2 = x + 1
        {8, 2, 3, {1, 1, 0}},  // x^3 = x + 1
        {9, 3, 2, {2, 0}},     // x^2 = −1 = 2
        {16, 2, 4, {1, 1, 0, 0}},  // x^4 = x + 1
    };
    for (const Extension& e : table)
        if (e.q == q) return &e;
    return nullptr;
}

bool is_prime(int q) {
    if (q < 2) return false;
    for (int d = 2; d * d <= q; ++d)
        if (q % d == 0) return false;
    return true;
}

std::vector<int> digits_of(int a, int p, int m) {
    std::vector<int> digits(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i, a /= p) digits[static_cast<std::size_t>(i)] = a % p;
    return digits;
}

int value_of(const std::vector<int>& digits, int p) {
    int a = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) a = a * p + *it;
    return a;
}

}  // namespace

GaloisField::GaloisField(int q) : q_(q) {
    const Extension* extension = extension_of(q);
    if (!extension && !(is_prime(q) && q <= 17)) throw std::invalid_argument("no field of order " + std::to_string(q));
    const auto cells = static_cast<std::size_t>(q * q);
    sum_.resize(cells);
    product_.resize(cells);
    for (int a = 0; a < q; ++a) {
        for (int b = 0; b < q; ++b) {
            int sum = 0, product = 0;
            if (!extension) {
                sum = (a + b) % q;
                product = a * b % q;
            } else {
                const int p = extension->p, m = extension->m;
                const auto x = digits_of(a, p, m), y = digits_of(b, p, m);
                std::vector<int> added(static_cast<std::size_t>(m));
                for (int i = 0; i < m; ++i) added[static_cast<std::size_t>(i)] = (x[static_cast<std::size_t>(i)] + y[static_cast<std::size_t>(i)]) % p;
                sum = value_of(added, p);
                // Schoolbook product, then fold the powers m … 2m − 2 back with x^m = reduction.
                std::vector<int> full(static_cast<std::size_t>(2 * m - 1), 0);
                for (int i = 0; i < m; ++i)
                    for (int j = 0; j < m; ++j)
                        full[static_cast<std::size_t>(i + j)] += x[static_cast<std::size_t>(i)] * y[static_cast<std::size_t>(j)];
                for (int power = 2 * m - 2; power >= m; --power) {
                    const int c = full[static_cast<std::size_t>(power)] % p;
                    full[static_cast<std::size_t>(power)] = 0;
                    for (int i = 0; i < m; ++i)
                        full[static_cast<std::size_t>(power - m + i)] += c * extension->reduction[static_cast<std::size_t>(i)];
                }
                full.resize(static_cast<std::size_t>(m));
                for (int& c : full) c %= p;
                product = value_of(full, p);
            }
            sum_[index(a, b)] = static_cast<std::uint8_t>(sum);
            product_[index(a, b)] = static_cast<std::uint8_t>(product);
        }
    }
    negative_.assign(static_cast<std::size_t>(q), 0);
    inverse_.assign(static_cast<std::size_t>(q), 0);
    for (int a = 0; a < q; ++a) {
        for (int b = 0; b < q; ++b) {
            if (add(a, b) == 0) negative_[static_cast<std::size_t>(a)] = b;
            if (mul(a, b) == 1) inverse_[static_cast<std::size_t>(a)] = b;
        }
    }
}

int smallest_field_order(int count) {
    for (int q : {2, 3, 4, 5, 7, 8, 9, 11, 13, 16, 17})
        if (q >= count) return q;
    return 0;
}

}  // namespace morvalen::briefgen
