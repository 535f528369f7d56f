#include "foundation/NumberFormat.h"

#include "foundation/FixedText.h"
#include "foundation/Rounding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace kalmora {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Pattern {
    bool grouping = false;
    std::size_t minIntegerDigits = 0;
    std::size_t fixedDecimals = 0;
    std::size_t optionalDecimals = 0;
};

Pattern ParsePattern(std::string_view text)
{
    Pattern pattern;
    const auto point = text.find('.');
    for (char c : text.substr(0, point)) {
        if (c == ',') {
            pattern.grouping = true;
        } else if (c == '0') {
            ++pattern.minIntegerDigits;
        } else if (c != '#') {
            throw std::invalid_argument("unknown number pattern: " + std::string(text));
        }
    }
    if (point == std::string_view::npos) return pattern;
    for (char c : text.substr(point + 1)) {
        if (c == '0') {
            ++pattern.fixedDecimals;
        } else if (c == '#') {
            ++pattern.optionalDecimals;
        } else {
            throw std::invalid_argument("unknown number pattern: " + std::string(text));
        }
    }
    return pattern;
}

std::string GroupThousands(const std::string& digits)
{
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back('.');
        grouped.push_back(digits[i]);
    }
    return grouped;
}

std::string_view TrimBlanksAndTabs(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The shortest text that reads back as the same value, in German form ("12,5"), never in
// exponent form.
std::string ShortestGermanText(double value)
{
    std::array<char, 400> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    std::string text(buffer.data(), written.ptr);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

}  // namespace

std::string FormatNumber(double value, std::string_view patternText)
{
    const Pattern pattern = ParsePattern(patternText);
    if (!std::isfinite(value)) return {};

    const std::size_t decimals = pattern.fixedDecimals + pattern.optionalDecimals;
    std::string digits = RoundedDigits(std::fabs(value), static_cast<int>(decimals));
    const bool isZero = digits == "0";
    if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');

    std::string integerPart = digits.substr(0, digits.size() - decimals);
    std::string fraction = digits.substr(digits.size() - decimals);
    while (fraction.size() > pattern.fixedDecimals && fraction.back() == '0')
        fraction.pop_back();

    // An integer part of "#" only shows no digit for zero ("####" gives "" for 0, "#.##" ",5").
    integerPart.erase(0, integerPart.find_first_not_of('0'));
    if (integerPart.size() < pattern.minIntegerDigits) {
        integerPart.insert(0, pattern.minIntegerDigits - integerPart.size(), '0');
    }
    if (pattern.grouping) integerPart = GroupThousands(integerPart);

    std::string result = (value < 0 && !isZero) ? "-" : "";
    result += integerPart;
    if (!fraction.empty()) result += "," + fraction;
    return result;
}

std::optional<double> ParseGermanNumber(std::string_view text)
{
    const std::string_view number = TrimBlanksAndTabs(text);
    std::size_t i = 0;
    auto readDigits = [&] {
        const std::size_t start = i;
        while (i < number.size() && IsDigit(number[i]))
            ++i;
        return number.substr(start, i - start);
    };

    bool negative = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';

    std::string plain;
    const std::string_view leading = readDigits();
    plain += leading;
    if (i < number.size() && number[i] == '.') {
        // Grouping: one to three digits, then groups of exactly three after each ".".
        if (leading.empty() || leading.size() > 3) return std::nullopt;
        while (i < number.size() && number[i] == '.') {
            ++i;
            const std::string_view group = readDigits();
            if (group.size() != 3) return std::nullopt;
            plain += group;
        }
    }
    std::string_view decimals;
    if (i < number.size() && number[i] == ',') {
        ++i;
        decimals = readDigits();
    }
    if (i != number.size() || (plain.empty() && decimals.empty())) return std::nullopt;

    plain += '.';
    plain += decimals;
    if (plain.front() == '.') plain.insert(plain.begin(), '0');
    double value = 0.0;
    const auto read = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (read.ec != std::errc{}) return std::nullopt;
    if (value == 0.0) return 0.0;
    return negative ? -value : value;
}

NumberInputDecision ValidateNumberInput(std::string_view text, int decimals, int maxDigits, bool rejectNegative)
{
    NumberInputDecision decision;
    if (TrimBlanks(text).empty()) return decision;

    const std::optional<double> value = ParseGermanNumber(text);
    if (!value) {
        decision.ErrorText = "Die Eingabe ist ungültig!";
        return decision;
    }
    if (rejectNegative && *value < 0) {
        decision.ErrorText = "Negative Werte sind unzulässig!";
        return decision;
    }

    decision.NewText = ShortestGermanText(*value);
    static constexpr std::array<std::string_view, 3> kCheckPatterns{"####", "###0.0", "###0.00"};
    static constexpr std::array<std::string_view, 3> kDisplayPatterns{"#,###", "#,##0.0", "#,##0.00"};
    const auto index = static_cast<std::size_t>(std::clamp(decimals, 0, 2));
    const std::string check = FormatNumber(*value, kCheckPatterns[index]);
    if (CharacterCount(TrimBlanks(check)) > static_cast<std::size_t>(std::max(maxDigits, 0))) {
        decision.ErrorText = "Maximal " + std::to_string(maxDigits) + " Stellen zulässig!";
        return decision;
    }
    decision.NewText = FormatNumber(*value, kDisplayPatterns[index]);
    return decision;
}

}  // namespace kalmora
