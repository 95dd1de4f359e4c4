#pragma once
// The whole program's main window as the tests start it, against whatever COM1
// leads to (the in-process simulator, vx5x-sim on a pty).
#include <QString>
#include <memory>

namespace vx {
class TFormMain;
}

namespace vx::test {

enum MainStart {
    Connected = 0,    // the registered windows made, the line open and identified
    NoWindows = 1,    // without the registered windows (editor, transfers, ...)
    NotConnected = 2, // the line left closed
    At38400 = 4,      // COM1 at 38400 baud 8O1 (the one-unit bus), else as the settings say
};

// The program with its files in exeDir; the rf poll is off, a test starts it where it
// wants it. Null when the line was to open and no identification came.
std::unique_ptr<TFormMain> startMain(const QString& exeDir, int how = Connected);
// Opens the line (Select unit) and waits for the identification.
bool connectMain(TFormMain& w);
// Replies end at their line end on the window's port: for whole-set runs in tests
// that are not about the pause rule.
void fastRepliesOn(TFormMain& w);

} // namespace vx::test
