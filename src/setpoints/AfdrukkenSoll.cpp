#include "setpoints/AfdrukkenSoll.h"

#include "core/AppState.h"
#include "core/Taal.h"

#include <QPainter>

namespace vx {

namespace {
TFormAfdrukkenSoll* g_instance = nullptr;
}

TFormAfdrukkenSoll::TFormAfdrukkenSoll(QWidget* parent) : TFormAfdrukken(parent)
{
    setObjectName(QStringLiteral("FormAfdrukkenSoll"));
    setWindowTitle(QStringLiteral("FormAfdrukkenSoll"));
    if (!g_instance)
        g_instance = this;
}

TFormAfdrukkenSoll::~TFormAfdrukkenSoll()
{
    if (g_instance == this)
        g_instance = nullptr;
}

TFormAfdrukkenSoll* TFormAfdrukkenSoll::instance() { return g_instance; }

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
