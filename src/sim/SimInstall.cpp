#include "sim/SimInstall.h"

#include "sim/SimBus.h"
#include "sim/SimLine.h"

namespace vx::sim {

void installInProcessSimulator(const std::string& parametersPath)
{
    if (!parametersPath.empty()) {
        setDefaultBusParametersPath(parametersPath);
        resetDefaultBus();
    } else {
        defaultBus();
    }
    vx::setSimLineFactory([] { return std::make_unique<SimLine>(defaultBus()); });
}

} // namespace vx::sim
