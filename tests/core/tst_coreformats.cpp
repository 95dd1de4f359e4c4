// The small formats every part of the program shares: CSV fields, the integer rule
// of INI values (the same through both INI readers), and saves that fail without harm.
#include <QTemporaryDir>
#include <QtTest>

#include "core/AtomicFile.h"
#include "core/Csv.h"
#include "core/IniFile.h"
#include "core/SettingsFile.h"

using namespace vx;

class TestCoreFormats : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void csvFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "P012" << QChar(u',') << "P012";
        QTest::newRow("empty") << "" << QChar(u',') << "";
        QTest::newRow("blanks stay bare") << " a b " << QChar(u',') << " a b ";
        QTest::newRow("decimal comma") << "1,5" << QChar(u',') << "\"1,5\"";
        QTest::newRow("quotes doubled") << "say \"hi\"" << QChar(u',') << "\"say \"\"hi\"\"\"";
        QTest::newRow("line feed") << "a\nb" << QChar(u',') << "\"a\nb\"";
        QTest::newRow("carriage return") << "rs 8\r" << QChar(u',') << "\"rs 8\r\"";
        QTest::newRow("semicolon, comma separated") << "a;b" << QChar(u',') << "a;b";
        QTest::newRow("semicolon separated") << "a;b" << QChar(u';') << "\"a;b\"";
        QTest::newRow("comma, semicolon separated") << "a,b" << QChar(u';') << "\"a,b\"";
        QTest::newRow("tab separated") << "a\tb" << QChar(u'\t') << "\"a\tb\"";
    }

    void csvFields()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(csv::field(text, separator), expected);
        QCOMPARE(csv::row({text, text}, separator), expected + separator + expected);
    }

    // One grammar, and both readers answer alike; def (-99) when it does not parse.
    void iniIntegers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "12" << true << 12;
        QTest::newRow("signs") << "-12" << true << -12;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("leading zeros") << "007" << true << 7;
        QTest::newRow("leading blanks") << "  5" << true << 5;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("one over") << "2147483648" << false << 0;
        QTest::newRow("smallest") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("one under") << "-2147483649" << false << 0;
        QTest::newRow("many digits") << "99999999999999999999" << false << 0;
        QTest::newRow("dollar hex") << "$FF" << true << 255;
        QTest::newRow("0x hex") << "0x1f" << true << 31;
        QTest::newRow("0X hex") << "0X1F" << true << 31;
        QTest::newRow("hex wraps to 32 bits") << "$FFFFFFFF" << true << -1;
        QTest::newRow("nine hex digits") << "$100000000" << false << 0;
        QTest::newRow("negative hex") << "-$10" << true << -16;
        QTest::newRow("negative 0x") << "-0x10" << true << -16;
        QTest::newRow("negated lowest hex") << "-$80000000" << false << 0;
        QTest::newRow("sign after the prefix") << "$-10" << false << 0;
        QTest::newRow("two prefixes") << "$0x10" << false << 0;
        QTest::newRow("prefix alone") << "0x" << false << 0;
        QTest::newRow("dollar alone") << "$" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("trailing letters") << "12abc" << false << 0;
        QTest::newRow("bad hex digit") << "0x1G" << false << 0;
        QTest::newRow("exponent") << "1e3" << false << 0;
        QTest::newRow("inner blank") << "1 000" << false << 0;
    }

    void iniIntegers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        int got = -99;
        QCOMPARE(IniFile::parseInteger(text, got), ok);
        QCOMPARE(got, ok ? value : -99);

        const QString ini = QStringLiteral("[S]\r\nK=") + text + QStringLiteral("\r\n");
        QCOMPARE(IniFile::fromText(ini)->readInteger("s", "k", -99), ok ? value : -99);
        const QString path = m_dir.filePath("settings.ini");
        QVERIFY(saveAtomically(path, ini.toUtf8()));
        SettingsFile settings;
        QVERIFY(settings.load(path));
        QCOMPARE(settings.readInteger("S", "K", -99), ok ? value : -99);
    }

    // A writer that gives up leaves the old file and no temporary behind.
    void failedStreamKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("plot.png");
        QVERIFY(saveAtomically(path, QByteArray("old")));
        QString why;
        const bool saved = saveAtomically(
            path,
            [](QIODevice& d) {
                d.write("half of it");
                return false;
            },
            &why);
        QVERIFY(!saved);
        QVERIFY(!why.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"plot.png"});

        QVERIFY(!saveAtomically(dir.filePath("no/folder/x"), QByteArray("x"), &why));
        QVERIFY(!why.isEmpty());
    }
};

QTEST_MAIN(TestCoreFormats)
#include "tst_coreformats.moc"
