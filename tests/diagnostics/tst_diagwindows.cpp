// The diagnostics windows hang on the main window's menu and button, and the
// graph's settings reach application.ini.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "diagnostics/FormCalibratie.h"
#include "diagnostics/FormDisplayNokken.h"
#include "diagnostics/FormGrafiek.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vx;

class TestDiagWindows : public QObject {
    Q_OBJECT

    // Runs the opener and reports which modal window it showed.
    template <class Form>
    Form* openedBy(const std::function<void()>& trigger, const std::function<void(Form*)>& inside = {})
    {
        Form* shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = qobject_cast<Form*>(QApplication::activeModalWidget());
            if (shown && inside) inside(shown);
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
        });
        trigger();
        return shown;
    }

private slots:
    void menuOpensTheWindows()
    {
        app() = AppState();
        QTemporaryDir dir;
        MainOptions o;
        o.exeDir = dir.path() + "/";
        o.arguments = {"CALIBRATE"};
        {
            TFormMain main(o);
            createRegisteredWindows(main);
            QVERIFY(qobject_cast<TFormGrafiek*>(app().FormGrafiek));
            QVERIFY(!main.CmdCalibratie->isHidden());
            auto* nokken = main.findChild<QAction*>("displaynokken1");
            auto* grafiek = main.findChild<QAction*>("Grafiek1");
            QVERIFY(nokken && nokken->isEnabled());
            QVERIFY(grafiek && grafiek->isEnabled());

            QVERIFY(openedBy<TFormDisplayNokken>([&] { nokken->trigger(); }));
            QVERIFY(openedBy<TFormCalibratie>([&] { main.CmdCalibratie->click(); }));
            QVERIFY(openedBy<TFormGrafiek>([&] { grafiek->trigger(); },
                                           [](TFormGrafiek* g) { g->ListBoxX->setCurrentRow(4); }));
            QCOMPARE(app().GrafiekXDiv, 4);
            main.close();
        }
        QFile ini(dir.filePath("application.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("X_Div=4\r\n"));
    }
};

QTEST_MAIN(TestDiagWindows)
#include "tst_diagwindows.moc"
