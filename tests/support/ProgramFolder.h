#pragma once
// The program's own folder for a test: the shipped data files copied in, or files of
// the test's own, and the definitions and texts read from there.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vx::test {

// The shipped data folder (VX_DATA_DIR, else the folder the test runs from).
QString shippedDataDir();

class ProgramFolder {
public:
    QTemporaryDir dir;

    bool isValid() const { return dir.isValid(); }
    // Ends in '/', as the program's folder is kept.
    QString path() const { return dir.path() + u'/'; }
    QString filePath(const QString& name) const { return dir.filePath(name); }
    bool write(const QString& name, const QByteArray& bytes) const;
    // Copies the named files of the shipped data folder in.
    bool copyShipped(const QStringList& names) const;
    // Makes it the program's folder (ExeDir) in `language` and reads the parameter
    // definitions, and the menu numbers and language texts where they are there.
    bool load(int language) const;
};

// Definitions and texts straight from a data folder, in the language given.
bool loadProgramData(const QString& dataDir, int language);

} // namespace vx::test
