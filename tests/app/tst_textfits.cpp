// Every window in every language, offscreen: no visible label, button, group title,
// column header, table cell, window title, menu bar or status text is wider than its
// control. A text may wrap, or be
// elided when its tooltip carries the whole of it; cut silently it fails.
// With VX_SHOT_DIR set, each window is saved as <window>-<language>.png.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "params/EditParam.h"
#include "params/ValueStore.h"
#include "setpoints/EditSollwerten.h"
#include "sim/SimBus.h"
#include "sim/SimInstall.h"
#include "support/ScriptedUi.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

QString plain(QString text) { return text.remove(u'&'); }

// What of w does not fit, as "object: text (needs n, has m)".
QStringList clippedTexts(QWidget* window)
{
    QStringList out;
    auto report = [&](const QWidget* w, const QString& text, int needs, int has) {
        if (needs > has && w->toolTip() != text)
            out << QStringLiteral("%1: \"%2\" (needs %3, has %4)").arg(w->objectName(), text).arg(needs).arg(has);
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->width() <= 0) continue;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (l->wordWrap() || l->text().isEmpty() || Qt::mightBeRichText(l->text())) continue;
            const int frame = 2 * (l->frameWidth() + l->margin());
            report(l, l->text(), l->fontMetrics().horizontalAdvance(l->text()) + frame, l->width());
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            if (b->text().isEmpty()) continue;
            // Room for the text and a small margin each side, as the style draws it.
            report(b, plain(b->text()), b->fontMetrics().horizontalAdvance(plain(b->text())) + 8, b->width());
        } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            auto* ab = static_cast<QAbstractButton*>(w);
            report(ab, plain(ab->text()), ab->sizeHint().width(), ab->width());
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (g->title().isEmpty()) continue;
            report(g, plain(g->title()), g->fontMetrics().horizontalAdvance(plain(g->title())) + 16, g->width());
        } else if (auto* t = qobject_cast<QTableWidget*>(w)) {
            const QHeaderView* h = t->horizontalHeader();
            if (!h->isVisible()) continue;
            for (int c = 0; c < t->columnCount(); ++c) {
                const QTableWidgetItem* it = t->horizontalHeaderItem(c);
                if (!it || it->text().isEmpty() || h->isSectionHidden(c)) continue;
                const int needs = h->fontMetrics().horizontalAdvance(it->text()) + 8;
                if (needs > h->sectionSize(c) && it->toolTip() != it->text())
                    out << QStringLiteral("%1 column %2: \"%3\" (needs %4, has %5)")
                               .arg(t->objectName())
                               .arg(c)
                               .arg(it->text())
                               .arg(needs)
                               .arg(h->sectionSize(c));
            }
            // Cells: a text wider than its column must carry the whole of it in its tooltip.
            for (int r = 0; r < t->rowCount(); ++r) {
                if (t->isRowHidden(r)) continue;
                for (int c = 0; c < t->columnCount(); ++c) {
                    const QTableWidgetItem* it = t->item(r, c);
                    if (!it || it->text().isEmpty() || h->isSectionHidden(c) || t->columnSpan(r, c) > 1) continue;
                    const int needs = t->fontMetrics().horizontalAdvance(it->text()) + 8;
                    if (needs > h->sectionSize(c) && it->toolTip() != it->text())
                        out << QStringLiteral("%1 cell %2,%3: \"%4\" (needs %5, has %6)")
                                   .arg(t->objectName())
                                   .arg(r)
                                   .arg(c)
                                   .arg(it->text())
                                   .arg(needs)
                                   .arg(h->sectionSize(c));
                }
            }
        }
    }
    // The title beside the title bar's buttons (about 120 pixels of them).
    if (window->isWindow() && !window->windowTitle().isEmpty()) {
        const int needs = window->fontMetrics().horizontalAdvance(window->windowTitle()) + 120;
        if (needs > window->width())
            out << QStringLiteral("title: \"%1\" (needs %2, has %3)").arg(window->windowTitle()).arg(needs).arg(window->width());
    }
    // Menu titles on one row of the menu bar, and no menu item cut.
    if (auto* mw = qobject_cast<QMainWindow*>(window); mw && mw->menuBar()->isVisible()) {
        if (mw->menuBar()->sizeHint().width() > mw->width())
            out << QStringLiteral("menu bar (needs %1, has %2)").arg(mw->menuBar()->sizeHint().width()).arg(mw->width());
    }
    return out;
}

} // namespace

class TestTextFits : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        sim::installInProcessSimulator();
        setPortDevicePath(1, "sim");
    }

    void everyWindowInEveryLanguage_data()
    {
        QTest::addColumn<int>("taal");
        QTest::newRow("nl") << 0;
        QTest::newRow("en") << 1;
        QTest::newRow("de") << 2;
    }

    void everyWindowInEveryLanguage()
    {
        QFETCH(int, taal);
        QTemporaryDir dir;
        const QString data = qEnvironmentVariable("VX_DATA_DIR");
        for (const QString& f : QDir(data).entryList(QDir::Files)) QVERIFY(QFile::copy(data + "/" + f, dir.filePath(f)));

        app() = AppState();
        resetValueStore();
        sim::resetDefaultBus();
        test::ScriptedUi::install();
        MainOptions o;
        o.exeDir = dir.path() + u'/';
        o.arguments = {QStringLiteral("calibrate")};
        auto main = std::make_unique<TFormMain>(o);
        main->Timer1->stop();
        createRegisteredWindows(*main);
        // As the options dialog switches it.
        app().TaalIndex = taal;
        main->TekstFile_Lezen();
        main->LezenTeksten();
        // Connected, so the state texts and the identification are shown as in use.
        main->CmdSelectUnit->click();
        for (int i = 0; i < 100 && main->statusPanel(4)->text().isEmpty(); ++i) {
            QEventLoop loop;
            QTimer::singleShot(50, &loop, &QEventLoop::quit);
            loop.exec();
        }
        QVERIFY(main->SXComm1()->Active());
        main->CmdActual->click();
        main->CmdInUit->click();
        main->show();
        QTest::qWait(300);

        const char* lang[] = {"nl", "en", "de"};
        QStringList problems;
        auto check = [&](QWidget* w) {
            for (const QString& p : clippedTexts(w)) problems << w->objectName() + u' ' + p;
            if (qEnvironmentVariableIsSet("VX_SHOT_DIR"))
                w->grab().save(qEnvironmentVariable("VX_SHOT_DIR") + u'/' + w->objectName() + u'-'
                               + QLatin1String(lang[taal]) + QStringLiteral(".png"));
        };
        check(main.get());
        for (QDialog* d : main->findChildren<QDialog*>(Qt::FindDirectChildrenOnly)) {
            // Transfers start when shown; they have their own tests.
            if (d->inherits("vx::TTransferForm")) continue;
            d->show();
            QTest::qWait(100);
            // The editors as they look with a changed value.
            if (auto* e = qobject_cast<TFormEditSollwerten*>(d)) {
                SollWaarden[3] += 7;
                e->InitSollwertStringgrid();
            } else if (auto* p = qobject_cast<TFormEditParam*>(d)) {
                ParWaarden[203] += 1;
                p->VulGrid();
            }
            check(d);
            d->hide();
        }
        main->CmdSelectUnit->click();
        if (!problems.isEmpty()) qWarning().noquote() << problems.join(u'\n');
        QVERIFY2(problems.isEmpty(), qPrintable(QString::number(problems.size()) + " texts do not fit"));
    }
};

QTEST_MAIN(TestTextFits)
#include "tst_textfits.moc"
