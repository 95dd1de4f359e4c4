#include "setpoints/AfdrukkenSoll.h"

#include "core/AppState.h"
#include "core/LanguageTexts.h"

#include <QPainter>

namespace vx {

TFormAfdrukkenSoll::TFormAfdrukkenSoll(QWidget* parent) : TFormAfdrukken(parent)
{
    setObjectName(QStringLiteral("FormAfdrukkenSoll"));
    setWindowTitle(QStringLiteral("FormAfdrukkenSoll"));
}

TFormAfdrukkenSoll::~TFormAfdrukkenSoll() = default;

void TFormAfdrukkenSoll::FormActivate()
{
    TFormAfdrukken::FormActivate();
    if (!app().TaalGeladen)
        return;
    setWindowTitle(texts::Afdrukken("CaptionSoll"));
    SollTitel = texts::Afdrukken("NaamSoll");
}

void TFormAfdrukkenSoll::InitSollwertHeader() { KolomKop = vx::InitSollwertHeader(); }

void TFormAfdrukkenSoll::PrintSollwerten()
{
    InitSollwertHeader();
    runPrintJob([this](QPainter& painter, QSize page) {
        drawSollwertReport(painter, page, reportHeader(), KolomKop, SollTitel, {}, nietGezonden());
    });
}

void printSollwertReport(QWidget* parent, const QList<int>& nietGezonden)
{
    auto run = [&](TFormAfdrukkenSoll& dlg) {
        dlg.setProperty(UnsentNumbersProperty, QVariant::fromValue(nietGezonden));
        dlg.exec();
        dlg.setProperty(UnsentNumbersProperty, QVariant());
    };
    if (auto* dlg = qobject_cast<TFormAfdrukkenSoll*>(app().FormAfdrukkenSoll)) {
        run(*dlg);
        return;
    }
    TFormAfdrukkenSoll temporary(parent);
    run(temporary);
}

} // namespace vx
