#pragma once
// Decimal number of up to 38 significant digits with a base-10 exponent, so that
// prices and quantities such as 1.2345 and 0.0001 are held exactly. Arithmetic
// never throws: division by zero, overflow and unparseable text give NaN.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace model {

enum class RoundingMode {
    Plain,    // half away from zero
    Down,     // toward negative infinity
    Up,       // toward positive infinity
    Bankers,  // half to even
    TowardZero,
    AwayFromZero,
};

class Decimal {
  public:
    static constexpr int kMaxDigits = 38;
    static constexpr int kMinExponent = -128;
    static constexpr int kMaxExponent = 127;

    Decimal() = default;  // zero
    explicit Decimal(std::int64_t value);

    // "[+-]digits[.digits][e[+-]digits]" (a leading "." is allowed); anything else gives nullopt.
    static std::optional<Decimal> fromString(std::string_view text);
    // Text that does not parse gives NaN.
    static Decimal parse(std::string_view text);
    // The shortest decimal text that reads back as the same double; NaN and infinities give NaN.
    static Decimal fromDouble(double value);
    static Decimal notANumber();

    bool isNaN() const { return nan_; }
    bool isZero() const { return !nan_ && mantissa_ == 0; }
    bool isNegative() const { return negative_; }
    // -1, 0 or 1 (0 for NaN).
    int sign() const;

    // Plain notation without trailing zeros ("0.75", "-7", "1200"); "NaN" for NaN.
    std::string toString() const;
    double toDouble() const;
    // Truncated toward zero, clamped to the type's range (0 for NaN).
    std::int64_t toInt64() const;
    std::int32_t intValue() const;

    Decimal add(const Decimal& other, RoundingMode mode = RoundingMode::Plain) const;
    Decimal subtract(const Decimal& other, RoundingMode mode = RoundingMode::Plain) const;
    Decimal multiply(const Decimal& other, RoundingMode mode = RoundingMode::Plain) const;
    Decimal divide(const Decimal& other, RoundingMode mode = RoundingMode::Plain) const;
    // Rounded to `scale` digits after the point (negative scales round to tens, hundreds...).
    Decimal rounded(int scale, RoundingMode mode) const;

    // <0, 0, >0; NaN orders before every number and equal to NaN.
    int compare(const Decimal& other) const;

    // The remainder self - divisor * q, q = self / divisor rounded to a whole
    // number: toward +infinity when the integer parts of self and divisor have
    // different signs, toward -infinity when they agree (zero counting as positive).
    // A zero divisor gives NaN.
    Decimal moduloFor(const Decimal& divisor) const;
    // The divisor enters through its six-decimal text ("%f").
    Decimal moduloForDouble(double divisor) const;
    // moduloFor 1: the fractional part.
    Decimal decimalPlaces() const;
    Decimal absoluteNumber() const;
    Decimal greaterNumber(const Decimal& other) const;
    Decimal smallerNumber(const Decimal& other) const;

    friend Decimal operator+(const Decimal& a, const Decimal& b) { return a.add(b); }
    friend Decimal operator-(const Decimal& a, const Decimal& b) { return a.subtract(b); }
    friend Decimal operator*(const Decimal& a, const Decimal& b) { return a.multiply(b); }
    friend Decimal operator/(const Decimal& a, const Decimal& b) { return a.divide(b); }
    friend bool operator==(const Decimal& a, const Decimal& b) { return a.compare(b) == 0; }
    friend bool operator<(const Decimal& a, const Decimal& b) { return a.compare(b) < 0; }
    friend bool operator>(const Decimal& a, const Decimal& b) { return a.compare(b) > 0; }
    friend bool operator<=(const Decimal& a, const Decimal& b) { return a.compare(b) <= 0; }
    friend bool operator>=(const Decimal& a, const Decimal& b) { return a.compare(b) >= 0; }

    // Coefficient digits and exponent (value = digits x 10^exponent); for tests and printing.
    std::string coefficientDigits() const;
    int exponent() const { return exponent_; }

  private:
    static Decimal make(bool negative, std::string digits, long exponent, RoundingMode mode);

    bool negative_ = false;
    bool nan_ = false;
    unsigned __int128 mantissa_ = 0;
    int exponent_ = 0;
};

}  // namespace model
