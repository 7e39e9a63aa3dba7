#include "model/decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace model {

namespace {

// Unsigned whole numbers as decimal digit strings, most significant first.
using Digits = std::string;

void stripLeadingZeros(Digits& d) {
    const auto first = d.find_first_not_of('0');
    if (first == Digits::npos) {
        d.assign(1, '0');
    } else if (first > 0) {
        d.erase(0, first);
    }
}

bool isZeroDigits(const Digits& d) {
    return d.find_first_not_of('0') == Digits::npos;
}

int compareDigits(Digits a, Digits b) {
    stripLeadingZeros(a);
    stripLeadingZeros(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Digits addDigits(const Digits& a, const Digits& b) {
    Digits out;
    out.reserve(std::max(a.size(), b.size()) + 1);
    int carry = 0;
    auto ia = a.rbegin();
    auto ib = b.rbegin();
    while (ia != a.rend() || ib != b.rend() || carry) {
        int sum = carry;
        if (ia != a.rend()) sum += *ia++ - '0';
        if (ib != b.rend()) sum += *ib++ - '0';
        out.push_back(static_cast<char>('0' + sum % 10));
        carry = sum / 10;
    }
    std::reverse(out.begin(), out.end());
    stripLeadingZeros(out);
    return out;
}

// a - b with a >= b.
Digits subtractDigits(const Digits& a, const Digits& b) {
    Digits out;
    out.reserve(a.size());
    int borrow = 0;
    auto ia = a.rbegin();
    auto ib = b.rbegin();
    while (ia != a.rend()) {
        int v = (*ia++ - '0') - borrow;
        if (ib != b.rend()) v -= *ib++ - '0';
        borrow = v < 0 ? 1 : 0;
        if (v < 0) v += 10;
        out.push_back(static_cast<char>('0' + v));
    }
    std::reverse(out.begin(), out.end());
    stripLeadingZeros(out);
    return out;
}

Digits multiplyDigits(const Digits& a, const Digits& b) {
    std::vector<int> cells(a.size() + b.size(), 0);
    for (std::size_t i = a.size(); i-- > 0;) {
        for (std::size_t j = b.size(); j-- > 0;) {
            cells[i + j + 1] += (a[i] - '0') * (b[j] - '0');
        }
    }
    for (std::size_t k = cells.size(); k-- > 1;) {
        cells[k - 1] += cells[k] / 10;
        cells[k] %= 10;
    }
    Digits out;
    out.reserve(cells.size());
    for (int c : cells) out.push_back(static_cast<char>('0' + c));
    stripLeadingZeros(out);
    return out;
}

// Long division; b must not be zero.
void divideDigits(const Digits& a, const Digits& b, Digits& quotient, Digits& remainder) {
    quotient.clear();
    remainder.assign(1, '0');
    for (char c : a) {
        if (remainder == "0") {
            remainder = Digits(1, c);
        } else {
            remainder.push_back(c);
        }
        int q = 0;
        while (compareDigits(remainder, b) >= 0) {
            remainder = subtractDigits(remainder, b);
            ++q;
        }
        quotient.push_back(static_cast<char>('0' + q));
    }
    stripLeadingZeros(quotient);
    stripLeadingZeros(remainder);
}

Digits toDigits(unsigned __int128 v) {
    if (v == 0) return "0";
    Digits out;
    while (v > 0) {
        out.push_back(static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

unsigned __int128 fromDigits(const Digits& d) {
    unsigned __int128 v = 0;
    for (char c : d) v = v * 10 + static_cast<unsigned>(c - '0');
    return v;
}

// Drops the last `k` digits of a magnitude, rounding by `mode` for a number of the given sign.
Digits roundOff(const Digits& digits, std::size_t k, bool negative, RoundingMode mode) {
    if (k == 0) return digits;
    Digits kept = k >= digits.size() ? Digits("0") : digits.substr(0, digits.size() - k);
    Digits dropped =
        k >= digits.size() ? Digits(k - digits.size(), '0') + digits : digits.substr(digits.size() - k);
    if (isZeroDigits(dropped)) return kept;
    const int vsHalf = [&] {
        if (dropped[0] != '5') return dropped[0] < '5' ? -1 : 1;
        return isZeroDigits(dropped.substr(1)) ? 0 : 1;
    }();
    bool increment = false;
    switch (mode) {
        case RoundingMode::Plain:
            increment = vsHalf >= 0;
            break;
        case RoundingMode::Bankers:
            increment = vsHalf > 0 || (vsHalf == 0 && ((kept.back() - '0') % 2) == 1);
            break;
        case RoundingMode::Down:
            increment = negative;
            break;
        case RoundingMode::Up:
            increment = !negative;
            break;
        case RoundingMode::TowardZero:
            increment = false;
            break;
        case RoundingMode::AwayFromZero:
            increment = true;
            break;
    }
    return increment ? addDigits(kept, "1") : kept;
}

// Both operands as whole numbers over the same (smaller) exponent.
struct Aligned {
    Digits a;
    Digits b;
    long exponent;
};

Aligned align(const Digits& a, long ea, const Digits& b, long eb) {
    const long e = std::min(ea, eb);
    return {a + Digits(static_cast<std::size_t>(ea - e), '0'),
            b + Digits(static_cast<std::size_t>(eb - e), '0'), e};
}

}  // namespace

Decimal::Decimal(std::int64_t value) {
    negative_ = value < 0;
    const auto magnitude =
        negative_ ? static_cast<std::uint64_t>(-(value + 1)) + 1u : static_cast<std::uint64_t>(value);
    *this = make(negative_, toDigits(magnitude), 0, RoundingMode::Plain);
}

Decimal Decimal::notANumber() {
    Decimal d;
    d.nan_ = true;
    return d;
}

Decimal Decimal::make(bool negative, std::string digits, long exponent, RoundingMode mode) {
    stripLeadingZeros(digits);
    if (digits.size() > static_cast<std::size_t>(kMaxDigits)) {
        const std::size_t k = digits.size() - kMaxDigits;
        digits = roundOff(digits, k, negative, mode);
        exponent += static_cast<long>(k);
    }
    if (exponent < kMinExponent) {
        const auto k = static_cast<std::size_t>(kMinExponent - exponent);
        digits = roundOff(digits, k, negative, mode);
        exponent = kMinExponent;
    }
    if (digits.size() > static_cast<std::size_t>(kMaxDigits)) {
        // A carry out of the top ("999" + 1): the dropped digit is a zero.
        digits.pop_back();
        ++exponent;
    }
    Decimal d;
    if (isZeroDigits(digits)) return d;
    while (digits.size() > 1 && digits.back() == '0' && exponent < kMaxExponent) {
        digits.pop_back();
        ++exponent;
    }
    while (exponent > kMaxExponent && digits.size() < static_cast<std::size_t>(kMaxDigits)) {
        digits.push_back('0');
        --exponent;
    }
    if (exponent > kMaxExponent) return notANumber();
    d.negative_ = negative;
    d.mantissa_ = fromDigits(digits);
    d.exponent_ = static_cast<int>(exponent);
    return d;
}

std::optional<Decimal> Decimal::fromString(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    Digits digits;
    long exponent = 0;
    bool any = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        digits.push_back(text[i++]);
        any = true;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            digits.push_back(text[i++]);
            --exponent;
            any = true;
        }
    }
    if (!any) return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
        long value = 0;
        bool expAny = false;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            value = std::min<long>(value * 10 + (text[i++] - '0'), 100000);
            expAny = true;
        }
        if (!expAny) return std::nullopt;
        exponent += expNegative ? -value : value;
    }
    if (i != n) return std::nullopt;
    // Extreme exponents only make sense for zero; keep the arithmetic bounded.
    stripLeadingZeros(digits);
    if (digits == "0") return Decimal();
    if (exponent > 100000 || exponent < -100000) return notANumber();
    Decimal d = make(negative, digits, exponent, RoundingMode::Plain);
    return d;
}

Decimal Decimal::parse(std::string_view text) {
    auto d = fromString(text);
    return d ? *d : notANumber();
}

Decimal Decimal::fromDouble(double value) {
    if (!std::isfinite(value)) return notANumber();
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    if (result.ec != std::errc()) return notANumber();
    return parse(std::string_view(buf, static_cast<std::size_t>(result.ptr - buf)));
}

int Decimal::sign() const {
    if (nan_ || mantissa_ == 0) return 0;
    return negative_ ? -1 : 1;
}

std::string Decimal::coefficientDigits() const {
    return toDigits(mantissa_);
}

std::string Decimal::toString() const {
    if (nan_) return "NaN";
    if (mantissa_ == 0) return "0";
    Digits digits = toDigits(mantissa_);
    std::string out = negative_ ? "-" : "";
    if (exponent_ >= 0) {
        out += digits;
        out.append(static_cast<std::size_t>(exponent_), '0');
        return out;
    }
    const auto fraction = static_cast<std::size_t>(-exponent_);
    if (digits.size() <= fraction) {
        out += "0.";
        out.append(fraction - digits.size(), '0');
        out += digits;
    } else {
        out += digits.substr(0, digits.size() - fraction);
        out += '.';
        out += digits.substr(digits.size() - fraction);
    }
    return out;
}

double Decimal::toDouble() const {
    if (nan_) return std::numeric_limits<double>::quiet_NaN();
    const std::string text = toDigits(mantissa_) + "e" + std::to_string(exponent_);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return negative_ ? -value : value;
}

std::int64_t Decimal::toInt64() const {
    if (nan_ || mantissa_ == 0) return 0;
    Digits digits = toDigits(mantissa_);
    if (exponent_ < 0) {
        const auto fraction = static_cast<std::size_t>(-exponent_);
        digits = fraction >= digits.size() ? Digits("0") : digits.substr(0, digits.size() - fraction);
    } else {
        digits.append(static_cast<std::size_t>(exponent_), '0');
    }
    stripLeadingZeros(digits);
    const Digits limit = negative_ ? "9223372036854775808" : "9223372036854775807";
    if (compareDigits(digits, limit) >= 0) {
        return negative_ ? std::numeric_limits<std::int64_t>::min()
                         : std::numeric_limits<std::int64_t>::max();
    }
    const auto magnitude = static_cast<std::int64_t>(fromDigits(digits));
    return negative_ ? -magnitude : magnitude;
}

std::int32_t Decimal::intValue() const {
    const std::int64_t v = toInt64();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

Decimal Decimal::add(const Decimal& other, RoundingMode mode) const {
    if (nan_ || other.nan_) return notANumber();
    if (other.mantissa_ == 0) return *this;
    if (mantissa_ == 0) return other;
    const Aligned v = align(toDigits(mantissa_), exponent_, toDigits(other.mantissa_), other.exponent_);
    if (negative_ == other.negative_) return make(negative_, addDigits(v.a, v.b), v.exponent, mode);
    const int c = compareDigits(v.a, v.b);
    if (c == 0) return Decimal();
    if (c > 0) return make(negative_, subtractDigits(v.a, v.b), v.exponent, mode);
    return make(other.negative_, subtractDigits(v.b, v.a), v.exponent, mode);
}

Decimal Decimal::subtract(const Decimal& other, RoundingMode mode) const {
    if (other.nan_) return notANumber();
    Decimal negated = other;
    if (negated.mantissa_ != 0) negated.negative_ = !negated.negative_;
    return add(negated, mode);
}

Decimal Decimal::multiply(const Decimal& other, RoundingMode mode) const {
    if (nan_ || other.nan_) return notANumber();
    if (mantissa_ == 0 || other.mantissa_ == 0) return Decimal();
    return make(negative_ != other.negative_, multiplyDigits(toDigits(mantissa_), toDigits(other.mantissa_)),
                static_cast<long>(exponent_) + other.exponent_, mode);
}

Decimal Decimal::divide(const Decimal& other, RoundingMode mode) const {
    if (nan_ || other.nan_ || other.mantissa_ == 0) return notANumber();
    if (mantissa_ == 0) return Decimal();
    const Digits a = toDigits(mantissa_);
    const Digits b = toDigits(other.mantissa_);
    // Enough quotient digits for the precision plus a rounding digit.
    const long shift =
        std::max<long>(0, kMaxDigits + 2 + static_cast<long>(b.size()) - static_cast<long>(a.size()));
    Digits q;
    Digits r;
    divideDigits(a + Digits(static_cast<std::size_t>(shift), '0'), b, q, r);
    long exponent = static_cast<long>(exponent_) - other.exponent_ - shift;
    if (!isZeroDigits(r)) {
        // A sticky digit keeps the inexact quotient from looking like an exact half.
        q.push_back('1');
        --exponent;
    }
    return make(negative_ != other.negative_, q, exponent, mode);
}

Decimal Decimal::rounded(int scale, RoundingMode mode) const {
    if (nan_ || mantissa_ == 0 || exponent_ >= -scale) return *this;
    const auto k = static_cast<std::size_t>(-scale - exponent_);
    const Digits kept = roundOff(toDigits(mantissa_), k, negative_, mode);
    return make(negative_, kept, -scale, mode);
}

int Decimal::compare(const Decimal& other) const {
    if (nan_ || other.nan_) return nan_ == other.nan_ ? 0 : (nan_ ? -1 : 1);
    const int sa = sign();
    const int sb = other.sign();
    if (sa != sb) return sa < sb ? -1 : 1;
    if (sa == 0) return 0;
    const Aligned v = align(toDigits(mantissa_), exponent_, toDigits(other.mantissa_), other.exponent_);
    const int c = compareDigits(v.a, v.b);
    return sa < 0 ? -c : c;
}

Decimal Decimal::moduloFor(const Decimal& divisor) const {
    if (nan_ || divisor.nan_ || divisor.mantissa_ == 0) return notANumber();
    if (mantissa_ == 0) return Decimal();
    const bool selfNegative = intValue() < 0;
    const bool divisorNegative = divisor.intValue() < 0;
    const bool towardPositive = selfNegative != divisorNegative;

    // Exact whole quotient of the aligned magnitudes, then the direction.
    const Aligned v = align(toDigits(mantissa_), exponent_, toDigits(divisor.mantissa_), divisor.exponent_);
    Digits q;
    Digits r;
    divideDigits(v.a, v.b, q, r);
    const bool quotientNegative = negative_ != divisor.negative_;
    if (!isZeroDigits(r)) {
        // Truncation went toward zero; step one further where the direction asks for it.
        const bool stepAway = towardPositive ? !quotientNegative : quotientNegative;
        if (stepAway) q = addDigits(q, "1");
    }
    // With q's sign equal to sign(self) * sign(divisor), the remainder is
    // sign(self) * (A - |q| * B) in the aligned units: exact at any size.
    const Digits qb = multiplyDigits(q, v.b);
    const int c = compareDigits(v.a, qb);
    if (c == 0) return Decimal();
    return c > 0 ? make(negative_, subtractDigits(v.a, qb), v.exponent, RoundingMode::Plain)
                 : make(!negative_, subtractDigits(qb, v.a), v.exponent, RoundingMode::Plain);
}

Decimal Decimal::moduloForDouble(double divisor) const {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%f", divisor);
    // The C library may use a decimal comma under some locales.
    for (char* p = buf; *p; ++p) {
        if (*p == ',') *p = '.';
    }
    return moduloFor(parse(buf));
}

Decimal Decimal::decimalPlaces() const {
    return moduloFor(Decimal(1));
}

Decimal Decimal::absoluteNumber() const {
    if (nan_) return *this;
    Decimal d = *this;
    d.negative_ = false;
    return d;
}

Decimal Decimal::greaterNumber(const Decimal& other) const {
    return compare(other) < 0 ? other : *this;
}

Decimal Decimal::smallerNumber(const Decimal& other) const {
    return compare(other) > 0 ? other : *this;
}

}  // namespace model
