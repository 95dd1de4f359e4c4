#pragma once
// Limits and defaults of the controller's 512 parameters, read from the
// parameter definition file. Only min, max and default matter to the controller.
#include <array>
#include <cstdint>
#include <string>

namespace vx::sim {

struct ParamLimit {
    int32_t min = 0;
    int32_t max = 0;
    int32_t def = 0;
    bool checked = false; // limits given in the file (and min <= max)
};

struct ParamTable {
    std::array<ParamLimit, 512> limits{};
    bool loaded = false;
    std::string path;

    bool allows(int number, int64_t value) const;
};

// A missing or unreadable file gives an unloaded table: all zero, nothing checked.
ParamTable loadParamTable(const std::string& path);
// Same, from the text of such a file.
ParamTable parseParamTable(const std::string& text);

// Decimal with optional sign, or hexadecimal with "$", "0x" or "0X".
bool parseIniInteger(const std::string& text, int64_t& value);

} // namespace vx::sim
