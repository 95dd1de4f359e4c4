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
        drawSollwertReport(painter, page, reportHeader(), KolomKop, SollTitel);
    });
}

} // namespace vx
