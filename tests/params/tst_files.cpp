// Parameter, setpoint and backup files: the formats byte for byte, the checks on
// opening, the dialogs' names and folder, and saves that fail without harm.
#include <QTemporaryDir>
#include <QtTest>

#include "core/AppState.h"
#include "core/Taal.h"
#include "params/ParFiles.h"
#include "params/ValueStore.h"
#include "support/ScriptedUi.h"

#include <csignal>
#include <sys/resource.h>

using namespace vx;
using namespace vx::files;

Q_DECLARE_METATYPE(vx::files::TextFileError)
Q_DECLARE_METATYPE(vx::files::FileKind)
Q_DECLARE_METATYPE(vx::files::FileFault)

namespace {

TParWaarden samplePars()
{
    TParWaarden p;
    for (int n = 0; n <= 511; ++n)
        p[n] = (n % 3 == 0 ? -1 : 1) * n * 1000 + 7;
    p[0] = 1;
    p[12] = -2500;
    p[100] = std::numeric_limits<qint32>::min();
    p[511] = std::numeric_limits<qint32>::max();
    return p;
}

TSollWaarden sampleSoll()
{
    TSollWaarden s;
    for (int n = 1; n <= 80; ++n)
        s[n] = n * n - 1000;
    return s;
}

QList<QByteArray> lines(const QByteArray& text)
{
    QList<QByteArray> l = text.split('\n');
    l.removeLast();
    return l;
}

QByteArray joinLines(const QList<QByteArray>& l, const char* end = "\r\n")
{
    QByteArray out;
    for (const auto& x : l)
        out += x + end;
    return out;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    test::ScriptedUi* m_ui = nullptr;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // English texts from the shipped language file, so messages can be checked.
        app().ExeDir = qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + u'/';
        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
        app().unitNumber = [] { return 7; };
    }

    void init()
    {
        m_ui = test::ScriptedUi::install();
        resetValueStore();
        app().TaalGeladen = true;
        app().OpenCloseDialoogPath = m_dir.path();
    }

    void parameterFileLayout()
    {
        const QByteArray text = parameterFileText(7, samplePars());
        const auto l = lines(text);
        QCOMPARE(l.size(), 514);
        QCOMPARE(l[0], QByteArray("ASCII Parameters VX5x-XXX   No: 7\r"));
        QCOMPARE(l[1], QByteArray("\r"));
        QCOMPARE(l[2], QByteArray("P000 1\r"));
        QCOMPARE(l[14], QByteArray("P012 -2500\r"));
        QCOMPARE(l[102], QByteArray("P100 -2147483648\r"));
        QCOMPARE(l[513], QByteArray("P511 2147483647\r"));
        QVERIFY(text.endsWith("\r\n"));
    }

    void setpointFileLayout()
    {
        const auto l = lines(setpointFileText(31, sampleSoll()));
        QCOMPARE(l.size(), 83);
        QCOMPARE(l[0], QByteArray("ASCII Sollwerten VX5x-XXX   No: 31\r"));
        QCOMPARE(l[2], QByteArray("S000 0\r"));
        QCOMPARE(l[3], QByteArray("S001 -999\r"));
        QCOMPARE(l[82], QByteArray("S080 5400\r"));
    }

    void textRoundTrip()
    {
        TParWaarden p;
        QCOMPARE(parseParameterFile(parameterFileText(3, samplePars()), p), TextFileError::None);
        QVERIFY(p == samplePars());
        TSollWaarden s;
        QCOMPARE(parseSetpointFile(setpointFileText(3, sampleSoll()), s), TextFileError::None);
        QVERIFY(s == sampleSoll());
    }

    void parseParameterFileRows_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<TextFileError>("expected");

