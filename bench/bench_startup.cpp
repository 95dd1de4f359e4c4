// Start-up as a user sees it: from the process start to the main window on screen,
// with the built-in simulator, and the resident memory once it is up. Each run is a
// fresh process (this program started again with --once), so libraries load and
// windows build every time; the median of the runs is reported.
#include "BenchSim.h"
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "sim/SimInstall.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

using namespace vx;

namespace {

// Milliseconds since this process was started, from its start time in /proc.
double msSinceProcessStart()
{
    std::ifstream f("/proc/self/stat");
    std::string line;
    std::getline(f, line);
    // Fields after the command name in brackets; the start time is field 22.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long start = 0;
    for (int i = 3; i <= 22 && rest >> field; ++i)
        if (i == 22) start = std::stoull(field);
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double startMs = double(start) * 1000.0 / double(sysconf(_SC_CLK_TCK));
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6 - startMs;
}

// The start of the real program: data, settings, simulator, windows, show.
int once(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTemporaryDir settings; // never the user's own settings
    const QString exeDir = QCoreApplication::applicationDirPath();
    app().Simulating = true;
    app().SettingsPath = settings.path() + "/application.ini";
    MainOptions options;
    options.exeDir = paths::dataDir(exeDir);
    sim::installInProcessSimulator((options.exeDir + "Parameters.txt").toStdString());
    for (int n = 1; n <= 16; ++n) setPortDevicePath(n, "sim");
    TFormMain mainWindow(options);
    createRegisteredWindows(mainWindow);
    mainWindow.show();
    // Shown means painted once.
    double shownMs = -1;
    struct Painted : QObject {
        double* at;
        explicit Painted(double* a) : at(a) { }
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && *at < 0) *at = msSinceProcessStart();
            return false;
        }
    } painted(&shownMs);
    mainWindow.installEventFilter(&painted);
    mainWindow.update();
    QElapsedTimer t;
    t.start();
    while (shownMs < 0 && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTimer::singleShot(300, &application, &QApplication::quit); // settle, then measure
    application.exec();
    std::printf("%.1f %ld\n", shownMs, bench::residentKiB());
    return shownMs < 0 ? 1 : 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--once") == 0) return once(argc, argv);
    QCoreApplication application(argc, argv);
    std::vector<double> shown, rssMB;
    for (int run = 0; run < 7; ++run) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {"--once"});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            std::fprintf(stderr, "start-up run failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        double ms = 0;
        long kib = 0;
        if (std::sscanf(p.readAllStandardOutput().constData(), "%lf %ld", &ms, &kib) != 2) return 1;
        if (run == 0) continue; // the first run fills the disk cache
        shown.push_back(ms);
        rssMB.push_back(double(kib) / 1024.0);
    }
    std::printf("start-up to main window shown (simulator, median of %zu): %.0f ms  (goal < 250 ms)\n", shown.size(),
                median(shown));
    std::printf("resident memory after start: %.1f MB  (goal < 60 MB)\n", median(rssMB));
    return 0;
}
