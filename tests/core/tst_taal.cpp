#include "core/AppState.h"
#include "core/Cp1252.h"
#include "core/IniFile.h"
#include "core/Taal.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

class TstTaal : public QObject {
    Q_OBJECT

    static void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init()
    {
        app().TaalFile.reset();
        app().TaalGeladen = false;
        app().TaalIndex = 0;
    }

    void lookupRules_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        // File under test is in lookupRules(); the default is always "DEF".
        QTest::newRow("empty value is not the default") << "Main"
                                                        << "CmdTerminalZenden"
                                                        << "";
        QTest::newRow("key case ignored") << "Main"
                                          << "CmdComOpen"
                                          << "Openen";
        QTest::newRow("section case ignored") << "editsollwert"
                                              << "Titel"
                                              << "Soll";
        QTest::newRow("missing key") << "Main"
                                     << "Nope"
                                     << "DEF";
        QTest::newRow("missing section") << "Nope"
                                         << "CmdComOpen"
                                         << "DEF";
        QTest::newRow("first key wins") << "Main"
                                        << "Dubbel"
                                        << "eerste";
        QTest::newRow("first section wins") << "About"
                                            << "Caption"
                                            << "een";
        QTest::newRow("value not trimmed") << "Main"
                                           << "Spatie"
                                           << " a b ";
        QTest::newRow("comment line ignored") << "Main"
                                              << ";Commentaar"
                                              << "DEF";
        QTest::newRow("blank before = is part of key") << "Main"
                                                       << "Blank"
                                                       << "DEF";
        QTest::newRow("line before first section ignored") << ""
                                                           << "Los"
                                                           << "DEF";
        QTest::newRow("key in repeated section ignored") << "About"
                                                         << "Extra"
                                                         << "DEF";
    }
    void lookupRules()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        writeBytes(dir.filePath("Taal0.ini"),
                   "Los=x\r\n"
                   "[Main]\r\n"
                   "cmdcomopen=Openen\r\n"
                   "CmdTerminalZenden=\r\n"
                   ";Commentaar=c\r\n"
                   "\r\n"
                   "Dubbel=eerste\r\n"
                   "DUBBEL=tweede\r\n"
                   "Spatie= a b \r\n"
                   "Is=a=b\r\n"
                   "Blank = x\r\n"
                   "[About]\n"
                   "Caption=een\n"
                   "[EditSollWert]\r"
                   "Titel=Soll\r"
                   "[ABOUT]\n"
                   "Caption=twee\n"
                   "Extra=y\n");
        app().ExeDir = dir.path() + '/';
        QVERIFY(loadTaalFile());
        QCOMPARE(taal(section, key, "DEF"), expected);
    }

    void fileChoice_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("file");
        QTest::newRow("0") << 0 << "Taal0.ini";
        QTest::newRow("2") << 2 << "Taal2.ini";
        QTest::newRow("7 falls back") << 7 << "Taal0.ini";
    }
    void fileChoice()
    {
        QFETCH(int, index);
        QFETCH(QString, file);
        QCOMPARE(taalFileName(index), file);
    }

    void missingFileKeepsPreviousTexts()
    {
        QTemporaryDir dir;
        writeBytes(dir.filePath("Taal1.ini"), "[Main]\nCmdComOpen=Open\n");
        app().ExeDir = dir.path() + '/';

        app().TaalIndex = 0; // no Taal0.ini: nothing loaded, defaults everywhere
        QVERIFY(!loadTaalFile());
        QVERIFY(!app().TaalGeladen);
        QCOMPARE(taal("Main", "CmdComOpen", "DEF"), QString("DEF"));

        app().TaalIndex = 1;
        QVERIFY(loadTaalFile());
        QVERIFY(app().TaalGeladen);
        QCOMPARE(taal("Main", "CmdComOpen", "DEF"), QString("Open"));

        app().TaalIndex = 2; // no Taal2.ini: English stays
        QVERIFY(!loadTaalFile());
        QVERIFY(app().TaalGeladen);
        QCOMPARE(taal("Main", "CmdComOpen", "DEF"), QString("Open"));
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("utf-8") << QByteArray("[S]\nK=Gr\xc3\xb6\xc3\x9f"
                                             "e \xe2\x82\xac\n")
                               << QString::fromUtf8("Größe €");
        QTest::newRow("utf-8 with BOM") << QByteArray("\xef\xbb\xbf[S]\nK=\xc3\xa9\n")
                                        << QString::fromUtf8("é");
        QTest::newRow("windows-1252") << QByteArray("[S]\nK=Gr\xf6\xdf"
                                                    "e \x80 \x93x\x94\n")
                                      << QString::fromUtf8("Größe € “x”");
    }
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        writeBytes(dir.filePath("f.ini"), bytes);
        auto ini = IniFile::load(dir.filePath("f.ini"));
        QVERIFY(ini);
        QCOMPARE(ini->readString("s", "k", "DEF"), expected);
    }

    void missingFileGivesNull()
    {
        QTemporaryDir dir;
        QVERIFY(!IniFile::load(dir.filePath("nope.ini")));
    }

    void integers_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << "123" << 123;
        QTest::newRow("negative") << "-45" << -45;
        QTest::newRow("dollar hex") << "$1F" << 31;
        QTest::newRow("0x hex") << "0x10" << 16;
        QTest::newRow("0X hex") << "0XfF" << 255;
        QTest::newRow("hex all bits") << "$FFFFFFFF" << -1;
        QTest::newRow("int min") << "-2147483648" << int(-2147483647 - 1);
        QTest::newRow("overflow") << "2147483648" << -99;
        QTest::newRow("hex overflow") << "$100000000" << -99;
        QTest::newRow("empty") << "" << -99;
        QTest::newRow("trailing text") << "12a" << -99;
        QTest::newRow("trailing blank") << "12 " << -99;
    }
    void integers()
    {
        QFETCH(QString, value);
        QFETCH(int, expected);
        auto ini = IniFile::fromText("[S]\nv=" + value + "\n");
        QCOMPARE(ini->readInteger("S", "V", -99), expected);
        QCOMPARE(ini->readInteger("S", "missing", -99), -99);
    }

    void listsInFileOrder()
    {
        auto ini = IniFile::fromText("[b]\nz=1\na=2\n[A]\nx=\n[B]\ny=3\n");
        QCOMPARE(ini->sectionNames(), QStringList({"b", "A"}));
        QCOMPARE(ini->keys("B"), QStringList({"z", "a"}));
        QVERIFY(ini->hasKey("a", "X"));
        QVERIFY(!ini->hasKey("b", "y"));
        QVERIFY(ini->hasSection("a"));
        QVERIFY(!ini->hasSection("c"));
    }

    // The one code-page table both readers use: the five unassigned bytes come
    // through as the C1 controls Windows gives them, never as a lost character.
    void windows1252()
    {
        QCOMPARE(decodeCp1252(QByteArray("\x80\x81\x8d\x8f\x90\x9d\x9f\xe9", 8)),
                 QString::fromUtf16(u"\u20ac\u0081\u008d\u008f\u0090\u009d\u0178\u00e9"));
    }
};

QTEST_MAIN(TstTaal)
#include "tst_taal.moc"
