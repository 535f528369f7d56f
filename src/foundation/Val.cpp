#include "foundation/Val.h"

#include <cctype>
#include <charconv>
#include <string>

namespace kalmora {

namespace {

bool IsSkipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Collects the longest prefix that forms a number, without the skipped characters.
std::string NumberPrefix(std::string_view text)
{
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (!IsSkipped(c)) kept.push_back(c);
    }

    std::string number;
    std::size_t i = 0;
    auto take = [&] { number.push_back(kept[i++]); };
    auto takeDigits = [&] {
        std::size_t count = 0;
        while (i < kept.size() && IsDigit(kept[i])) {
            take();
            ++count;
        }
        return count;
    };

    if (i < kept.size() && (kept[i] == '+' || kept[i] == '-')) take();
    std::size_t mantissaDigits = takeDigits();
    if (i < kept.size() && kept[i] == '.') {
        take();
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0) return {};

    if (i < kept.size() && (kept[i] == 'E' || kept[i] == 'e' || kept[i] == 'D' || kept[i] == 'd')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < kept.size() && (kept[j] == '+' || kept[j] == '-')) exponent.push_back(kept[j++]);
        const std::size_t digitsStart = j;
        while (j < kept.size() && IsDigit(kept[j])) exponent.push_back(kept[j++]);
        if (j > digitsStart) number += exponent;
    }
    return number;
}

}  // namespace

double Val(std::string_view text)
{
    // Most fields are plain digits: read them without building a copy.
    if (!text.empty() && text.size() <= 15) {
        double value = 0;
        bool digitsOnly = true;
        for (char c : text) {
            if (!IsDigit(c)) {
                digitsOnly = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (digitsOnly) return value;
    }
    std::string number = NumberPrefix(text);
    if (number.empty()) return 0.0;

    const char* begin = number.data();
    if (*begin == '+') ++begin;  // from_chars takes no plus sign
    double value = 0.0;
    const auto [end, error] = std::from_chars(begin, number.data() + number.size(), value);
    // A number beyond the range of a double is no number the program could use.
    if (error != std::errc{}) return 0.0;
    (void)end;
    return value;
}

}  // namespace kalmora
