#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalmora {

// Number of characters (UTF-8 code points) in the text.
std::size_t CharacterCount(std::string_view text);

// The first `count` characters of the text (fewer when it is shorter).
std::string_view LeftCharacters(std::string_view text, std::size_t count);

// Characters `start` (1-based) to `start + count - 1` of the text; shorter or empty beyond its end.
std::string_view MidCharacters(std::string_view text, std::size_t start, std::size_t count);

// The text cut or padded with blanks on the right to exactly `width` characters.
std::string FitToWidth(std::string_view text, std::size_t width);

// The text without blanks at both ends (only the blank, as the file formats use it).
std::string_view TrimBlanks(std::string_view text);

// The text with the ASCII capitals A to Z made small; every other byte as it is.
std::string LowerAscii(std::string_view text);

// Text of a fixed number of characters, as the settings, list lines and database fields hold it:
// a longer text is cut, a shorter one padded with blanks, and reading yields the full width.
template <std::size_t Width>
class FixedText {
public:
    static constexpr std::size_t kWidth = Width;

    FixedText() : m_text(Width, ' ') {}
    FixedText(std::string_view text) : m_text(FitToWidth(text, Width)) {}  // NOLINT: assignment semantics

    FixedText& operator=(std::string_view text)
    {
        m_text = FitToWidth(text, Width);
        return *this;
    }

    const std::string& str() const { return m_text; }
    operator std::string_view() const { return m_text; }  // NOLINT: reads like the plain text
    std::string_view Trimmed() const { return TrimBlanks(m_text); }

    bool operator==(const FixedText&) const = default;
    // Compares the full padded width, as fixed-length strings do: "Error  " equals "Error  " only.
    friend bool operator==(const FixedText& lhs, std::string_view rhs) { return lhs.m_text == rhs; }

private:
    std::string m_text;
};

}  // namespace kalmora
