// Program entry: one instance per desktop, then the main window.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/Paths.h"
#include "params/SafetyBackup.h"
#include "sim/SimInstall.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

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
    const vx::paths::SettingsLocation s =
        vx::paths::settingsLocation(exeDir, vx::paths::configHome(), vx::paths::folderWritable(exeDir));
    std::printf("data:     %s%s\n", qPrintable(data), found ? "" : " (language and definition files not found)");
    std::printf("settings: %s%s\n", qPrintable(s.file), s.perUser ? " (per user)" : "");
    // Safety backups, traffic logs and the terminal history; --simulate uses a scratch folder.
    std::printf("user data: %s\n", qPrintable(vx::paths::userDataDir()));
    return found ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--paths") == 0) {
            QCoreApplication core(argc, argv);
            return printPaths(QCoreApplication::applicationDirPath());
        }
    }
    const bool hasDisplay = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                            || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    if (!hasDisplay) {
        std::fprintf(stderr, "vx5x-tool: no display found. Run it under a virtual display, e.g.\n"
                             "    xvfb-run -a %s %s\n",
                     argv[0], argc > 1 ? argv[1] : "");
        return 2;
    }

    QApplication application(argc, argv);
    application.setApplicationName(QString::fromLatin1(vx::ApplicationTitle));

    const QString key = instanceKey();
    if (raiseRunningInstance(key)) return 0;

    // Our own options are taken out before the program looks at its arguments.
    QStringList args = application.arguments().mid(1);
    const bool simulate = args.removeAll(QStringLiteral("--simulate")) > 0;
    vx::app().Simulating = simulate;

    // Data beside the program or in the installed share folder; settings beside it
    // while that folder is writable, else per user.
    const QString exeDir = QCoreApplication::applicationDirPath();
    vx::MainOptions options;
    options.arguments = args;
    options.exeDir = vx::paths::dataDir(exeDir);
    const vx::paths::SettingsLocation settings =
        vx::paths::settingsLocation(exeDir, vx::paths::configHome(), vx::paths::folderWritable(exeDir));
    vx::app().SettingsPath = settings.file;
    vx::app().SettingsPerUser = settings.perUser;
    // A simulator run starts from the real settings but saves into a scratch copy, so
    // trying the tool never changes the settings for the real controller.
    QTemporaryDir scratch;
    if (simulate && scratch.isValid()) {
        vx::app().SettingsPath = scratch.filePath(QStringLiteral("application.ini"));
        QFile::copy(settings.file, vx::app().SettingsPath);
        QFile(vx::app().SettingsPath).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // Safety backups, logs and history of a simulated controller stay out of the
        // user's own folder too.
        vx::paths::setUserDataDir(QDir::tempPath() + QStringLiteral("/vx5x-tool-simulated"));
    }

    if (simulate) {
        vx::sim::installInProcessSimulator((options.exeDir + QStringLiteral("Parameters.txt")).toStdString());
        for (int n = 1; n <= 16; ++n) vx::setPortDevicePath(n, "sim");
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

    mainWindow.show();
    return application.exec();
}
