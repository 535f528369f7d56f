#pragma once

#include <cstdlib>
#include <string>

namespace kalmora::test {

// Makes the platform functions of this process (and of the programs it starts) behave as a file
// system with the named faults would, for the object's lifetime: "no-hard-links", "unshared-locks".
class SimulatedFaults {
public:
    explicit SimulatedFaults(const std::string& faults) { setenv("KALMORA_SIMULATE_FAULTS", faults.c_str(), 1); }
    ~SimulatedFaults() { unsetenv("KALMORA_SIMULATE_FAULTS"); }
    SimulatedFaults(const SimulatedFaults&) = delete;
    SimulatedFaults& operator=(const SimulatedFaults&) = delete;
};

}  // namespace kalmora::test
