// Checks the shipped data files (language files, parameter definitions, menu map and
// trees) against each other and against the keys the program reads.
#include <QSet>
#include <QtTest>

#include "core/IniFile.h"
#include "core/LanguageTexts.h"
#include "params/ParTree.h"
#include "params/ParameterDefs.h"

using namespace vx;

namespace {

using KeyList = QList<QPair<QString, QString>>;

// Every key the windows read, from the tables they read through.
KeyList tableKeys()
{
    KeyList out;
    for (const LangSection* section : languageSections())
        for (const LangText& t : section->texts())
            out.append({QLatin1String(section->name()), QLatin1String(t.key)});
    return out;
}

struct TreeMenu {
    int number;
    QString caption;
};

// Menu numbers of a tree file as the editor computes them; an empty list and a
// message when the file breaks the depth rules or is not tab-indented (the printed
// report only recognises tabs).
QList<TreeMenu> treeMenus(const QString& path, QString* error)
{
    const ParTree tree = loadParTreeFile(path);
    if (!tree.fileFound || !tree.error.isEmpty()) {
        *error = tree.fileFound ? tree.error : QStringLiteral("cannot open ") + path;
        return {};
    }
    QFile f(path);
    f.open(QIODevice::ReadOnly | QIODevice::Text);
    // Empty lines are kept so that a message names the line an editor shows.
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        int depth = 0;
        while (depth < line.size() && line[depth] == QLatin1Char('\t'))
            ++depth;
        if (depth < line.size() && line[depth] == QLatin1Char(' ')) {
            *error = QStringLiteral("line %1 indented with blanks").arg(i + 1);
            return {};
        }
        // The editor skips such a line but the printed report counts it as a menu, so
        // every later heading would print another menu's parameters.
        if (line.trimmed().isEmpty()) {
            *error = QStringLiteral("line %1 holds only blanks or tabs").arg(i + 1);
            return {};
        }
    }
    QList<TreeMenu> out;
    for (int i = 0; i < tree.nodes.size(); ++i) {
        const ParTreeNode& node = tree.nodes[i];
        if (node.caption.trimmed().isEmpty() || (i > 0 && (node.depth < 1 || node.depth > 2))) {
            *error = QStringLiteral("node %1 (%2) at depth %3").arg(i).arg(node.caption).arg(node.depth);
            return {};
        }
        out.append({menuPosition(tree, i).number(), node.caption});
    }
    return out;
}

QString par(int n) { return QString::asprintf("%03d", n); }

} // namespace

class TstDataset : public QObject {
    Q_OBJECT

    QString m_dataDir;
    std::shared_ptr<IniFile> m_def;
    std::shared_ptr<IniFile> m_parNo;

    bool isUsed(int n) const
    {
        return m_def->readString(par(n), QStringLiteral("naam1"), QString()) != QLatin1String("Reserve");
    }

    QStringList resolvedOptions(int n, int lang) const
    {
        return resolveOptionList(*m_def, par(n), lang);
    }

private slots:
    void initTestCase()
    {
        m_dataDir = qEnvironmentVariable("VX_DATA_DIR");
        if (m_dataDir.isEmpty())
            m_dataDir = QCoreApplication::applicationDirPath();
        m_def = IniFile::load(m_dataDir + QStringLiteral("/Parameters.txt"));
        m_parNo = IniFile::load(m_dataDir + QStringLiteral("/ParNo.txt"));
        QVERIFY2(m_def, "Parameters.txt missing");
        QVERIFY2(m_parNo, "ParNo.txt missing");
    }

    void languageFileHasEveryKey_data()
    {
        QTest::addColumn<int>("lang");
        QTest::newRow("Taal0 nl") << 0;
        QTest::newRow("Taal1 en") << 1;
        QTest::newRow("Taal2 de") << 2;
    }
    void languageFileHasEveryKey()
    {
        QFETCH(int, lang);
        const auto taal = IniFile::load(m_dataDir + QStringLiteral("/Taal%1.ini").arg(lang));
        QVERIFY(taal);
        QStringList missing;
        for (const auto& [section, key] : tableKeys())
            if (!taal->hasKey(section, key))
                missing << section + QLatin1Char('/') + key;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
        // A section no table lists is text no window can show.
        QStringList sections;
        for (const LangSection* section : languageSections())
            sections << QLatin1String(section->name());
        for (const QString& section : taal->sectionNames())
            QVERIFY2(sections.contains(section), qPrintable(section));

        // Lists the windows fill controls from: the item count is what the control expects.
        const struct {
            const char* section;
            const char* key;
            int count;
        } lists[] = {
            {"Opties", "TaalItems", 3},
            {"InitCom", "PortItems", 16},
            {"InitCom", "IOItems", 4},
            {"InitCom", "BaudItems", 6},
            {"InitCom", "DataBitItems", 2},
            {"InitCom", "ParityItems", 3},
            {"InitCom", "StopbitItems", 2},
            {"InitCom", "HardwareItems", 4},
            {"InitCom", "PortTypeItems", 3},
            {"InitCom", "ReceiverItems", 2},
            {"InitCom", "TransmitterItems", 4},
            {"Grafiek", "optiesBron", 7},
        };
        for (const auto& l : lists) {
            const QStringList items = parseOptionList(taal->readString(l.section, l.key, QString()));
            QVERIFY2(items.size() == l.count, l.key);
        }
        // The language list names the languages in the same order in every file.
        const QStringList languages = parseOptionList(
            taal->readString(QStringLiteral("Opties"), QStringLiteral("TaalItems"), QString()));
        QCOMPARE(languages, QStringList({QStringLiteral("Nederlands"), QStringLiteral("English"),
                                         QStringLiteral("Deutsch")}));
    }

