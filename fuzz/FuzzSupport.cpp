#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>

namespace vx::fuzz {

namespace {
int argc = 1;
char arg0[] = "fuzz";
char* argv[] = {arg0, nullptr};
} // namespace

void ensureGuiApp()
{
    if (QCoreApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv); // lives to the end of the process
}

void ensureCoreApp()
{
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

QString scratchDir()
{
    static QTemporaryDir dir;
    return dir.path();
}

} // namespace vx::fuzz
