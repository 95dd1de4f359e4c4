#include "params/ParLoader.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/Taal.h"
#include "device/CommandSet.h"
#include "params/ValueStore.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

namespace vx {

TFormParLoader::TFormParLoader(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormParLoader"));
    setWindowTitle(QStringLiteral("FormParLoader"));
    setFixedSize(360, 100);

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(12, 12, 336, 34);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setWordWrap(true);
    QFont f = Panel1->font();
    f.setBold(true);
    Panel1->setFont(f);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setGeometry(142, 60, 75, 25);
    CmdOK->setDefault(true);
    connect(CmdOK, &QPushButton::clicked, this, &TFormParLoader::CmdOKClick);

    // Computing takes as long here as after any other write.
    PX400ParLoader = makeControllerComponent(this, "PX400ParLoader", 2000);
    PX400ParLoader->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) {
        PX400ParLoaderCommResult(s, r);
    };
    PX400ParLoader->OnCommError = [this](TSXProtocolComponent* s, const TCommError& e, const QByteArray& r) {
        PX400ParLoaderCommError(s, e, r);
    };
}

void TFormParLoader::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TFormParLoader::FormActivate()
{
    for (QString& t : m_panelTekst)
        t.clear();
    if (app().TaalGeladen) {
        setWindowTitle(taal("Loader", "Caption", "Loader"));
        CmdOK->setText(taal("Loader", "CmdOK", "OK"));
        m_panelTekst[0] = taal("Loader", "PanelTekst0", "tekst 0");
        m_panelTekst[1] = taal("Loader", "PanelTekst1", "tekst 1");
        m_panelTekst[2] = taal("Loader", "PanelTekst2", "tekst 2");
        m_panelTekst[3] = taal("Loader", "PanelTekst3", "tekst 3");
        m_panelTekst[4] = taal("Loader", "PanelTekst4", "tekst 4");
        m_panelTekst[5] = taal("Loader", "PanelTekst5", "tekst 5");
        m_panelTekst[6] = taal("Loader", "PanelTekst6", "tekst 6");
    }
    toonStatus(QString(), false);
    PX400ParLoader->setSXComm(app().SXComm1);
    if (!app().SXComm1 || !app().SXComm1->Active()) {
        // No request can go out, so no answer would ever clear the panel.
        toonStatus(m_panelTekst[2], true);
        return;
    }
    PX400ParLoader->setASCIIProtocol(QLatin1String(cmd::ComputeParameters));
    PX400ParLoader->Send();
}

void TFormParLoader::CmdOKClick()
{
    accept();
}

void TFormParLoader::toonStatus(const QString& text, bool fout)
{
    m_panelFout = fout;
    QPalette p = Panel1->palette();
    p.setColor(QPalette::WindowText, fout ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    Panel1->setPalette(p);
    Panel1->setText(text);
}

void TFormParLoader::PX400ParLoaderCommResult(TSXProtocolComponent*, const QByteArray& reply)
{
    const cmd::BpResult r = cmd::bpResult(reply);
    if (!r.readable) {
        // A cut or foreign reply confirms nothing: the single-write mark stays.
        toonStatus(m_panelTekst[2], true);
        return;
    }
    ParGezondenEnNietGeladen = false;
    if (r.accepted)
        toonStatus(m_panelTekst[4], false);
    else
        toonStatus(m_panelTekst[5] + u' ' + r.detail + u' ' + m_panelTekst[6], true);
}

void TFormParLoader::PX400ParLoaderCommError(TSXProtocolComponent*, const TCommError& error, const QByteArray&)
{
    if (error.Code == CommTimeout)
        toonStatus(m_panelTekst[0], true);
    else if (!error.isZero())
        toonStatus(m_panelTekst[2], true);
}

} // namespace vx
