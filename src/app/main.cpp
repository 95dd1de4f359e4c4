// Program entry: one instance per desktop, then the main window.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "core/Taal.h"
#include "core/Widgets.h"
#include "params/SafetyBackup.h"
#include "sim/SimBackup.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLocale>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

QString instanceKey()
{
    // The title identifies the program, as the single-instance check asks; a
    // local socket name must not contain blanks or brackets.
    QString key = QString::fromLatin1(vx::ApplicationTitle);
    for (QChar& c : key)
        if (!c.isLetterOrNumber()) c = u'_';
    // One instance per desktop: the user and the display it runs on.
    key += u'_' + qEnvironmentVariable("USER", QStringLiteral("user"));
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY", qEnvironmentVariable("DISPLAY"));
    for (QChar& c : display)
        if (!c.isLetterOrNumber()) c = u'_';
    key += u'_' + display;
    // Lets tests run their own instances beside a technician's running tool.
    if (qEnvironmentVariableIsSet("VX5X_INSTANCE_SUFFIX")) key += u'_' + qEnvironmentVariable("VX5X_INSTANCE_SUFFIX");
    return key;
}

// Asks a running instance to come to the front; true when one answered.
bool raiseRunningInstance(const QString& key)
{
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(500)) return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    return true;
}

void bringToFront(QWidget* w)
{
    if (w->isMinimized()) w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
}

// "--paths": where this copy finds its data and keeps its settings, for a technician
// asked "which ini file?" and for the package check. Exit 1 when the data are missing.
int printPaths(const QString& exeDir)
{
    const QString data = vx::paths::dataDir(exeDir);
    const bool found = QFileInfo::exists(data + QStringLiteral("Taal0.ini"));
    const vx::paths::SettingsLocation s = vx::paths::settingsLocation(exeDir);
    std::printf("data:     %s%s\n", qPrintable(data), found ? "" : " (language and definition files not found)");
    std::printf("settings: %s%s\n", qPrintable(s.file), s.perUser ? " (per user)" : "");
    // Safety backups, traffic logs and the terminal history; --simulate uses a scratch folder.
    std::printf("user data: %s\n", qPrintable(vx::paths::userDataDir()));
    return found ? 0 : 1;
}

// The options, read before any window system is touched, so --help and --version work
// on a server and a mistyped option is told, not ignored.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the program's version and end.")};
    QCommandLineOption paths{QStringLiteral("paths"),
                             QStringLiteral("Show where the data files are read from and the settings kept, and end.")};
    QCommandLineOption simulate{QStringLiteral("simulate"),
                                QStringLiteral("Every COM port leads to a built-in simulated controller bus.")};
    QCommandLineOption fromBackup{QStringLiteral("from-backup"),
                                  QStringLiteral("With --simulate: the simulated bus holds one unit with exactly the "
                                                 "values of this backup file (type and identification from its manifest)."),
                                  QStringLiteral("FILE.bak")};
    QCommandLineParser parser;

    Options()
    {
        parser.setApplicationDescription(
            QStringLiteral("Service and commissioning tool for VX50/VX51 positioning controllers."));
        // Qt's own start-up options (-platform offscreen, -style ...) keep working.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOptions({help, version, paths, simulate, fromBackup});
        parser.addPositionalArgument(QStringLiteral("calibrate"),
                                     QStringLiteral("Show the calibration button (service use)."),
                                     QStringLiteral("[calibrate]"));
        for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                 "qwindowicon", "qwindowtitle", "geometry", "title", "display", "style", "stylesheet",
                                 "session", "qmljsdebugger"}) {
            QCommandLineOption qt(QString::fromLatin1(name), QString(), QStringLiteral("value"));
            qt.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(qt);
        }
        for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
            QCommandLineOption qt(QString::fromLatin1(name));
            qt.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(qt);
        }
    }
};

// SIGTERM and SIGINT end the program as the Exit menu item does, without its
// questions; the handler only writes to a pipe the event loop watches.
int g_signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int signal)
{
    const char c = char(signal);
    const ssize_t n = ::write(g_signalPipe[1], &c, 1);
    (void)n;
}

bool catchTerminationSignals()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action { };
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}

