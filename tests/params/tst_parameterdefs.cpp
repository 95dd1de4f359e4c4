#include "core/AppState.h"
#include "params/ParTree.h"
#include "params/ParTreeWidget.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"
#include "support/ProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace vx;

namespace {

const QByteArray kParameters =
    "[007]\n"
    "naam0=Snelheid\n"
    "naam1=Velocity\n"
    "type=1\n"
    "opties0=Uit,Aan\n"
    "opties1=Off,On\n"
    "dec=2\n"
    "min=-500\n"
    "max=$1F4\n"
    "default=0x64\n"
    "[012]\n"
    "opties0=\"een item\",\"twee, drie\" vier\n"
    "opties1=#007\n"
    "[013]\n"
    "opties0=#012\n"
    "opties1=\"#007\"\n"
    "opties2=#999\n"
    "opties3=\"#007\",x\n"
    "dec=9\n"
    "min=abc\n"
    "[014]\n"
    "opties0=#013\n";

const QByteArray kParNo =
    "[102]\n"
    "ParId1=7\n"
    "ParId2=12\n"
    "ParId3=-1\n"
    "ParId5=512\n"
    "ParId6=x\n"
    "ParId18=$D\n";

} // namespace

class TstParameterDefs : public QObject {
    Q_OBJECT

