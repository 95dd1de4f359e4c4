#pragma once
// One simulated VX5x controller: its settings, parameters, setpoints, calibration
// constants, error number and the live state of its axes, inputs and outputs.
#include "comm/SerialLine.h"
#include "sim/SimParams.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vx::sim {

struct UnitConfig {
    int number = 0;
    LineFrame frame{9600, 8, 'O', 1};
    std::string type = "VX50"; // first four characters of the "rt" reply
    std::string typeText;      // whole "rt" value; empty: built from type
    std::string hardwareText;  // "rh" value; empty: a default
    std::string extraText;     // "rx" value; empty: a default
};

// Reply codes of the controller besides "er 7".
enum : int {
    ErrUnknownCommand = 1,
    ErrBadArguments = 2,
    ErrBadNumber = 3,
    ErrNotCalibrating = 6,
    ErrRefused = 7,
};

class SimUnit {
public:
    static constexpr int ParameterCount = 512;
    static constexpr int SetpointCount = 80;
    // Calibration constants 2041 ... 2044.
    static constexpr int CalibrationFirst = 2041;

    SimUnit(const UnitConfig& config, const ParamTable& table);

    // Carries out one request line (without line end) addressed to this unit and
    // returns the reply without line end; nothing for a line it ignores.
    // t: seconds since the bus started, for the live values.
    std::optional<std::string> execute(const std::string& line, double t);

    // The number of the first parameter that makes the set invalid, or -1.
    int firstBadParameter() const;

    // Live state at time t (seconds).
    int32_t position1(double t) const;
    int32_t position2(double t) const;
    int32_t velocity1(double t) const;
    int32_t velocity2(double t) const;
    int32_t positionDifference(double t) const;
    int32_t supplyVoltage(double t) const;   // 0.0001 V
    int32_t analogueCurrent(double t) const; // 0.0001 mA
    uint32_t inputWord(double t) const;
    uint32_t outputWord(double t) const;
    // Position units per revolution of the cam axis: 360 degrees at the decimals of parameter 203.
    int32_t cycleLength() const;

    // A few cams and setpoints that make the outputs move; values outside the
    // limits of the parameter table are left alone.
    void loadDemoSetup();
    // Unsaved calibration constants are lost, as after switching the controller off.
    void powerCycle();

    int number;
    LineFrame frame;
    std::string typeText, hardwareText, extraText;
    ParamTable table;
    std::array<int32_t, ParameterCount> parameters{};
    std::array<int32_t, SetpointCount + 1> setpoints{}; // index 1 ... 80
    int32_t setpointMin = -99999999;
    int32_t setpointMax = 99999999;
    std::array<int32_t, 4> calibration{};
    std::array<int32_t, 4> calibrationEeprom{};
    bool calibrationMode = false;
    int analogueOutput = 0; // kf: 0 none, 1 voltage, 2 current
    int32_t analogueTestValue = 0;
    int errorNumber = -1; // -1: no error
    bool selected = false;
    double revolutionsPerSecond = 0.5;
    double followLag = 0.04; // seconds axis 2 is behind axis 1

private:
    std::string reply(const std::string& cmd, const std::string& args) const;
    double turns(double t) const; // revolutions of axis 1 since start
    bool camActive(int cam, double t) const;
};

} // namespace vx::sim
