#include "foundation/FieldColours.h"

namespace kalmora {

FieldColours FieldColoursFor(std::string_view dataOrigin)
{
    if (dataOrigin == kExternalOrigin) return {FieldBackground::ButtonFace, 0x0000FF};
    return {FieldBackground::White, 0x000000};
}

}  // namespace kalmora