    test::ProgramFolder dir;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(dir.write("Parameters.txt", kParameters));
        QVERIFY(dir.write("ParNo.txt", kParNo));
        app().ExeDir = dir.path();
        QVERIFY(ParameterDef_lezen());
        QVERIFY(ParamNo_lezen());
    }

    void init()
    {
        app().TaalIndex = 0;
        resetValueStore();
    }

    void definitionKeys()
    {
        QCOMPARE(parNaam(7), QString("Snelheid"));
        QCOMPARE(parNaam("007", 1), QString("Velocity"));
        QCOMPARE(parType(7), 1);
        QCOMPARE(parDec(7), 2);
        QCOMPARE(parMin(7), -500);
        QCOMPARE(parMax(7), 500);
        QCOMPARE(parDefault(7), 100);
        QCOMPARE(parMin(13), 0);  // not an integer
        QCOMPARE(parType(12), 0); // missing key
        QVERIFY(parExists(12));
        QVERIFY(!parExists(8));
        QCOMPARE(parSection(7), QString("007"));
    }

    // Asked by number, the answers follow a change of language and a newly loaded file
    // at once, however often the same number was asked before.
    void lookupsByNumberFollowLanguageAndFile()
    {
        QCOMPARE(parNaam(7), QString("Snelheid"));
        QCOMPARE(parOpties(7), QStringList({"Uit", "Aan"}));
        app().TaalIndex = 1;
        QCOMPARE(parNaam(7), QString("Velocity"));
        QCOMPARE(parOpties(7), QStringList({"Off", "On"}));
        app().TaalIndex = 0;
        QVERIFY(dir.write("Parameters.txt", "[007]\nnaam0=Anders\ntype=0\n"));
        QVERIFY(ParameterDef_lezen());
        QCOMPARE(parNaam(7), QString("Anders"));
        QCOMPARE(parType(7), 0);
        QVERIFY(parOpties(7).isEmpty());
        QVERIFY(dir.write("Parameters.txt", kParameters));
        QVERIFY(ParameterDef_lezen());
        QCOMPARE(parType(7), 1);
    }

    void decNineFollowsParameter203()
    {
        QCOMPARE(parDec(13), 9);
        QCOMPARE(effectiveDec(parDec(13)), 0);
        ParWaarden[203] = 3;
        QCOMPARE(effectiveDec(parDec(13)), 3);
        QCOMPARE(effectiveDec(2), 2);
    }

    void resolvedOptions_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<int>("taal");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain") << "007" << 1 << QStringList{"Off", "On"};
        QTest::newRow("quoted items") << "012" << 0 << QStringList{"een item", "twee, drie", "vier"};
        QTest::newRow("redirect") << "012" << 1 << QStringList{"Off", "On"};
        QTest::newRow("quoted single item redirects") << "013" << 1 << QStringList{"Off", "On"};
        QTest::newRow("redirect followed once") << "014" << 0 << QStringList{"#012"};
        QTest::newRow("redirect to missing section") << "013" << 2 << QStringList{};
        QTest::newRow("quoted # item among others") << "013" << 3 << QStringList{};
        QTest::newRow("missing key") << "014" << 1 << QStringList{};
        QTest::newRow("language 7 has no list") << "007" << 7 << QStringList{};
    }
    void resolvedOptions()
    {
        QFETCH(QString, section);
        QFETCH(int, taal);
        QFETCH(QStringList, expected);
        QCOMPARE(parOpties(section, taal), expected);
    }

    void optionListSyntax_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("written");
        QTest::newRow("commas") << "a,b,c" << QStringList{"a", "b", "c"} << "a,b,c";
        QTest::newRow("blanks separate") << " a  b\tc " << QStringList{"a", "b", "c"} << "a,b,c";
        QTest::newRow("empty middle item") << "a,,b" << QStringList{"a", "", "b"} << "a,,b";
        QTest::newRow("trailing comma") << "a," << QStringList{"a", ""} << "a,";
        QTest::newRow("trailing comma blank") << "a, " << QStringList{"a"} << "a";
        QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\"" << QStringList{"say \"hi\""}
                                       << "\"say \"\"hi\"\"\"";
        QTest::newRow("single empty item") << "\"\"" << QStringList{""} << "\"\"";
        QTest::newRow("empty text") << "" << QStringList{} << "";
        QTest::newRow("unterminated quote") << "\"a b" << QStringList{"a b"} << "\"a b\"";
    }
    void optionListSyntax()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QFETCH(QString, written);
        QCOMPARE(parseOptionList(text), items);
        QCOMPARE(optionListText(items), written);
        QCOMPARE(parseOptionList(optionListText(items)), items);
    }

    void optionTextOverflow_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first") << qint64(0) << "Off";
        QTest::newRow("last") << qint64(1) << "On";
        QTest::newRow("one past") << qint64(2) << "########";
        QTest::newRow("negative") << qint64(-1) << "########";
    }
    void optionTextOverflow()
    {
        QFETCH(qint64, value);
        QFETCH(QString, expected);
        QCOMPARE(optionText(parOpties("007", 1), value), expected);
    }

    void parNoRows()
    {
        const QList<std::optional<int>> rows = menuParameters(102);
        QCOMPARE(rows.size(), EditorRows);
        QCOMPARE(rows[0], std::optional<int>(7));
        QCOMPARE(rows[1], std::optional<int>(12));
        QCOMPARE(rows[2], std::nullopt); // ParId3=-1 as a missing key
        QCOMPARE(rows[3], std::nullopt); // missing
        QCOMPARE(rows[4], std::nullopt); // 512 has no value slot
        QCOMPARE(rows[5], std::nullopt); // not a number
        QCOMPARE(rows[17], std::optional<int>(13));
        QCOMPARE(parNoLookup(999, 1), std::nullopt);
        QCOMPARE(menuParameters(102, ReportRows).size(), ReportRows);
    }

    void missingFilesGiveDefaults()
    {
        QTemporaryDir empty;
        app().ExeDir = empty.path() + '/';
        QVERIFY(!ParameterDef_lezen());
        QVERIFY(!ParamNo_lezen());
        QVERIFY(!app().ParameterDefGeladen);
        QVERIFY(!app().ParamNoGeladen);
        QCOMPARE(parNaam(7), QString());
        QCOMPARE(parMax(7), 0);
        QCOMPARE(parOpties(7), QStringList());
        QVERIFY(!parExists(7));
        QCOMPARE(parNoLookup(102, 1), std::nullopt);

        app().ExeDir = dir.path();
        QVERIFY(ParameterDef_lezen());
        QVERIFY(ParamNo_lezen());
        QCOMPARE(parNaam(7), QString("Snelheid"));
    }

    // --- menu tree ---

    void treeStructure()
    {
        const ParTree t = parseParTree("Root\r\n"
                                       "\tGroep 1\r\n"
                                       "\t\tSub 1.1\r\n"
                                       "\t\tSub 1.2\r\n"
                                       "\tGroep 2\r\n"
                                       "\t\tSub 2.1\r\n"
                                       "\t\t\tDiep\r\n"
                                       "\r\n"
                                       " Groep 3 met spatie\r\n"
                                       "Tweede root\r\n");
        QVERIFY(t.error.isEmpty());
        QCOMPARE(t.nodes.size(), 9);
        QCOMPARE(t.nodes[8].caption, QString("Tweede root"));

        QStringList numbers;
        for (int i = 0; i < t.nodes.size(); ++i)
            numbers << QString::number(menuPosition(t, i).number());
        QCOMPARE(numbers, QStringList({"0", "100", "101", "102", "200", "201", "100", "300", "0"}));
        QCOMPARE(t.children(-1), QList<int>({0, 8}));
    }

    void firstLineIsRootWhateverItsIndent()
    {
        const ParTree t = parseParTree("\t\tRoot\n\tGroep\n");
        QVERIFY(t.error.isEmpty());
        QCOMPARE(t.nodes[0].depth, 0);
        QCOMPARE(t.nodes[1].depth, 1);
        QCOMPARE(menuPosition(t, 1).number(), 100);
    }

    void treeDepthError()
    {
        const ParTree t = parseParTree("Root\n\tGroep\n\t\t\tTe diep\n\tNiet meer\n");
        QCOMPARE(t.error, QString("ETreeViewError error raised, with message : "
                                  "Invalid level (3) for item \"Te diep\""));
        QCOMPARE(t.nodes.size(), 2);
    }

    void treeFileByLanguage()
    {
        test::ProgramFolder d;
        QVERIFY(d.write("Tree0.txt", "Wortel\n\tGroep\n"));
        QVERIFY(d.write("Tree1.txt", "Root\n\tGr\xfcppe\n")); // Windows-1252
        app().ExeDir = d.path();

        app().TaalIndex = 1;
        ParTree t = loadParTree();
        QVERIFY(t.fileFound);
        QCOMPARE(t.nodes[1].caption, QString::fromUtf8("Grüppe"));

        app().TaalIndex = 7;
        QCOMPARE(loadParTree().nodes[0].caption, QString("Wortel"));

        app().TaalIndex = 2; // no Tree2.txt and no fall-back
        t = loadParTree();
        QVERIFY(!t.fileFound);
        QVERIFY(t.nodes.isEmpty());
        app().ExeDir = dir.path();
    }

    void treeWidgetMenuNumbers()
    {
        const ParTree t = parseParTree("Root\n\tA\n\tB\n\t\tB1\n\t\tB2\n\tC\n");
        QTreeWidget w;
        fillTreeWidget(&w, t);
        QCOMPARE(w.topLevelItemCount(), 1);
        QTreeWidgetItem* root = w.topLevelItem(0);
        QCOMPARE(root->childCount(), 3);
        QCOMPARE(menuPosition(root).number(), 0);
        QCOMPARE(menuPosition(root->child(1)).number(), 200);
        QCOMPARE(menuPosition(root->child(1)->child(1)).number(), 202);
        QCOMPARE(menuPosition(root->child(2)).number(), 300);
    }
};

QTEST_MAIN(TstParameterDefs)
#include "tst_parameterdefs.moc"
