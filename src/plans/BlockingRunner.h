#pragma once
// Runs a plan to its end before returning: for vx5x and for tests. The line is a set
// of functions, so a test can script it without a port; lineThrough() gives the
// functions for a real port and component.
#include "plans/Plan.h"

#include <functional>

namespace vx {
class TPX400Protocol;
class TSXComm;
} // namespace vx

namespace vx::plans {

struct Exchange {
    TCommError error; // zero: reply holds what came
    QByteArray reply;
};

struct BlockingLine {
    // Sends one request and returns its reply or failure.
    std::function<Exchange(const Request&)> send;
    // Changes the line settings; returns the port's message, empty on success.
    std::function<QString(const LineSettings&)> setLine;
    // Closes the port and opens `device` (empty: the same one); message or empty.
    std::function<QString(const QString& device)> reopen;
    // Lets ms pass.
    std::function<void(int ms)> wait;
    // Asked before the plan decides each step: true stops the plan (Ctrl-C).
    std::function<bool()> interrupted;
    // The port's name, for the controller image (empty: nothing is fed).
    QString port;
};

// Called after every outcome the plan took.
using ProgressFn = std::function<void(const Plan&)>;

// Runs plan until it finishes.
void runBlocking(Plan& plan, const BlockingLine& line, const ProgressFn& progress = {});

// One request through a component on an open port, waiting in a local event loop for
// its reply or failure (not for use from a window's handlers). The component's result
// handlers are taken for the time.
Exchange exchangeThrough(TPX400Protocol& component, const Request& request);

// A line over port and component: requests through exchangeThrough, line settings and
// reopening on the port, waits in a local event loop.
BlockingLine lineThrough(TSXComm& port, TPX400Protocol& component);
// The same without requests, for a caller that sends its own way.
BlockingLine portLine(TSXComm& port);

} // namespace vx::plans
