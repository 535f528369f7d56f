#pragma once

#include <cstdlib>
#include <string>

namespace kalmora::test {

// Makes the platform functions of this process (and of the programs it starts) behave as a file
// system with the named faults would, for the object's lifetime: "no-hard-links", "unshared-locks",
// "fail-<operation>=<name>[@<n>]". Each object counts the calls of its faults afresh.
class SimulatedFaults {
public:
    explicit SimulatedFaults(const std::string& faults)
    {
        static int made = 0;
        const std::string counted = faults + ",simulation-" + std::to_string(++made);
        Set(counted.c_str());
    }
    ~SimulatedFaults() { Set(nullptr); }
    SimulatedFaults(const SimulatedFaults&) = delete;
    SimulatedFaults& operator=(const SimulatedFaults&) = delete;

private:
    // nullptr removes the variable.
    static void Set(const char* faults)
    {
#ifdef _WIN32
        _putenv_s("KALMORA_SIMULATE_FAULTS", faults ? faults : "");  // an empty value removes it there
#else
        if (faults)
            setenv("KALMORA_SIMULATE_FAULTS", faults, 1);
        else
            unsetenv("KALMORA_SIMULATE_FAULTS");
#endif
    }
};

}  // namespace kalmora::test
