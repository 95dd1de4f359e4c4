// vx5x-sim: a simulated VX5x bus on a pseudo-terminal or a serial device.
#include "sim/SimBackup.h"
#include "sim/SimBus.h"
#include "sim/SimOptions.h"
#include "sim/SimPortServer.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

vx::sim::SimPortServer* server = nullptr;

void onSignal(int)
{
    if (server)
        server->stop();
}

void usage(std::FILE* to)
{
    std::fputs(
        "usage: vx5x-sim [options]\n"
        "Simulates VX5x controllers on an RS485 bus. Without --device it creates a\n"
        "pseudo-terminal and prints its path on the first line of standard output.\n"
        "\n"
        "  --device PATH        serve this serial device instead of a pseudo-terminal\n"
        "  --frame BAUD[:8O1]   line settings of --device (default: those of the first unit);\n"
        "                       for a pseudo-terminal, its initial settings\n"
        "  --unit N[:TYPE[:BAUD[:8O1]]]\n"
        "                       a controller (repeatable); TYPE VX50 or VX51. Without any,\n"
        "                       a VX50 at unit 0 on 9600 8O1 and a VX51 at unit 5 on 38400 8E1\n"
        "  --params PATH        parameter definition file (default: Parameters.txt next to\n"
        "                       this program)\n"
        "  --latency MS         time from the end of a request to the reply (default 2,\n"
        "                       at most 10000)\n"
        "  --error N:E          unit N starts with error number E\n"
        "  --no-demo            do not set up the demo cams and setpoints\n"
        "  --fault SPEC         inject a fault (repeatable); SPEC is KIND[:key=value,...]\n"
        "                       KIND: no-reply, wrong-echo, er7, er, pause, garbage, line-error,\n"
        "                             unplug, no-line-end, babble, lf-cr, extra-line,\n"
        "                             ignore-write (p=N: \"wp N\" echoed, old value kept),\n"
        "                             cut (ms=N: the rest of the reply N ms late, at=N),\n"
        "                             stale (ms=N: the whole reply N ms late), dup (sent twice)\n"
        "                       random:rate=R,seed=S,kinds=K,... draws one fault of the kinds\n"
        "                             for each request with probability R (e.g. 0.01), seeded:\n"
        "                             cut (rest 60-400 ms late), stale (600-1000 ms late, during\n"
        "                             the next request), dup, garbage (bytes of the reply changed),\n"
        "                             burst (junk bytes on the line), no-line-end, no-reply;\n"
        "                             all of them without kinds\n"
        "                       keys: cmd=TEXT (blank as _), nth=N, times=N, unit=N, p=N, s=N,\n"
        "                             n=N (er: error number), ms=N (pause, babble), at=N,\n"
        "                             bytes=HEX, flags=parity|frame|overrun|break,\n"
        "                             echo=letters|zero|blank|args, after=N\n"
        "                       e.g. --fault no-reply:cmd=rt  --fault er7:p=12  --fault er:n=3,cmd=rp\n"
        "                            --fault pause:cmd=rp,ms=150,at=4  --fault unplug:after=20\n"
        "                            --fault wrong-echo:echo=args  --fault no-line-end:cmd=rf\n"
        "                            --fault babble:ms=10000,cmd=rp (ends early at a purge or request)\n"
        "                            --fault random:rate=0.01,seed=7,kinds=cut,stale,no-reply\n"
        "  --log                print every request and reply on standard error\n"
        "  --link PATH          keep a symbolic link PATH to the pseudo-terminal; it goes away\n"
        "                       when the adapter is unplugged (fault unplug)\n"
        "  --replug-after MS    after an unplug, plug back in after MS ms: a new pseudo-terminal\n"
        "                       behind the same --link, its path printed as a new line\n"
        "  --replug-rx TEXT     the units answer \"rx\" with TEXT after the re-plug (another\n"
        "                       controller on the same adapter)\n"
        "  --listen [ADDR:]PORT serve the bus as raw TCP instead (ADDR 127.0.0.1 when left out;\n"
        "                       PORT 0 takes a free one); ADDR:PORT is printed on the first line.\n"
        "                       Units are judged against --frame, as a device server's own settings\n"
        "  --listen-rfc2217 [ADDR:]PORT\n"
        "                       the same over RFC 2217: the client's line settings reach the units\n"
        "  --from-backup FILE   one unit holding exactly the values of this backup file, with\n"
        "                       type, identification, unit and line settings from its manifest\n"
        "                       (FILE.json) when there is one, else number and line settings\n"
        "                       from its parameters 0 to 4; takes the place of --unit\n"
        "  --help               this text\n",
        to);
}

std::string printable(const std::string& s)
{
    std::string r;
    for (unsigned char c : s) {
        if (c == '\r')
            r += "\\r";
        else if (c == '\n')
            r += "\\n";
        else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            r += buf;
        } else
            r += char(c);
    }
    return r;
}

