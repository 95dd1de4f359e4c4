// vx5x-shots OUTDIR: takes the user guide's pictures from the real windows, offscreen,
// against the built-in simulated controller, in every language. `make screenshots`
// runs it; what it writes is what docs/img holds.
#include "support/Shots.h"
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "params/SafetyBackup.h"
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

// Runs trigger and hands the window it opened to use: the modal window that comes
// up, else a window that is not modal (error help, traffic) open beside the main one.
// False when none opened.
bool withWindow(const std::function<void()>& trigger, const std::function<void(QWidget*)>& use)
{
    QWidget* before = QApplication::activeModalWidget();
    bool taken = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (taken || !m || m == before) return;
        taken = true;
        poll.stop();
        use(m);
        m->close();
    });
    poll.start(50);
    trigger();
    poll.stop();
    if (taken) return true;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || qobject_cast<TFormMain*>(w) || w->windowType() == Qt::ToolTip) continue;
        use(w);
        w->close();
        return true;
    }
    return false;
}

// Opens the window of an opener chain ("Par11/Vergelijken1": the editor's menu item
// inside the window the main menu opened), drives it and saves its picture.
bool shoot(QObject* in, const QStringList& chain, const shots::Shot& shot, const QString& file)
{
    std::function<void()> trigger;
    if (auto* action = in->findChild<QAction*>(chain.first()))
        trigger = [action] { action->trigger(); };
    else if (auto* b = in->findChild<QPushButton*>(chain.first()))
        trigger = [b] { b->click(); };
    else
        return false;
    bool taken = false;
    const bool opened = withWindow(trigger, [&](QWidget* w) {
        if (chain.size() > 1) {
            taken = shoot(w, chain.mid(1), shot, file);
            return;
        }
        if (shot.drive) shot.drive(w);
        taken = (shot.picture ? shot.picture(w) : w->grab().toImage()).save(file);
    });
    return opened && taken;
}

// Questions get the answer that keeps a picture run moving and changes nothing:
// discard unsaved edits, switch calibration mode off, confirm.
class ShotUi : public test::ScriptedUi {
public:
    QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons) override
    {
        ScriptedUi::message(parent, icon, caption, text, buttons);
        for (auto b : {QMessageBox::Discard, QMessageBox::Yes, QMessageBox::Ok, QMessageBox::No})
            if (buttons.testFlag(b)) return b;
        return QMessageBox::NoButton;
    }
};

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

bool shootLanguage(int index, const QString& lang, const QString& dataDir, const QString& outDir,
                   const QStringList& only)
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
    setUiSeams(std::make_unique<ShotUi>());

    bool ok = true;
    for (const shots::Shot& shot : shots::all()) {
        if (!only.isEmpty() && !only.contains(shot.name)) continue;
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
            taken = main.grab().save(file);
        } else {
            taken = shoot(&main, shot.opener.split(u'/'), shot, file);
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
    if (args.isEmpty() || args[0].startsWith(u'-')) {
        std::fprintf(stderr, "usage: vx5x-shots OUTDIR [NAME...]   (VX_DATA_DIR names the data folder;\n"
                             "       NAME: only these pictures)\n");
        return 2;
    }
    const QString out = args[0];
    QDir().mkpath(out);
    QString data = qEnvironmentVariable("VX_DATA_DIR");
    if (data.isEmpty()) data = QCoreApplication::applicationDirPath();

    // As the program starts: safety backups and read-back on.
    safety::setBackupsOn(true);
    safety::setVerifyOn(true);
    sim::installInProcessSimulator((data + QStringLiteral("/Parameters.txt")).toStdString());
    for (int n = 1; n <= 16; ++n) setPortDevicePath(n, "sim");

    bool ok = true;
    for (int i = 0; i < shots::languages().size(); ++i)
        ok = shootLanguage(i, shots::languages()[i], data, out, args.mid(1)) && ok;
    return ok ? 0 : 1;
}
