#pragma once

namespace kalmora {

// Puts the engine's file access behind one that simulates the faults a test names (see the source);
// called once, before the first database is opened.
void RegisterSimulatedEngineFaults();

}  // namespace kalmora