// Points `link` at `target`, replacing an old link in one step; nothing without a link.
bool placeLink(const std::string& link, const std::string& target, std::string& error)
{
    if (link.empty())
        return true;
    const std::string temp = link + ".new";
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
        error = "cannot place the link " + link + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace vx::sim;
    SimCommandLine cmd;
    std::string parseError;
    bool showUsage = false;
    if (!parseCommandLine(argc, argv, cmd, parseError, showUsage)) {
        std::fprintf(stderr, "vx5x-sim: %s\n", parseError.c_str());
        if (showUsage)
            usage(stderr);
        return 2;
    }
    if (cmd.help) {
        usage(stdout);
        return 0;
    }
    std::string device = cmd.device, paramsPath = cmd.paramsPath, link = cmd.link, replugRx = cmd.replugRx;
    std::vector<UnitConfig> units = cmd.units;
    const std::vector<Fault>& faults = cmd.faults;
    const std::vector<std::pair<int, int>>& errors = cmd.errors;
    vx::LineFrame frame = cmd.frame;
    const bool frameGiven = cmd.frameGiven, logRequests = cmd.logRequests, demo = cmd.demo;
    const double latency = cmd.latency;
    const int replugAfterMs = cmd.replugAfterMs;

    SimBus bus;
    if (paramsPath.empty())
        paramsPath = defaultParametersPath();
    if (!bus.loadParameters(paramsPath))
        std::fprintf(stderr, "vx5x-sim: no parameter definitions at %s; limits unchecked\n", paramsPath.c_str());
    BackupUnit fromBackup;
    if (!cmd.fromBackup.empty()) {
        if (!units.empty()) {
            std::fprintf(stderr, "vx5x-sim: --from-backup serves one unit; leave out --unit\n");
            return 2;
        }
        if (!loadBackupUnit(cmd.fromBackup, fromBackup, parseError)) {
            std::fprintf(stderr, "vx5x-sim: %s\n", parseError.c_str());
            return 2;
        }
        if (!fromBackup.hasManifest)
            std::fprintf(stderr, "vx5x-sim: %s has no manifest; type and identification are the simulator's own\n",
                         cmd.fromBackup.c_str());
        units = {fromBackup.config};
    }
    if (units.empty()) {
        UnitConfig a, b;
        a.number = 0;
        a.frame = {9600, 8, 'O', 1};
        b.number = 5;
        b.type = "VX51";
        b.frame = {38400, 8, 'E', 1};
        units = {a, b};
    }
    if (!cmd.fromBackup.empty()) {
        addBackupUnit(bus, fromBackup);
    } else {
        for (const UnitConfig& u : units)
            bus.addUnit(u);
        for (const UnitConfig& u : units)
            bus.withUnit(u.number, [&](SimUnit& s) {
                if (demo)
                    s.loadDemoSetup();
            });
    }
    for (auto [n, e] : errors)
        bus.raiseError(n, e);
    bus.setLatencyMs(latency);
    for (const Fault& f : faults)
        bus.addFault(f);
    if (logRequests)
        bus.setLogObserver([](const LogEntry& e) {
            // The faults show what the reply alone does not, a babble for one.
            std::string fired;
            for (const std::string& f : e.faults)
                fired += (fired.empty() ? "  [" : ", ") + f;
            if (!fired.empty())
                fired += "]";
            std::fprintf(stderr, "%10.1f ms  %-8s  > %-20s < %s%s\n", e.ms, frameText(e.frame).c_str(),
                         printable(e.request).c_str(), printable(e.reply).c_str(), fired.c_str());
        });

    if (!frameGiven)
        frame = units.front().frame;
    if ((!link.empty() || replugAfterMs >= 0) && !device.empty()) {
        std::fprintf(stderr, "vx5x-sim: --link and --replug-after serve a pseudo-terminal, not --device\n");
        return 2;
    }
    if (!cmd.listen.empty() && (!device.empty() || !link.empty() || replugAfterMs >= 0)) {
        std::fprintf(stderr, "vx5x-sim: --listen serves TCP, not --device, --link or --replug-after\n");
        return 2;
    }
    SimPortServer srv(bus);
    std::string error, path;
    if (!cmd.listen.empty()) {
        if (!srv.listenTcp(cmd.listen, cmd.listenRfc2217, frame, path, error)) {
            std::fprintf(stderr, "vx5x-sim: %s\n", error.c_str());
            return 1;
        }
    } else if (device.empty()) {
        if (!srv.openPty(frame, path, error) || !placeLink(link, path, error)) {
            std::fprintf(stderr, "vx5x-sim: %s\n", error.c_str());
            return 1;
        }
    } else {
        if (!srv.openDevice(device, frame, error)) {
            std::fprintf(stderr, "vx5x-sim: %s\n", error.c_str());
            return 1;
        }
        path = device;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    server = &srv;
    struct sigaction sa { };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::string message;
    int rc = 0;
    for (;;) {
        rc = srv.run(message);
        const bool unplugged = message == "adapter unplugged";
        if (unplugged && !link.empty())
            ::unlink(link.c_str());
        if (!unplugged || replugAfterMs < 0)
            break;
        std::fprintf(stderr, "vx5x-sim: adapter unplugged; back in %d ms\n", replugAfterMs);
        if (!srv.waitOrStop(replugAfterMs)) {
            message = "stopped";
            break;
        }
        bus.replug();
        if (!replugRx.empty()) {
            for (int n : bus.unitNumbers())
                bus.withUnit(n, [&](SimUnit& u) { u.extraText = replugRx; });
        }
        if (!srv.openPty(frame, path, error) || !placeLink(link, path, error)) {
            std::fprintf(stderr, "vx5x-sim: %s\n", error.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
    }
    server = nullptr;
    // A link left behind would lead the next client to a pseudo-terminal that is gone.
    if (!link.empty())
        ::unlink(link.c_str());
    if (!message.empty() && message != "stopped")
        std::fprintf(stderr, "vx5x-sim: %s\n", message.c_str());
    return rc;
}