        const auto good = lines(parameterFileText(7, samplePars()));
        auto with = [&](int line, const QByteArray& replacement) {
            auto l = good;
            l[line] = replacement + '\r';
            return joinLines(l, "\n");
        };
        QTest::newRow("as written") << joinLines(good, "\n") << TextFileError::None;
        {
            auto l = good;
            for (int i = 500; i > 2; i -= 37)
                l.insert(i, "\r");
            QTest::newRow("blank lines between") << joinLines(l, "\n") << TextFileError::None;
        }
        QTest::newRow("LF line ends") << joinLines(lines(parameterFileText(7, samplePars()).replace("\r", "")), "\n")
                                      << TextFileError::None;
        QTest::newRow("X012 7 is parameter 12") << with(14, "X012 7") << TextFileError::None;
        QTest::newRow("other unit after the header") << with(0, "ASCII Parameters VX5x-XXXanything")
                                                     << TextFileError::None;
        {
            auto l = good;
            l.removeAt(300);
            QTest::newRow("511 lines") << joinLines(l, "\n") << TextFileError::WrongCount;
            l = good;
            l.append("P011 5\r");
            QTest::newRow("513 lines") << joinLines(l, "\n") << TextFileError::WrongCount;
        }
        QTest::newRow("P12 5") << with(14, "P12 5") << TextFileError::BadLine;
        QTest::newRow("trailing blank") << with(14, "P012 7 ") << TextFileError::BadLine;
        QTest::newRow("value not a number") << with(14, "P012 1x") << TextFileError::BadLine;
        QTest::newRow("value beyond 32 bits") << with(14, "P012 2147483648") << TextFileError::BadLine;
        QTest::newRow("number not a number") << with(14, "P0x2 7") << TextFileError::BadLine;
        QTest::newRow("number outside the table") << with(14, "P512 7") << TextFileError::BadLine;
        QTest::newRow("negative number") << with(14, "P-12 7") << TextFileError::BadLine;
        QTest::newRow("duplicate, count right") << with(14, "P013 7") << TextFileError::BadLine;
        QTest::newRow("line of blanks") << with(14, "      ") << TextFileError::BadLine;
        QTest::newRow("setpoint file") << setpointFileText(7, sampleSoll()) << TextFileError::BadHeader;
        QTest::newRow("empty file") << QByteArray() << TextFileError::BadHeader;
        QTest::newRow("header case") << with(0, "ascii Parameters VX5x-XXX   No: 7") << TextFileError::BadHeader;
    }

    void parseParameterFileRows()
    {
        QFETCH(QByteArray, contents);
        QFETCH(TextFileError, expected);

        TParWaarden scratch;
        scratch.fill(42);
        const TParWaarden before = scratch;
        QCOMPARE(parseParameterFile(contents, scratch), expected);
        if (expected != TextFileError::None) {
            QVERIFY(scratch == before); // nothing taken over
            return;
        }
        QCOMPARE(scratch[511], std::numeric_limits<qint32>::max());
        QCOMPARE(scratch[12], QTest::currentDataTag() == QByteArray("X012 7 is parameter 12") ? 7 : -2500);
    }

    void setpointFileChecks()
    {
        TSollWaarden s;
        auto l = lines(setpointFileText(1, sampleSoll()));
        l[2] = "S000 99\r"; // S000's value is ignored
        QCOMPARE(parseSetpointFile(joinLines(l, "\n"), s), TextFileError::None);
        QVERIFY(s == sampleSoll());

        auto missing = lines(setpointFileText(1, sampleSoll()));
        missing.removeAt(2); // S000 is required and counted
        QCOMPARE(parseSetpointFile(joinLines(missing, "\n"), s), TextFileError::WrongCount);

        auto outside = lines(setpointFileText(1, sampleSoll()));
        outside[2] = "S081 1\r";
        QCOMPARE(parseSetpointFile(joinLines(outside, "\n"), s), TextFileError::BadLine);

        QCOMPARE(parseSetpointFile(parameterFileText(1, samplePars()), s), TextFileError::BadHeader);
    }

    void backupLayout()
    {
        const QByteArray b = backupFileBytes(samplePars(), sampleSoll());
        QCOMPARE(b.size(), 16020);
        auto at = [&](int offset) { return qFromLittleEndian<qint32>(b.constData() + offset); };
        QCOMPARE(at(0), 11223344);
        QCOMPARE(at(4), 11223344);
        QCOMPARE(b.left(4), QByteArray("\x30\x41\xAB\x00", 4));
        QCOMPARE(at(8), 1); // parameter 0
        QCOMPARE(at(8 + 4 * 12), -2500);
        QCOMPARE(at(8 + 4 * 511), std::numeric_limits<qint32>::max());
        for (int i = 512; i <= 2000; ++i)
            QCOMPARE(at(8 + 4 * i), 0);
        QCOMPARE(at(8012), -999);          // setpoint 1
        QCOMPARE(at(8012 + 4 * 79), 5400); // setpoint 80
        for (int i = 81; i <= 2000; ++i)
            QCOMPARE(at(8012 + 4 * (i - 1)), 0);
        QCOMPARE(at(16012), 123456789);
        QCOMPARE(at(16016), 123456789);
    }

    void backupChecks_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("expected");
        const QByteArray good = backupFileBytes(samplePars(), sampleSoll());
        auto changed = [&](int offset) {
            QByteArray b = good;
            b[offset] = char(b[offset] ^ 0x01);
            return b;
        };
        QTest::newRow("as written") << good << int(BackupError::None);
        QTest::newRow("one byte more") << good + 'x' << int(BackupError::WrongSize);
        QTest::newRow("5000 bytes more") << good + QByteArray(5000, '\0') << int(BackupError::WrongSize);
        QTest::newRow("first start mark") << changed(0) << int(BackupError::BadMarks);
        QTest::newRow("second start mark") << changed(5) << int(BackupError::BadMarks);
        QTest::newRow("first end mark") << changed(16012) << int(BackupError::BadMarks);
        QTest::newRow("last four bytes") << changed(16019) << int(BackupError::BadMarks);
        QTest::newRow("one byte short") << good.left(16019) << int(BackupError::WrongSize);
        QTest::newRow("empty") << QByteArray() << int(BackupError::WrongSize);
    }

    void backupChecks()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, expected);
        TParWaarden p;
        TSollWaarden s;
        p.fill(5);
        s.fill(5);
        QCOMPARE(int(parseBackupFile(contents, p, s)), expected);
        if (expected == int(BackupError::None)) {
            QVERIFY(p == samplePars());
            QVERIFY(s == sampleSoll());
        } else {
            QCOMPARE(p[0], 5);
            QCOMPARE(s[80], 5);
        }
    }

    // One reader for every window and vx5x: the kind from the contents, the first bad
    // line and why, and what the parameter editor makes of it.
    void valueFiles_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("name");
        QTest::addColumn<FileKind>("kind");
        QTest::addColumn<FileFault>("fault");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("error");
        QTest::addColumn<TextFileError>("editor");

        const QByteArray backup = backupFileBytes(samplePars(), sampleSoll());
        const auto good = lines(parameterFileText(7, samplePars()));
        auto with = [&](QList<std::pair<int, QByteArray>> changes) {
            auto l = good;
            for (const auto& [at, text] : changes)
                l[at] = text + '\r';
            return joinLines(l, "\n");
        };
        const auto ok = FileFault::None;
        const auto none = TextFileError::None;
        QTest::newRow("parameters") << joinLines(good, "\n") << "a.txt" << FileKind::Parameters << ok << 0 << ""
                                    << none;
        QTest::newRow("setpoints") << setpointFileText(1, sampleSoll()) << "a.app" << FileKind::Setpoints << ok << 0
                                   << "" << TextFileError::BadHeader;
        QTest::newRow("backup by its marks") << backup << "a.dat" << FileKind::Backup << ok << 0 << ""
                                             << TextFileError::BadHeader;
        QTest::newRow("backup with a tail") << backup + "tail"
                                            << "a.dat" << FileKind::Backup << FileFault::WrongSize
                                            << 0 << "16024 bytes, a backup file has 16020" << TextFileError::BadHeader;
        QTest::newRow("short .bak") << QByteArray(100, 'x') << "short.BAK" << FileKind::Backup << FileFault::WrongSize
                                    << 0 << "100 bytes, a backup file has 16020" << TextFileError::BadHeader;
        QTest::newRow("backup size, marks wrong") << QByteArray(16020, '\0') << "a.bin" << FileKind::Backup
                                                  << FileFault::BadMarks << 0 << "the start or end marks are wrong"
                                                  << TextFileError::BadHeader;
        QTest::newRow("unknown") << QByteArray("junk\r\n") << "a.app" << FileKind::Unknown << FileFault::Unrecognised
                                 << 1 << "line 1: neither a parameter, setpoint nor backup file"
                                 << TextFileError::BadHeader;
        QTest::newRow("malformed") << with({{3, "P12 5"}}) << "a.app" << FileKind::Parameters << FileFault::BadLine << 4
                                   << "line 4: expected a letter, three digits, a blank and a value"
                                   << TextFileError::BadLine;
        QTest::newRow("number outside") << with({{4, "P512 7"}}) << "a.app" << FileKind::Parameters
                                        << FileFault::BadLine << 5 << "line 5: number 512 is outside 0 .. 511"
                                        << TextFileError::BadLine;
        QTest::newRow("percent in the number") << with({{4, "P%01 7"}}) << "a.app" << FileKind::Parameters
                                               << FileFault::BadLine << 5 << "line 5: number %01 is outside 0 .. 511"
                                               << TextFileError::BadLine;
        QTest::newRow("value") << with({{5, "P003 1x"}}) << "a.app" << FileKind::Parameters << FileFault::BadLine << 6
                               << "line 6: \"1x\" is not a whole number" << TextFileError::BadLine;
        QTest::newRow("twice, count right") << with({{14, "P013 7"}}) << "a.app" << FileKind::Parameters
                                            << FileFault::BadLine << 16 << "line 16: number 13 again (first on line 15)"
                                            << TextFileError::BadLine;
        QTest::newRow("twice before a malformed line")
            << with({{14, "P013 7"}, {300, "P29 1"}}) << "a.app" << FileKind::Parameters << FileFault::BadLine << 16
            << "line 16: number 13 again (first on line 15)" << TextFileError::BadLine;
        {
            auto l = good;
            l.append("P011 5\r");
            QTest::newRow("513 lines, one twice")
                << joinLines(l, "\n") << "a.app" << FileKind::Parameters << FileFault::WrongCount << 515
                << "line 515: number 11 again (first on line 14)" << TextFileError::WrongCount;
            l = good;
            l.removeAt(300);
            QTest::newRow("511 lines") << joinLines(l, "\n") << "a.app" << FileKind::Parameters
                                       << FileFault::WrongCount << 0 << "511 value lines, expected 512"
                                       << TextFileError::WrongCount;
        }
        {
            QByteArray huge = parameterFileText(7, samplePars());
            huge += QByteArray(int(MaxTextFileSize), '\n');
            QTest::newRow("too large") << huge << "a.app" << FileKind::Parameters << FileFault::TooLarge << 0
                                       << "too large for a parameter, setpoint or backup file"
                                       << TextFileError::WrongCount;
        }
    }

    void valueFiles()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, name);
        QFETCH(FileKind, kind);
        QFETCH(FileFault, fault);
        QFETCH(int, line);
        QFETCH(QString, error);
        QFETCH(TextFileError, editor);
        const ValueFile f = valueFileFrom(contents, name);
        QCOMPARE(f.kind, kind);
        QCOMPARE(f.fault, fault);
        QCOMPARE(f.line, line);
        QCOMPARE(f.error, error);
        QCOMPARE(textFileError(f, FileKind::Parameters), editor);
        // Values only from a file taken whole.
        QCOMPARE(f.values.hasParameters, f.ok() && kind != FileKind::Setpoints);
        QCOMPARE(f.values.hasSetpoints, f.ok() && kind != FileKind::Parameters);
        if (f.values.hasParameters)
            QVERIFY(f.values.par == samplePars());
        if (f.values.hasSetpoints)
            QVERIFY(f.values.soll == sampleSoll());
    }

    void missingValueFile()
    {
        const ValueFile f = readValueFile(path(QStringLiteral("none.bak")));
        QCOMPARE(f.fault, FileFault::CannotOpen);
        QVERIFY(!f.error.isEmpty());
        QCOMPARE(textFileError(f, FileKind::Setpoints), TextFileError::CannotOpen);
    }

    // Through the dialogs: names, folder, store and status, messages.
    void saveAndOpenThroughDialogs()
    {
        ParWaarden = samplePars();
        SollWaarden = sampleSoll();
        QDir(m_dir.path()).mkpath(QStringLiteral("sub"));
        m_ui->fileNames = {path(QStringLiteral("sub/set1")), path(QStringLiteral("sub/tab1"))};
        QVERIFY(saveParameterFile(nullptr));
        QVERIFY(saveSetpointFile(nullptr));
        QVERIFY(QFile::exists(path(QStringLiteral("sub/set1.app"))));
        QVERIFY(QFile::exists(path(QStringLiteral("sub/tab1.aps"))));
        QCOMPARE(app().OpenCloseDialoogPath, path(QStringLiteral("sub")));
        QCOMPARE(m_ui->dialogCaptions, QStringList({"Save parameter file", "Save setpoint file"}));
        QCOMPARE(ParStatus, 0); // saving does not change the status

        resetValueStore();
        m_ui->fileNames = {path(QStringLiteral("sub/set1.app")), path(QStringLiteral("sub/tab1.aps"))};
        QVERIFY(files::openParameterFile(nullptr));
        QVERIFY(openSetpointFile(nullptr));
        QVERIFY(ParWaarden == samplePars());
        QVERIFY(SollWaarden == sampleSoll());
        QCOMPARE(ParStatus, 2);
        QCOMPARE(SollStatus, 2);
        QVERIFY(m_ui->messages.isEmpty());

        // Cancelled dialogs do nothing.
        QVERIFY(!files::openParameterFile(nullptr));
        QVERIFY(!saveSetpointFile(nullptr));
        QVERIFY(m_ui->messages.isEmpty());
    }

    void failedOpenKeepsTheStore_data()
    {
        QTest::addColumn<bool>("parameters");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("message");
        auto l = lines(parameterFileText(7, samplePars()));
        l[300] = "P29 1\r";
        QTest::newRow("setpoint file as parameters") << true << setpointFileText(1, sampleSoll())
                                                     << "This is not a parameter file.";
        QTest::newRow("parameter file as setpoints") << false << parameterFileText(1, samplePars())
                                                     << "This is not a setpoint file.";
        QTest::newRow("bad line at 300") << true << joinLines(l, "\n") << "The file contains an invalid line.";
        QTest::newRow("short setpoint file") << false << joinLines(lines(setpointFileText(1, sampleSoll())).mid(0, 40), "\n")
                                             << "The file is incomplete or has too many lines.";
    }

    void failedOpenKeepsTheStore()
    {
        QFETCH(bool, parameters);
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        ParWaarden[5] = 55;
        SollWaarden[5] = 55;
        ParStatus = 1;
        SollStatus = 1;
        writeFile(path(QStringLiteral("bad.app")), contents);
        QVERIFY(!(parameters ? readParameterFile(nullptr, path(QStringLiteral("bad.app")))
                             : readSetpointFile(nullptr, path(QStringLiteral("bad.app")))));
        QCOMPARE(ParWaarden[5], 55);
        QCOMPARE(ParWaarden[6], 0);
        QCOMPARE(SollWaarden[5], 55);
        QCOMPARE(ParStatus, 1);
        QCOMPARE(SollStatus, 1);
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages[0].icon, QMessageBox::Critical);
        QCOMPARE(m_ui->messages[0].caption, QStringLiteral("Error"));
        QCOMPARE(m_ui->messages[0].text, message);
    }

    void missingFileAndNoTexts()
    {
        QVERIFY(!readParameterFile(nullptr, path(QStringLiteral("none.app"))));
        QCOMPARE(m_ui->messages.value(0).text, QStringLiteral("The file cannot be opened."));
        // Without language texts the checks still hold; the box is empty.
        app().TaalGeladen = false;
        writeFile(path(QStringLiteral("x.app")), "junk\r\n");
        QVERIFY(!readParameterFile(nullptr, path(QStringLiteral("x.app"))));
        QCOMPARE(m_ui->messages.size(), 2);
        QCOMPARE(m_ui->messages[1].text, QString());
        QCOMPARE(ParStatus, 0);
    }

    void backupFileThroughDialog()
    {
        m_ui->fileNames = {path(QStringLiteral("whole"))};
        const QString name = chooseSaveFile(nullptr, FileKind::Backup);
        QCOMPARE(name, path(QStringLiteral("whole.bak")));
        QVERIFY(writeBackupFile(nullptr, name, samplePars(), sampleSoll()));
        QCOMPARE(QFileInfo(name).size(), 16020);

        TParWaarden p;
        TSollWaarden s;
        QVERIFY(readBackupFile(nullptr, name, p, s));
        QVERIFY(p == samplePars());

        QByteArray damaged = readAll(name);
        damaged[16019] = 0;
        writeFile(path(QStringLiteral("damaged.bak")), damaged);
        p.fill(1);
        QVERIFY(!readBackupFile(nullptr, path(QStringLiteral("damaged.bak")), p, s));
        QCOMPARE(p[3], 1);
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages[0].caption, QString());
        QCOMPARE(m_ui->messages[0].text, QStringLiteral("This is not a valid backup file; nothing is sent."));
    }

    void dialogFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare pattern") << "*.app"
                                      << "*.app";
        QTest::newRow("one pair") << "ASCII Parameterbestand (*.app)|*.app"
                                  << "ASCII Parameterbestand (*.app)";
        QTest::newRow("two pairs") << "Backup file (*.bak)|*.bak|All files (*.*)|*.*"
                                   << "Backup file (*.bak);;All files (*.*)";
        QTest::newRow("text without patterns") << "Parameters|*.app;*.txt"
                                               << "Parameters (*.app *.txt)";
        QTest::newRow("empty") << ""
                               << "";
    }

    void dialogFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(dialogFilter(filter), expected);
    }

    void failedSaveKeepsTheOldFile()
    {
        const QString name = path(QStringLiteral("keep.bak"));
        const QByteArray old("old contents that must survive");
        writeFile(name, old);

        // A file-size limit makes the write fail part-way, as a full disk would.
        struct rlimit saved { };
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved1 = writeBackupFile(nullptr, name, samplePars(), sampleSoll());
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!saved1);
        QCOMPARE(readAll(name), old);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("keep.bak*")}, QDir::Files),
                 QStringList{QStringLiteral("keep.bak")}); // no temporary left behind
        QCOMPARE(m_ui->messages.size(), 1);
        QCOMPARE(m_ui->messages[0].icon, QMessageBox::Critical);
        QVERIFY(m_ui->messages[0].text.startsWith(QStringLiteral("The file could not be saved.")));
        QVERIFY(m_ui->messages[0].text.contains(u'\n')); // followed by the system's reason

        // A folder that does not exist: nothing is created, the failure is shown.
        ParWaarden = samplePars();
        QVERIFY(!writeParameterFile(nullptr, path(QStringLiteral("nofolder/p.app"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("nofolder/p.app"))));
        QCOMPARE(m_ui->messages.size(), 2);
    }
};

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
