#pragma once

#include <cstdint>
#include <string_view>

namespace kalmora {

// Colours of a report field, by the origin of the data it shows: imported data ("EXTERN") on the
// system's button-face colour in pure blue, everything else black on white.
enum class FieldBackground { ButtonFace, White };

struct FieldColours {
    FieldBackground Background;
    std::uint32_t TextRgb;  // 0xRRGGBB
};

inline constexpr std::string_view kExternalOrigin = "EXTERN";
inline constexpr std::string_view kInternalOrigin = "INTERN";

FieldColours FieldColoursFor(std::string_view dataOrigin);

}  // namespace kalmora
