// vx5x-shots OUTDIR: takes the user guide's pictures from the real windows, offscreen,
// against the built-in simulated controller, in every language. `make screenshots`
// runs it; what it writes is what docs/img holds.
#include "support/Shots.h"
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "params/ValueStore.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace vx;

namespace {

// Runs trigger (which shows a modal window and waits for it) and drives and grabs the
// window that comes up; false when none did.
bool shootModal(const std::function<void()>& trigger, const shots::Shot& shot, const QString& file)
{
    QWidget* before = QApplication::activeModalWidget();
    bool taken = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (taken || !m || m == before) return;
        taken = true;
        poll.stop();
        if (shot.drive) shot.drive(m);
        m->grab().save(file);
        m->close();
    });
    poll.start(50);
    trigger();
    poll.stop();
    if (taken) return true;
    // A window that is not modal (error help, traffic) is open now beside the main one.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || qobject_cast<TFormMain*>(w) || w->windowType() == Qt::ToolTip) continue;
        if (shot.drive) shot.drive(w);
        w->grab().save(file);
        w->close();
        return true;
    }
    return false;
}

// Every picture starts from the same settings: what one window saves on closing
// must not change the next.
bool writeSettings(const QString& path, int language)
{
    QFile ini(path);
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    // Unit 0 of the simulated bus: 9600 baud, odd parity. Fast replies keep the
    // transfer pictures from waiting on the pause rule.
    ini.write(QStringLiteral("[Serieel]\r\nbaudrate=3\r\nparity=2\r\nunit_no=0\r\n"
                             "[Opties]\r\nTaal=%1\r\nSnelleAntwoorden=1\r\n")
                  .arg(language)
                  .toLatin1());
    return true;
}

bool shootLanguage(int index, const QString& lang, const QString& dataDir, const QString& outDir)
{
    QTemporaryDir dir;
    for (const QString& f : QDir(dataDir).entryList(QDir::Files))
        QFile::copy(dataDir + u'/' + f, dir.filePath(f));
    const QString ini = dir.filePath(QStringLiteral("application.ini"));
    app() = AppState();
    app().Simulating = true;
    app().SettingsPath = ini;
    paths::setUserDataDir(dir.filePath(QStringLiteral("user")));
    resetValueStore();
    sim::resetDefaultBus();
    test::ScriptedUi::install();

    bool ok = true;
    for (const shots::Shot& shot : shots::all()) {
        QElapsedTimer clock;
        clock.start();
        resetValueStore();
        sim::resetDefaultBus();
        if (!writeSettings(ini, index)) return false;
        MainOptions o;
        o.exeDir = dir.path() + u'/';
        o.arguments = {QStringLiteral("calibrate")};
        TFormMain main(o);
        createRegisteredWindows(main);
        main.show();
        main.CmdSelectUnit->click();
        shots::waitFor([&] { return !main.statusPanel(4)->text().isEmpty(); }, 5000);
        if (shot.before) shot.before(main);
        const QString file = outDir + u'/' + shot.name + u'-' + lang + QStringLiteral(".png");
        bool taken = true;
        if (shot.opener.isEmpty()) {
            shot.drive(&main);
            main.grab().save(file);
        } else if (auto* action = main.findChild<QAction*>(shot.opener)) {
            taken = shootModal([action] { action->trigger(); }, shot, file);
        } else if (auto* b = main.findChild<QPushButton*>(shot.opener)) {
            taken = shootModal([b] { b->click(); }, shot, file);
        } else {
            taken = false;
        }
        if (!taken) {
            std::fprintf(stderr, "vx5x-shots: %s did not open a window\n", qPrintable(shot.name));
            ok = false;
        } else {
            std::printf("%s (%lld ms)\n", qPrintable(file), clock.elapsed());
            std::fflush(stdout);
        }
        main.close();
    }
    setUiSeams(nullptr);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        std::fprintf(stderr, "usage: vx5x-shots OUTDIR   (VX_DATA_DIR names the data folder)\n");
        return 2;
    }
    const QString out = args[0];
    QDir().mkpath(out);
    QString data = qEnvironmentVariable("VX_DATA_DIR");
    if (data.isEmpty()) data = QCoreApplication::applicationDirPath();

    sim::installInProcessSimulator((data + QStringLiteral("/Parameters.txt")).toStdString());
    for (int n = 1; n <= 16; ++n) setPortDevicePath(n, "sim");

    bool ok = true;
    for (int i = 0; i < shots::languages().size(); ++i)
        ok = shootLanguage(i, shots::languages()[i], data, out) && ok;
    return ok ? 0 : 1;
}
