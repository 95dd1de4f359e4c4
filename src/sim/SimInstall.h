#pragma once
// Hooks the simulated controller into the serial library: afterwards the device
// path "sim" opens an in-process line to the default bus.
#include <string>

namespace vx::sim {

// parametersPath: the parameter definition file the default bus reads; empty
// keeps the default (next to the executable).
void installInProcessSimulator(const std::string& parametersPath = {});

} // namespace vx::sim
