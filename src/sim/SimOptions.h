#pragma once
// Text forms of units, line settings and faults, as given to vx5x-sim.
#include "sim/SimBus.h"

#include <string>
#include <utility>
#include <vector>

namespace vx::sim {

// "9600:8O1", "38400:8E2", "19200" (8N1). False for anything else.
bool parseFrame(const std::string& text, LineFrame& frame);

// "N[:TYPE[:BAUD[:FRAME]]]", e.g. "5:VX51:38400:8E1"; TYPE is VX50 or VX51
// (default VX50), BAUD 9600 and FRAME 8O1 by default.
bool parseUnit(const std::string& text, UnitConfig& unit, std::string& error);

// "KIND[:key=value,...]" with KIND one of no-reply, wrong-echo, er7 (or er),
// pause, garbage, line-error, unplug, no-line-end, babble, ignore-write and the keys
//   cmd=TEXT  nth=N  times=N  unit=N          which requests
//   p=N / s=N                                  er7 or ignore-write at parameter / setpoint N
//   n=N                                        error number of er (default 7)
//   ms=N  at=N                                 pause length and position; babble length
//   bytes=HEX                                  garbage, e.g. bytes=fe13
//   flags=parity|frame|overrun|break|rxover    line errors
//   echo=letters|zero|blank|args               kind of wrong echo
//   after=N                                    unplug after N requests
//   rate=R  seed=S  kinds=K,K,...              random: chance per request (0 ... 1),
//                                              the seed, any of cut, stale, dup,
//                                              garbage, burst, no-line-end, no-reply
// cut (ms=N rest delay, at=N), stale (ms=N) and dup are single faults too.
// A command text with blanks is written with '_' or '+' for each blank: cmd=rp_12.
bool parseFault(const std::string& text, Fault& fault, std::string& error);

// What vx5x-sim's command line asks for.
struct SimCommandLine {
    std::string device, paramsPath, link, replugRx;
    std::string fromBackup; // a unit holding this backup file's values
    std::string listen;     // [ADDR:]PORT served over TCP
    bool listenRfc2217 = false;
    std::vector<UnitConfig> units;
    std::vector<Fault> faults;
    std::vector<std::pair<int, int>> errors; // unit, error number
    LineFrame frame;
    bool frameGiven = false, logRequests = false, demo = true, help = false;
    double latency = 2.0;
    int replugAfterMs = -1;
};

// Reads the options in the order given; the first bad one stops the reading (a --help
// before it wins). Every option is spelt out in full. False with the message in error;
// showUsage when the usage text belongs after it (an unknown option).
bool parseCommandLine(int argc, char** argv, SimCommandLine& cmd, std::string& error, bool& showUsage);

} // namespace vx::sim
