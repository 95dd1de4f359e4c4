#include "setpoints/AfdrukkenSoll.h"

#include "core/AppState.h"
#include "core/Taal.h"

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
    setWindowTitle(taal("Afdrukken", "CaptionSoll", QStringLiteral("Afdrukken Soll")));
    SollTitel = taal("Afdrukken", "NaamSoll", QStringLiteral("Solwerten"));
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