    void everyParameterIsDefined()
    {
        const QStringList keys = {"naam0", "naam1", "naam2", "type", "opties0", "opties1", "opties2",
                                  "dec", "min", "max", "default"};
        for (int n = 0; n < 512; ++n)
            for (const QString& k : keys)
                QVERIFY2(m_def->hasKey(par(n), k), qPrintable(par(n) + QLatin1Char('/') + k));
        QVERIFY(!m_def->hasSection(QStringLiteral("512")));
    }

    void limitsAndDefaults()
    {
        for (int n = 0; n < 512; ++n) {
            const QString s = par(n);
            const int mn = m_def->readInteger(s, QStringLiteral("min"), 1);
            const int mx = m_def->readInteger(s, QStringLiteral("max"), 0);
            const int def = m_def->readInteger(s, QStringLiteral("default"), mn - 1);
            QVERIFY2(mn <= def && def <= mx, qPrintable(s));
            // The service dialog refuses entries of more than eight digits.
            QVERIFY2(qAbs(qint64(mn)) <= 99999999 && qAbs(qint64(mx)) <= 99999999, qPrintable(s));
            const int dec = m_def->readInteger(s, QStringLiteral("dec"), -1);
            QVERIFY2(dec >= 0 && (dec <= 4 || dec == 9), qPrintable(s));
        }
    }

    void optionLists_data()
    {
        QTest::addColumn<int>("lang");
        QTest::newRow("nl") << 0;
        QTest::newRow("en") << 1;
        QTest::newRow("de") << 2;
    }
    void optionLists()
    {
        QFETCH(int, lang);
        const QString key = QStringLiteral("opties%1").arg(lang);
        for (int n = 0; n < 512; ++n) {
            const QString s = par(n);
            const QStringList items = parseOptionList(m_def->readString(s, key, QString()));
            if (m_def->readInteger(s, QStringLiteral("type"), 0) != 1) {
                QVERIFY2(items.isEmpty(), qPrintable(s));
                continue;
            }
            if (items.size() == 1 && items[0].startsWith(QLatin1Char('#'))) {
                const QString target = items[0].mid(1);
                QVERIFY2(m_def->hasSection(target), qPrintable(s + QStringLiteral(" -> ") + target));
                const QStringList targetItems = parseOptionList(m_def->readString(target, key, QString()));
                // A redirect is followed once: the target must hold the items itself.
                QVERIFY2(!targetItems.isEmpty() && !targetItems[0].startsWith(QLatin1Char('#')),
                         qPrintable(s + QStringLiteral(" -> ") + target));
            }
            const QStringList resolved = resolvedOptions(n, lang);
            // Every allowed value has its text, and no text is unreachable.
            QVERIFY2(m_def->readInteger(s, QStringLiteral("min"), -1) == 0, qPrintable(s));
            QVERIFY2(resolved.size() == m_def->readInteger(s, QStringLiteral("max"), -1) + 1, qPrintable(s));
            for (const QString& item : resolved)
                QVERIFY2(!item.trimmed().isEmpty(), qPrintable(s));
        }
    }

    void fixedRoles()
    {
        auto dec = [&](int n) { return m_def->readInteger(par(n), QStringLiteral("dec"), -1); };
        auto type = [&](int n) { return m_def->readInteger(par(n), QStringLiteral("type"), -1); };
        for (int o = 20; o <= 35; ++o)
            QCOMPARE(dec(o), 3);
        for (int n = 80; n <= 199; ++n)
            QCOMPARE(dec(n), 9);
        QCOMPARE(m_def->readInteger(QStringLiteral("203"), QStringLiteral("min"), -1), 0);
        QCOMPARE(m_def->readInteger(QStringLiteral("203"), QStringLiteral("max"), -1), 4);
        QCOMPARE(resolvedOptions(280, 1).size(), 3);
        for (int n : {200, 201, 223, 229, 243, 249})
            QCOMPARE(type(n), 1);
        // Reference labels: 229/249 values 1, 2 and 4 mean an input-triggered adjustment.
        QVERIFY(resolvedOptions(229, 1).size() >= 5);
        QCOMPARE(resolvedOptions(300, 1).size(), 4);
        for (int c = 0; c < 40; ++c) {
            QCOMPARE(resolvedOptions(380 + c, 1).size(), 81);
            QCOMPARE(resolvedOptions(420 + c, 1).size(), 81);
            QCOMPARE(m_def->readInteger(par(460 + c), QStringLiteral("min"), -1), 1);
            QCOMPARE(m_def->readInteger(par(460 + c), QStringLiteral("max"), -1), 16);
        }
        for (int n = 282; n <= 297; ++n)
            QCOMPARE(type(n), 1);
        for (int n = 500; n <= 507; ++n)
            QCOMPARE(type(n), 1);
    }

