#include "setpoints/AfdrukkenPar.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "params/EditParam.h"
#include "params/ParTree.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>

namespace vx {

TFormAfdrukkenPar::TFormAfdrukkenPar(QWidget* parent) : TFormAfdrukken(parent)
{
    setObjectName(QStringLiteral("FormAfdrukkenPar"));
    setWindowTitle(QStringLiteral("FormAfdrukkenPar"));
}

TFormAfdrukkenPar::~TFormAfdrukkenPar() = default;

void TFormAfdrukkenPar::FormActivate()
{
    TFormAfdrukken::FormActivate();
    if (app().TaalGeladen)
        setWindowTitle(texts::Afdrukken("CaptionPar"));
}

void TFormAfdrukkenPar::InitParameterHeader() { KolomKop = vx::InitParameterHeader(); }

QStringList TFormAfdrukkenPar::leesTreeRegels()
{
    const QString path = app().ExeDir + treeFileName(app().TaalIndex);
    if (!QFileInfo::exists(path))
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        showError(this, QString(),
                  QStringLiteral("EFOpenError error raised, with message : Cannot open file \"%1\". %2")
                      .arg(path, f.errorString()));
        return {};
    }
    QString text = IniFile::decodeText(f.readAll());
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

ReportHeader TFormAfdrukkenPar::parameterHeader() const
{
    ReportHeader h = reportHeader();
    // The numbers when the editor gave them, else its count alone.
    const QList<int> numbers = nietGezonden();
    h.opmerking = unsentNote(numbers.isEmpty() ? property(UnsentValuesProperty).toInt() : int(numbers.size()));
    return h;
}

void TFormAfdrukkenPar::PrintParameters()
{
    InitParameterHeader();
    runPrintJob([this](QPainter& painter, QSize page) {
        drawParameterReport(painter, page, parameterHeader(), KolomKop, leesTreeRegels(), {}, nietGezonden());
    });
}

void printParameterReport(QWidget* parent)
{
    if (auto* w = qobject_cast<TFormAfdrukkenPar*>(app().FormAfdrukkenPar)) {
        w->exec();
        return;
    }
    TFormAfdrukkenPar w(parent);
    w.exec();
}

} // namespace vx
