// Which faults a test asked the platform functions to simulate: the same on every system.
#include "foundation/Platform.h"

#include <cstdlib>

namespace kalmora::platform {

bool FaultSimulated(std::string_view fault)
{
    const char* faults = std::getenv("KALMORA_SIMULATE_FAULTS");
    if (!faults) return false;
    std::string_view rest = faults;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        if (rest.substr(0, comma) == fault) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace kalmora::platform
