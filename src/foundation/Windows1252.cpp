#include "foundation/Windows1252.h"

#include <array>

namespace kalmora {

namespace {

// Code points of the bytes 0x80 to 0x9F; the unassigned ones keep their own number.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char kUnmappable = '?';

void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        // Every code point of the code page lies in the Basic Multilingual Plane.
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// The byte for a code point, or the replacement when the code page has none.
char EncodeCodePoint(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) return static_cast<char>(0x80 + i);
    }
    return kUnmappable;
}

struct Utf8Step {
    char32_t CodePoint;
    std::size_t Length;  // bytes consumed; an invalid sequence consumes its longest valid-looking start
    bool Valid;
};

// Reads one character at `i`, rejecting overlong forms, surrogates and code points beyond U+10FFFF.
Utf8Step ReadUtf8(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return {lead, 1, true};

    std::size_t length = 0;
    char32_t codePoint = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {0, 1, false};
    }

    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= text.size()) return {0, k, false};
        const auto next = static_cast<unsigned char>(text[i + k]);
        if (next < low || next > high) return {0, k, false};
        codePoint = (codePoint << 6) | (next & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {codePoint, length, true};
}

}  // namespace

std::string DecodeWindows1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else if (byte < 0xA0) {
            AppendUtf8(out, kHighControls[byte - 0x80]);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

std::string EncodeWindows1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Step step = ReadUtf8(utf8, i);
        out.push_back(step.Valid ? EncodeCodePoint(step.CodePoint) : kUnmappable);
        i += step.Length;
    }
    return out;
}

}  // namespace kalmora
