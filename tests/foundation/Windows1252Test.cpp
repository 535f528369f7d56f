#include "foundation/Windows1252.h"

#include <gtest/gtest.h>

#include <string>

namespace kalmora {
namespace {

TEST(Windows1252Test, EveryByteSurvivesTheRoundTrip)
{
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string single(1, static_cast<char>(byte));
        SCOPED_TRACE(byte);
        EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(single)), single);
        allBytes += single;
    }
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(allBytes)), allBytes);
}

TEST(Windows1252Test, DecodesTheCodePage)
{
    struct Case {
        std::string_view Bytes;
        std::string_view Utf8;
    };
    const Case cases[] = {
        {"Kalmora 11", "Kalmora 11"},
        {"\xC4\x80", "Ä€"},
        {"M\xFCller \x84Stra\xDF"
         "e\x93",
         "Müller „Straße“"},
        {"\x8A\x9A\x8E\x9E\x9F", "ŠšŽžŸ"},
        {"\x96\x97\x85\x99", "–—…™"},
        {"\xA0\xFF", "\u00A0ÿ"},
        // Unassigned bytes become the control characters of the same number.
        {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Utf8));
        EXPECT_EQ(DecodeWindows1252(c.Bytes), c.Utf8);
    }
}

TEST(Windows1252Test, EncodesWhatItCanAndMarksTheRest)
{
    struct Case {
        std::string_view Utf8;
        std::string_view Bytes;
    };
    const Case cases[] = {
        {"Parameter ungültig", "Parameter ung\xFCltig"},
        {"Ä€", "\xC4\x80"},
        {"→", "?"},         // no byte in the code page
        {"a😀b", "a?b"},     // four-byte sequence: one character, one mark
        {"\u0080", "?"},    // 0x80 is the euro sign, not this control character
        {"\xFF", "?"},      // not UTF-8 at all
        {"ab\xC3", "ab?"},  // cut off at the end
        {"\xC3"
         "A",
         "?A"},  // a broken sequence does not swallow the next character
        {"\xE2\x82x", "?x"},
        {"\xC0\xAF", "??"},            // overlong form of "/"
        {"\xED\xA0\x80", "???"},       // surrogate
        {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
        {"\x80", "?"},                 // stray continuation byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Bytes));
        EXPECT_EQ(EncodeWindows1252(c.Utf8), c.Bytes);
    }
}

}  // namespace
}  // namespace kalmora
