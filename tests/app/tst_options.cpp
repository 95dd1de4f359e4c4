// Options dialog, About window and the error-number help window.
#include "app/About.h"
#include "app/InfoErrorNummers.h"
#include "app/Opties.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "support/ScriptedUi.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

using namespace vx;

namespace {

QString dataDir()
{
    return qEnvironmentVariable("VX_DATA_DIR", QCoreApplication::applicationDirPath()) + QLatin1Char('/');
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

void useLanguage(int index)
{
    app().ExeDir = dataDir();
    app().TaalIndex = index;
    QVERIFY(loadTaalFile());
}

} // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TstOptions : public QObject {
    Q_OBJECT
    int m_tekstFile = 0, m_lezenTeksten = 0, m_parameterDef = 0;
    test::ScriptedUi* m_ui = nullptr;

private slots:
    void init()
    {
        app() = AppState();
        m_tekstFile = m_lezenTeksten = m_parameterDef = 0;
        app().TekstFile_Lezen = [this] { ++m_tekstFile; };
        app().LezenTeksten = [this] { ++m_lezenTeksten; };
        app().ParameterDef_lezen = [this] { ++m_parameterDef; };
        m_ui = test::ScriptedUi::install();
    }
    void cleanup() { setUiSeams(nullptr); }

    void optionsOk_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("choose"); // -2: leave the list as it is
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("loads"); // language file loads
        QTest::newRow("unchanged") << 1 << -2 << 1 << 0;
        QTest::newRow("changed") << 0 << 2 << 2 << 1;
        QTest::newRow("unknown index shows no selection") << 7 << -2 << -1 << 1;
    }
    void optionsOk()
    {
        QFETCH(int, start);
        QFETCH(int, choose);
        QFETCH(int, stored);
        QFETCH(int, loads);
        TFormOpties w;
        app().TaalIndex = start;
        w.FormActivate();
        QCOMPARE(w.ComboTaal->currentIndex(), start < 3 ? start : -1);
        if (choose > -2) w.ComboTaal->setCurrentIndex(choose);
        w.CmdOKClick();
        QCOMPARE(app().TaalIndex, stored);
        QCOMPARE(m_tekstFile, loads);
        // The main window's texts and the definitions are renewed every time.
        QCOMPARE(m_lezenTeksten, 1);
        QCOMPARE(m_parameterDef, 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    void optionsCancelChangesNothing()
    {
        TFormOpties w;
        app().TaalIndex = 1;
        w.FormActivate();
        w.ComboTaal->setCurrentIndex(2);
        w.CmdCancelClick();
        QCOMPARE(app().TaalIndex, 1);
        QCOMPARE(m_tekstFile + m_lezenTeksten + m_parameterDef, 0);
    }

    void optionsTexts()
    {
        TFormOpties w;
        w.FormActivate();
        QCOMPARE(w.windowTitle(), QStringLiteral("FormOpties"));
        QCOMPARE(w.ComboTaal->count(), 3);
        QCOMPARE(w.ComboTaal->itemText(2), QStringLiteral("D"));
        useLanguage(1);
        w.FormActivate();
        QCOMPARE(w.windowTitle(), QStringLiteral("Settings"));
        QCOMPARE(w.ComboTaal->itemText(2), QStringLiteral("Deutsch"));
        QCOMPARE(w.ComboTaal->currentIndex(), 1);
        QCOMPARE(w.CmdCancel->text(), QStringLiteral("Cancel"));
        QVERIFY(w.CmdOK->isDefault());
        if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
            w.grab().save(qEnvironmentVariable("VX_SHOT_DIR") + "/options.png");
    }

    void aboutShowsTheVersionOnce_data()
    {
        QTest::addColumn<int>("language"); // -1: no language file
        QTest::addColumn<QString>("label");
        QTest::newRow("no language file") << -1 << "Software versie: 2.04";
        QTest::newRow("English") << 1 << "Software version: 2.04";
        QTest::newRow("German") << 2 << "Softwareversion: 2.04";
    }
    void aboutShowsTheVersionOnce()
    {
        QFETCH(int, language);
        QFETCH(QString, label);
        if (language >= 0) useLanguage(language);
        app().SettingsPath = QStringLiteral("/home/tech/.config/vx5x-tool/application.ini");
        TFormAbout w;
        for (int i = 0; i < 3; ++i) {
            w.FormActivate();
            QCOMPARE(w.LabelSoftwareVersie->text(), label);
        }
        // Which settings file this run uses, for support over the phone.
        QVERIFY(w.LabelInstellingen->text().endsWith(QStringLiteral(": /home/tech/.config/vx5x-tool/application.ini")));
        if (language == 1 && qEnvironmentVariableIsSet("VX_SHOT_DIR")) {
            w.show();
            w.grab().save(qEnvironmentVariable("VX_SHOT_DIR") + QStringLiteral("/about.png"));
        }
    }

    void aboutLinkOpensTheAddress()
    {
        UrlRecorder rec;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &rec, "open");
        TFormAbout w;
        w.show();
        QTest::mouseClick(w.LabelWWWLink, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(rec.urls, QList<QUrl>{QUrl(QString::fromLatin1(MakerWebAddress))});
    }

    // The document is read again at every activation; an index without a document
    // keeps what is shown.
    void helpReloadsAtEveryActivation()
    {
        QTemporaryDir dir;
        app().ExeDir = dir.path() + QLatin1Char('/');
        app().TaalIndex = 1;
        TFormInfoErrorNummers w;
        w.FormActivate();
        QCOMPARE(w.RichEdit1->toPlainText(), QString());
        writeFile(dir.filePath("ErrorHelp1.rtf"), "{\\rtf1 first}");
        w.FormActivate();
        QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("first"));
        QVERIFY(w.RichEdit1->isReadOnly());
        QCOMPARE(w.RichEdit1->palette().color(QPalette::Base), QColor(255, 255, 151));
        writeFile(dir.filePath("ErrorHelp1.rtf"), "{\\rtf1 second}");
        w.FormActivate();
        QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("second"));
        app().TaalIndex = -1;
        w.FormActivate();
        QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("second"));
        app().TaalIndex = 2; // no such file here
        w.FormActivate();
        QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("second"));
        QVERIFY(m_ui->messages.isEmpty());
    }

    // A broken document is reported once, not at each of the activations that closing
    // the message box itself causes; a changed file is reported again.
    void helpReportsABrokenDocumentOnce()
    {
        QTemporaryDir dir;
        app().ExeDir = dir.path() + QLatin1Char('/');
        app().TaalIndex = 0;
        writeFile(dir.filePath("ErrorHelp0.rtf"), "{\\rtf1 Fout 1 {\\b kabel");
        TFormInfoErrorNummers w;
        w.FormActivate();
        QCOMPARE(m_ui->messages.size(), 1);
        QVERIFY2(m_ui->messages[0].text.startsWith(QLatin1String("EParserError error raised, with message : ")),
                 qPrintable(m_ui->messages[0].text));
        QVERIFY(w.RichEdit1->toPlainText().contains(QLatin1String("Fout 1")));
        w.FormActivate();
        QCOMPARE(m_ui->messages.size(), 1);
        writeFile(dir.filePath("ErrorHelp0.rtf"), "not rich text at all");
        w.FormActivate();
        QCOMPARE(m_ui->messages.size(), 2);
        writeFile(dir.filePath("ErrorHelp0.rtf"), "{\\rtf1 repaired}");
        w.FormActivate();
        QCOMPARE(m_ui->messages.size(), 2);
        QCOMPARE(w.RichEdit1->toPlainText(), QStringLiteral("repaired"));
    }
};

QTEST_MAIN(TstOptions)
#include "tst_options.moc"
