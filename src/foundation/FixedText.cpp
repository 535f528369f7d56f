#include "foundation/FixedText.h"

namespace kalmora {

namespace {

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text) {
        if (!IsContinuationByte(c)) ++count;
    }
    return count;
}

std::string_view LeftCharacters(std::string_view text, std::size_t count)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(text[i])) {
            if (seen == count) return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}

std::string_view MidCharacters(std::string_view text, std::size_t start, std::size_t count)
{
    if (start == 0) start = 1;
    const std::size_t skipped = LeftCharacters(text, start - 1).size();
    return LeftCharacters(text.substr(skipped), count);
}

std::string FitToWidth(std::string_view text, std::size_t width)
{
    std::string result(LeftCharacters(text, width));
    result.append(width - CharacterCount(result), ' ');
    return result;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace kalmora