// A modal dialog runs a loop of its own: it is closed first, then the main window
// closes, which saves the settings and closes the port.
void endWithoutQuestions(vx::TFormMain* mainWindow, int triesLeft)
{
    if (QWidget* modal = QApplication::activeModalWidget(); modal && triesLeft > 0) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        else modal->close();
        QTimer::singleShot(0, mainWindow, [mainWindow, triesLeft] { endWithoutQuestions(mainWindow, triesLeft - 1); });
        return;
    }
    mainWindow->closeWithoutQuestions();
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    Options o;
    const bool parsed = o.parser.parse(arguments);
    if (!parsed || o.parser.isSet(o.help) || o.parser.isSet(o.version) || o.parser.isSet(o.paths)) {
        // No window: a core application is enough, and needs no display.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vx5x-tool"));
        if (!parsed) {
            std::fprintf(stderr, "vx5x-tool: %s\n\n%s", qPrintable(o.parser.errorText()),
                         qPrintable(o.parser.helpText()));
            return 2;
        }
        if (o.parser.isSet(o.help)) {
            std::printf("%s", qPrintable(o.parser.helpText()));
            return 0;
        }
        if (o.parser.isSet(o.version)) {
            std::printf("vx5x-tool %s\n", vx::ProgrammaVersie);
            return 0;
        }
        return printPaths(QCoreApplication::applicationDirPath());
    }
    const bool hasDisplay = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                            || qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || o.parser.isSet(QStringLiteral("platform"));
    if (!hasDisplay) {
        std::fprintf(stderr, "vx5x-tool: no display found. Run it under a virtual display, e.g.\n"
                             "    xvfb-run -a %s %s\n",
                     argv[0], argc > 1 ? argv[1] : "--simulate");
        return 2;
    }

    QApplication application(argc, argv);
    application.setApplicationName(QString::fromLatin1(vx::ApplicationTitle));
    vx::assignDialogMnemonicsOnShow(application);
    vx::showKeyboardFocus(application);

    const QString key = instanceKey();
    if (raiseRunningInstance(key)) return 0;

    // From here a termination signal waits in the pipe until the event loop runs.
    const bool catching = catchTerminationSignals();

    // A customer's controller from its backup, at the desk.
    vx::sim::BackupUnit customer;
    const QString backupFile = o.parser.value(o.fromBackup);
    if (!backupFile.isEmpty()) {
        std::string why;
        if (!o.parser.isSet(o.simulate) || !vx::sim::loadBackupUnit(backupFile.toStdString(), customer, why)) {
            std::fprintf(stderr, "vx5x-tool: %s\n", why.empty() ? "--from-backup needs --simulate" : why.c_str());
            return 2;
        }
    }
    const bool simulate = o.parser.isSet(o.simulate);
    vx::app().Simulating = simulate;

    // Data beside the program or in the installed share folder; settings beside it
    // in a build folder or portable copy, else per user.
    const QString exeDir = QCoreApplication::applicationDirPath();
    vx::MainOptions options;
    options.arguments = o.parser.positionalArguments();
    options.exeDir = vx::paths::dataDir(exeDir);
    const vx::paths::SettingsLocation settings = vx::paths::settingsLocation(exeDir);
    vx::app().SettingsPath = settings.file;
    vx::app().SettingsPerUser = settings.perUser;
    // A first start speaks the system's language; saved settings keep their own.
    if (settings.fresh) vx::app().TaalIndex = vx::taalIndexForLocale(QLocale::system().name());
    // A simulator run starts from the real settings but saves into a scratch copy, so
    // trying the tool never changes the settings for the real controller.
    QTemporaryDir scratch;
    if (simulate && scratch.isValid()) {
        vx::app().SettingsPath = scratch.filePath(QStringLiteral("application.ini"));
        QFile::copy(settings.file, vx::app().SettingsPath);
        QFile(vx::app().SettingsPath).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // Safety backups, logs and history of a simulated controller stay out of the
        // user's own folder too, and each run starts without an earlier run's files.
        vx::paths::setUserDataDir(scratch.filePath(QStringLiteral("data")));
    }

    if (simulate) {
        vx::sim::installInProcessSimulator((options.exeDir + QStringLiteral("Parameters.txt")).toStdString());
        for (int n = 1; n <= 16; ++n) vx::setPortDevicePath(n, "sim");
        if (!backupFile.isEmpty()) {
            vx::sim::defaultBus().removeUnits();
            vx::sim::addBackupUnit(vx::sim::defaultBus(), customer);
        }
    }

    // Safety backups and read-backs are on until the settings say otherwise.
    vx::safety::setBackupsOn(true);
    vx::safety::setVerifyOn(true);
    vx::TFormMain mainWindow(options);
    vx::createRegisteredWindows(mainWindow);
    // Nothing remembered yet, and the program folder is no place for the user's files.
    if (settings.perUser && vx::app().OpenCloseDialoogPath.isEmpty())
        vx::app().OpenCloseDialoogPath = vx::paths::documentsDir();

    QLocalServer server;
    QLocalServer::removeServer(key); // a stale socket from a crashed run
    server.listen(key);
    QObject::connect(&server, &QLocalServer::newConnection, &mainWindow, [&] {
        while (QLocalSocket* s = server.nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            bringToFront(&mainWindow);
        }
    });

    std::unique_ptr<QSocketNotifier> signalWatch;
    if (catching) {
        signalWatch = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalWatch.get(), &QSocketNotifier::activated, &mainWindow, [&] {
            char drained[16];
            while (::read(g_signalPipe[0], drained, sizeof drained) > 0) {
            }
            endWithoutQuestions(&mainWindow, 20);
        });
    }

    mainWindow.show();
    return application.exec();
}
