// The loader: "bp" on every activation and the three outcomes.
#include "core/AppState.h"
#include "core/Taal.h"
#include "params/ParLoader.h"
#include "params/ValueStore.h"
#include "support/ScriptedLine.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;
using vx::test::LineScript;

class TstParLoader : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<TSXComm> port;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QFile f(dir.filePath("Taal0.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Loader]\nCaption=Lader\nPanelTekst0=T0\nPanelTekst2=T2\nPanelTekst4=T4\n"
                "PanelTekst5=T5\nPanelTekst6=T6\n");
        f.close();
        app().ExeDir = dir.path() + '/';
        app().TaalIndex = 0;
        QVERIFY(loadTaalFile());
        port = vx::test::openScriptedPort();
    }

    void cleanupTestCase()
    {
        port->Close();
        app().SXComm1 = nullptr;
    }

    void outcome_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("red");
        QTest::newRow("accepted") << QByteArray("bp -1") << "T4" << false;
        QTest::newRow("refused") << QByteArray("bp 203") << "T5 203 T6" << true;
        QTest::newRow("no reply") << QByteArray() << "T0" << true;
    }

    void outcome()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, panel);
        QFETCH(bool, red);
        LineScript::get().reset();
        if (!reply.isEmpty())
            LineScript::get().answer("bp", reply);
        ParGezondenEnNietGeladen = true;
        TFormParLoader loader;
        loader.show();
        QCOMPARE(loader.windowTitle(), QString("Lader"));
        QTRY_COMPARE_WITH_TIMEOUT(loader.Panel1->text(), panel, 3000);
        QCOMPARE(loader.panelFout(), red);
        QCOMPARE(LineScript::get().sent(), QStringList{"bp"});
        // Only an answer clears the mark.
        QCOMPARE(ParGezondenEnNietGeladen, reply.isEmpty());
    }

    void everyActivationSends()
    {
        LineScript::get().reset();
        LineScript::get().answer("bp", "bp -1");
        TFormParLoader loader;
        for (int i = 0; i < 2; ++i) {
            loader.show();
            QTRY_COMPARE_WITH_TIMEOUT(loader.Panel1->text(), QString("T4"), 3000);
            QTest::mouseClick(loader.CmdOK, Qt::LeftButton);
            QVERIFY(!loader.isVisible());
        }
        QCOMPARE(LineScript::get().sent(), (QStringList{"bp", "bp"}));
    }
};

QTEST_MAIN(TstParLoader)
#include "tst_parloader.moc"
