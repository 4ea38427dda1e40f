// Arithmetic in the finite fields GF(q) for the prime powers up to 17, by tables.
#pragma once

#include <cstdint>
#include <vector>

namespace morvalen::briefgen {

class GaloisField {
public:
    // Throws std::invalid_argument unless q is 2, 3, 4, 5, 7, 8, 9, 11, 13, 16 or 17.
    explicit GaloisField(int q);

    int order() const { return q_; }
    // Elements are 0 … q − 1; for q = p^m, element a stands for the polynomial whose coefficients are
    // the base-p digits of a, so 0 and 1 are the field's zero and one.
    int add(int a, int b) const { return sum_[index(a, b)]; }
    int mul(int a, int b) const { return product_[index(a, b)]; }
    int neg(int a) const { return negative_[static_cast<std::size_t>(a)]; }
    int sub(int a, int b) const { return add(a, neg(b)); }
    int inverse(int a) const { return inverse_[static_cast<std::size_t>(a)]; }  // a ≠ 0

private:
    std::size_t index(int a, int b) const { return static_cast<std::size_t>(a * q_ + b); }

    int q_ = 2;
    std::vector<std::uint8_t> sum_;
    std::vector<std::uint8_t> product_;
    std::vector<int> negative_;
    std::vector<int> inverse_;
};

// The prime powers of this field family that are at least `count`; 0 when count exceeds 17.
int smallest_field_order(int count);

}  // namespace morvalen::briefgen