    void menus()
    {
        QList<TreeMenu> shape[3];
        for (int lang = 0; lang < 3; ++lang) {
            QString error;
            shape[lang] = treeMenus(m_dataDir + QStringLiteral("/Tree%1.txt").arg(lang), &error);
            QVERIFY2(!shape[lang].isEmpty(), qPrintable(QStringLiteral("Tree%1: ").arg(lang) + error));
        }
        // The three languages lay out the same menus.
        for (int lang = 1; lang < 3; ++lang) {
            QCOMPARE(shape[lang].size(), shape[0].size());
            for (int i = 0; i < shape[0].size(); ++i)
                QCOMPARE(shape[lang][i].number, shape[0][i].number);
        }

        QSet<int> treeNumbers;
        QSet<int> listed;
        for (const TreeMenu& m : shape[0]) {
            treeNumbers.insert(m.number);
            const QString section = QString::number(m.number);
            QVERIFY2(m_parNo->hasSection(section), qPrintable(section));
            // The report prints as many rows as the menu lists, from row 1, so a gap
            // would print an empty row and drop the last one.
            bool gap = false;
            for (int row = 1; row <= 40; ++row) {
                const int p = m_parNo->readInteger(section, QStringLiteral("ParId%1").arg(row), -1);
                if (p == -1) {
                    gap = true;
                    continue;
                }
                QVERIFY2(!gap, qPrintable(section + QStringLiteral(": ParId%1 after a missing row").arg(row)));
                QVERIFY2(row <= 18, qPrintable(section));
                QVERIFY2(p >= 0 && p < 512, qPrintable(section));
                listed.insert(p);
            }
        }
        // Every menu of the map is reachable from the tree, and each lists a parameter
        // that exists.
        for (const QString& section : m_parNo->sectionNames()) {
            QVERIFY2(treeNumbers.contains(section.toInt()), qPrintable(section));
            for (const QString& key : m_parNo->keys(section)) {
                const int p = m_parNo->readInteger(section, key, -2);
                QVERIFY2(p == -1 || m_def->hasSection(par(p)), qPrintable(section + QLatin1Char('/') + key));
            }
        }
        for (int n = 0; n < 512; ++n)
            QVERIFY2(!isUsed(n) || listed.contains(n), qPrintable(par(n) + QStringLiteral(" in no menu")));

        // Group 8 holds the cams, one sub-menu per cam with the cam's own parameters.
        for (int c = 1; c <= 40; ++c) {
            const QString section = QString::number(800 + c);
            QVERIFY2(treeNumbers.contains(800 + c), qPrintable(section));
            QSet<int> rows;
            for (int row = 1; row <= 18; ++row)
                rows.insert(m_parNo->readInteger(section, QStringLiteral("ParId%1").arg(row), -1));
            for (int base : {79, 119, 159, 299, 339, 379, 419, 459})
                QVERIFY2(rows.contains(base + c), qPrintable(section));
        }
        QVERIFY(!treeNumbers.contains(841));
    }

    void errorHelpDocuments_data()
    {
        QTest::addColumn<int>("lang");
        QTest::newRow("nl") << 0;
        QTest::newRow("en") << 1;
        QTest::newRow("de") << 2;
    }
    void errorHelpDocuments()
    {
        QFETCH(int, lang);
        QFile f(m_dataDir + QStringLiteral("/ErrorHelp%1.rtf").arg(lang));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray rtf = f.readAll();
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY(rtf.contains("{\\fonttbl"));
        int depth = 0;
        for (int i = 0; i < rtf.size(); ++i) {
            if (rtf[i] == '\\') {
                ++i; // escaped brace or control word start
                continue;
            }
            depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1
                                                       : 0;
            QVERIFY(depth >= 0);
            QVERIFY(uchar(rtf[i]) < 128); // non-ASCII only as escapes
        }
        QCOMPARE(depth, 0);
        for (int e = 1; e <= 20; ++e)
            QVERIFY2(rtf.contains(QByteArray(" ") + QByteArray::number(e) + "\\tab "), qPrintable(QString::number(e)));
    }
};

QTEST_MAIN(TstDataset)
#include "tst_dataset.moc"
