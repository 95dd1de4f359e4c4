#include "support/ProgramFolder.h"

#include "core/AppState.h"
#include "core/Taal.h"
#include "params/ParameterDefs.h"

#include <QCoreApplication>
#include <QFile>

namespace vx::test {

QString shippedDataDir()
{
    return qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath());
}

bool ProgramFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(dir.filePath(name));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool ProgramFolder::copyShipped(const QStringList& names) const
{
    for (const QString& name : names)
        if (!QFile::copy(shippedDataDir() + u'/' + name, dir.filePath(name)))
            return false;
    return true;
}

bool ProgramFolder::load(int language) const
{
    app().ExeDir = path();
    app().TaalIndex = language;
    bool ok = ParameterDef_lezen();
    if (QFile::exists(dir.filePath(QStringLiteral("ParNo.txt"))))
        ok = ParamNo_lezen() && ok;
    if (QFile::exists(dir.filePath(QStringLiteral("Taal%1.ini").arg(language))))
        ok = loadTaalFile() && ok;
    return ok;
}

bool loadProgramData(const QString& dataDir, int language)
{
    app().ExeDir = dataDir + u'/';
    app().TaalIndex = language;
    return ParameterDef_lezen() && ParamNo_lezen() && loadTaalFile();
}

} // namespace vx::test
