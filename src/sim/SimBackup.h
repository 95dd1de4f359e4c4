#pragma once
// A unit made from a backup file: exactly its parameters and setpoints; its unit
// number and line settings from its first parameters, and its type, identification,
// number and line settings from the manifest beside it ("<file>.json") when there is one. No Qt here: the backup's layout and the
// manifest's flat JSON are read by hand.
#include "sim/SimUnit.h"

#include <array>
#include <cstdint>
#include <string>

namespace vx::sim {

class SimBus;

struct BackupUnit {
    UnitConfig config;
    std::array<int32_t, SimUnit::ParameterCount> parameters{};
    std::array<int32_t, SimUnit::SetpointCount + 1> setpoints{}; // index 1 ... 80
    bool hasManifest = false;
};

// False with the reason when the file is no backup (size, marks) or its manifest
// cannot be read.
bool loadBackupUnit(const std::string& path, BackupUnit& out, std::string& error);

// A flat JSON object's string or number member as text; false when absent.
bool jsonMember(const std::string& json, const std::string& name, std::string& value);

// Puts the unit on the bus with the backup's values.
void addBackupUnit(SimBus& bus, const BackupUnit& unit);

} // namespace vx::sim
