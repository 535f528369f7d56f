// Which faults a test asked the platform functions to simulate: the same on every system.
#include "foundation/Platform.h"

#include "foundation/Utf8Path.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace kalmora::platform {

namespace {

// The faults named in the environment, one at a time.
template <typename Visit> bool AnyFault(Visit visit)
{
    const char* faults = std::getenv("KALMORA_SIMULATE_FAULTS");
    if (!faults) return false;
    std::string_view rest = faults;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        if (visit(rest.substr(0, comma))) return true;
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return false;
}

// The last name of a path, also of a folder given with a trailing separator.
std::string LastName(const std::filesystem::path& path)
{
    auto name = path.filename();
    if (name.empty()) name = path.parent_path().filename();
    return Utf8Of(name);
}

}  // namespace

bool FaultSimulated(std::string_view fault)
{
    return AnyFault([fault](std::string_view named) { return named == fault; });
}

bool OperationFailureSimulated(std::string_view operation, const std::filesystem::path& file)
{
    const std::string prefix = "fail-" + std::string(operation) + "=";
    const std::string name = LastName(file);
    bool always = false;
    std::vector<std::string> calls;
    AnyFault([&](std::string_view named) {
        if (!named.starts_with(prefix)) return false;
        named.remove_prefix(prefix.size());
        const auto at = named.find('@');
        if (named.substr(0, at) != name) return false;
        if (at == std::string_view::npos)
            always = true;
        else
            calls.emplace_back(named.substr(at + 1));
        return false;
    });
    if (always) return true;
    if (calls.empty()) return false;
    // Only the n-th call for that file fails, as one failing system call among many would. The calls
    // are counted afresh whenever the faults asked for change.
    static std::mutex guard;
    static std::map<std::string, long> counted;
    static std::string countedFor;
    const std::lock_guard lock(guard);
    const char* faults = std::getenv("KALMORA_SIMULATE_FAULTS");
    if (countedFor != (faults ? faults : "")) {
        counted.clear();
        countedFor = faults ? faults : "";
    }
    const std::string call = std::to_string(++counted[prefix + name]);
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

}  // namespace kalmora::platform
