// The user guide's pictures stay true: docs/img holds exactly what `make screenshots`
// takes, every picture the guide or the README shows exists and is small, and every
// window a picture opens can still be opened the way the picture's table says.
#include "app/VX40Main.h"
#include "app/WindowRegistry.h"
#include "core/AppState.h"
#include "support/Shots.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vx;

namespace {

const QString kSource = QStringLiteral(VX_SOURCE_DIR);

QString read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class TstGuide : public QObject {
    Q_OBJECT

private slots:
    void picturesMatchTheTable()
    {
        QStringList files = QDir(kSource + QStringLiteral("/docs/img")).entryList({QStringLiteral("*.png")}, QDir::Files);
        files.sort();
        QCOMPARE(files, shots::fileNames());
        for (const QString& f : files) {
            const qint64 size = QFileInfo(kSource + QStringLiteral("/docs/img/") + f).size();
            QVERIFY2(size > 0 && size < 100 * 1024, qPrintable(f + QStringLiteral(": %1 bytes").arg(size)));
        }
    }

    void linkedPicturesExist()
    {
        const QRegularExpression link(QStringLiteral(R"(\]\(((?:docs/)?img/[^)\s]+))"));
        int links = 0;
        for (const QString& doc : {QStringLiteral("/docs/USER-GUIDE.md"), QStringLiteral("/README.md")}) {
            const QString text = read(kSource + doc);
            QVERIFY2(!text.isEmpty(), qPrintable(doc));
            const QString base = QFileInfo(kSource + doc).path();
            for (const auto& m : link.globalMatch(text)) {
                ++links;
                QVERIFY2(QFile::exists(base + u'/' + m.captured(1)), qPrintable(doc + QStringLiteral(": ") + m.captured(1)));
            }
        }
        QVERIFY(links >= int(shots::all().size())); // the guide shows every window at least once
    }

    void everyOpenerStillExists()
    {
        app() = AppState();
        QTemporaryDir dir;
        MainOptions o;
        o.exeDir = dir.path() + u'/';
        o.arguments = {QStringLiteral("calibrate")};
        TFormMain main(o);
        main.Timer1->stop();
        createRegisteredWindows(main);
        for (const shots::Shot& s : shots::all()) {
            // Every window is a child of the main one, so each step of a chain is found there.
            for (const QString& step : s.opener.split(u'/', Qt::SkipEmptyParts))
                QVERIFY2(main.findChild<QAction*>(step) || main.findChild<QPushButton*>(step), qPrintable(s.opener));
        }
    }
};

QTEST_MAIN(TstGuide)
#include "tst_guide.moc"
