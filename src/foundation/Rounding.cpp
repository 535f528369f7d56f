#include "foundation/Rounding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace kalmora {

namespace {

// Significant digits a double holds reliably; rounding to decimals works on the value at this
// precision, so that 2.675 rounds as the decimal number it was typed as.
constexpr int kSignificantDigits = 15;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void IncrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

}  // namespace

double RoundHalfToEven(double value)
{
    if (!std::isfinite(value)) return value;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1;
}

std::string RoundedDigits(double absValue, int decimals)
{
    std::array<char, 64> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), absValue,
                                       std::chars_format::scientific, kSignificantDigits - 1);
    // The text is "d.dddddddddddddde+XX" (or "d" and an exponent when only one digit is kept).
    const std::string_view text(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
    const auto exponentAt = text.find('e');
    std::string mantissa;
    for (char c : text.substr(0, exponentAt)) {
        if (IsDigit(c)) mantissa.push_back(c);
    }
    std::string_view exponentText = text.substr(exponentAt + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    int exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    // Value = mantissa * 10^(exponent - digits after the first); shift that to the wanted scale.
    const long shift = static_cast<long>(exponent) - static_cast<long>(mantissa.size() - 1) + decimals;
    std::string digits;
    if (shift >= 0) {
        digits = mantissa + std::string(static_cast<std::size_t>(shift), '0');
    } else {
        const auto cut = static_cast<std::size_t>(-shift);
        if (cut <= mantissa.size()) {
            digits = mantissa.substr(0, mantissa.size() - cut);
            if (mantissa[mantissa.size() - cut] >= '5') IncrementDigits(digits);
        }
    }
    const auto firstNonZero = digits.find_first_not_of('0');
    return firstNonZero == std::string::npos ? std::string("0") : digits.substr(firstNonZero);
}

double RoundHalfAwayFromZero(double value, int decimals)
{
    if (!std::isfinite(value)) return value;
    // No double has significant digits beyond these scales; the clamp keeps the digit text small.
    decimals = std::clamp(decimals, -400, 400);
    std::string text = RoundedDigits(std::fabs(value), decimals) + "e" + std::to_string(-decimals);
    double rounded = 0.0;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), rounded);
    // Only the largest doubles can round beyond the range; they keep their value.
    if (read.ec != std::errc{}) return value;
    if (rounded == 0.0) return 0.0;
    return value < 0 ? -rounded : rounded;
}

}  // namespace kalmora
