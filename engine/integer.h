#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <stdexcept>

namespace tavrin {

// Raised when a 16-bit result would leave -32768..32767. Handlers catch it and
// keep their state; nothing is ever allowed to wrap silently.
class OverflowError : public std::overflow_error {
public:
    OverflowError() : std::overflow_error("16-bit overflow") {}
};

class DivisionByZeroError : public std::domain_error {
public:
    DivisionByZeroError() : std::domain_error("integer division by zero") {}
};

// The signed 16-bit counter type every time and count is kept in.
class Integer {
public:
    static constexpr int kMin = -32768;
    static constexpr int kMax = 32767;

    constexpr Integer() = default;
    // Implicit so that literals mix with Integers; out-of-range values throw.
    constexpr Integer(int v) : v_(checked(v)) {} // NOLINT(google-explicit-constructor)

    // From a wider value: throws OverflowError outside the range.
    static constexpr Integer fromWide(long long v)
    {
        if (v < kMin || v > kMax)
            throw OverflowError();
        return Integer(static_cast<int>(v));
    }
    static constexpr bool fits(long long v) { return v >= kMin && v <= kMax; }

    constexpr int value() const { return v_; }

    friend constexpr Integer operator+(Integer a, Integer b) { return fromWide(a.v_ + b.v_); }
    friend constexpr Integer operator-(Integer a, Integer b) { return fromWide(a.v_ - b.v_); }
    friend constexpr Integer operator*(Integer a, Integer b)
    {
        return fromWide(static_cast<long long>(a.v_) * b.v_);
    }
    friend constexpr Integer operator-(Integer a) { return fromWide(-static_cast<long long>(a.v_)); }

    friend constexpr bool operator==(Integer a, Integer b) = default;
    friend constexpr std::strong_ordering operator<=>(Integer a, Integer b) = default;

    QString toString() const { return QString::number(v_); }

private:
    static constexpr std::int16_t checked(int v)
    {
        if (v < kMin || v > kMax)
            throw OverflowError();
        return static_cast<std::int16_t>(v);
    }
    std::int16_t v_ = 0;
};

// Integer division truncating toward zero (the `\` operator).
constexpr Integer idiv(Integer a, Integer b)
{
    if (b.value() == 0)
        throw DivisionByZeroError();
    return Integer::fromWide(a.value() / b.value());
}

// Remainder of idiv, with the sign of the dividend.
constexpr Integer imod(Integer a, Integer b)
{
    if (b.value() == 0)
        throw DivisionByZeroError();
    return Integer::fromWide(a.value() % b.value());
}

// Nearest integer, halves to the even neighbour (1.5 -> 2, 2.5 -> 2, -2.5 -> -2).
// Not-a-number and values beyond the 64-bit range are refused with OverflowError.
long long roundHalfEven(double x);

// roundHalfEven, then checked into the 16-bit range.
Integer toInteger(double x);

} // namespace tavrin
