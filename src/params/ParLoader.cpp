#include "params/ParLoader.h"
#include "device/ControllerLine.h"
#include "plans/AsyncRunner.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
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
    m_runner = new plans::AsyncRunner(this);
    m_runner->setChannel(0, PX400ParLoader, false);
    connect(m_runner, &plans::AsyncRunner::finished, this, &TFormParLoader::planFinished);
}

TFormParLoader::~TFormParLoader()
{
    // Before the components it clears on the way out.
    delete m_runner;
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
        setWindowTitle(texts::Loader("Caption"));
        CmdOK->setText(texts::Loader("CmdOK"));
        m_panelTekst[0] = texts::Loader("PanelTekst0");
        m_panelTekst[1] = texts::Loader("PanelTekst1");
        m_panelTekst[2] = texts::Loader("PanelTekst2");
        m_panelTekst[3] = texts::Loader("PanelTekst3");
        m_panelTekst[4] = texts::Loader("PanelTekst4");
        m_panelTekst[5] = texts::Loader("PanelTekst5");
        m_panelTekst[6] = texts::Loader("PanelTekst6");
    }
    toonStatus(QString(), false);
    PX400ParLoader->setSXComm(app().SXComm1);
    if (!app().SXComm1 || !app().SXComm1->Active()) {
        // No request can go out, so no answer would ever clear the panel.
        toonStatus(m_panelTekst[2], true);
        return;
    }
    // One "bp", no repeat: the loader shows the first answer as it is.
    m_runner->run(&m_plan);
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
    m_runner->CommResult(PX400ParLoader, reply);
}

void TFormParLoader::PX400ParLoaderCommError(TSXProtocolComponent*, const TCommError& error, const QByteArray& reply)
{
    m_runner->CommError(PX400ParLoader, error, reply);
}

void TFormParLoader::planFinished()
{
    const transfer::Result& r = m_plan.result();
    using O = transfer::Outcome;
    switch (r.outcome) {
    case O::NoReply: toonStatus(m_panelTekst[0], true); return;
    case O::LineFailed:
    case O::BadReply:
        // A cut or foreign reply confirms nothing: the single-write mark stays.
        toonStatus(m_panelTekst[2], true);
        return;
    case O::Stopped: return;
    case O::Done:
    case O::Refused: break;
    }
    ParGezondenEnNietGeladen = false;
    if (r.outcome == O::Done)
        toonStatus(m_panelTekst[4], false);
    else
        toonStatus(m_panelTekst[5] + u' ' + r.detail + u' ' + m_panelTekst[6], true);
}

} // namespace vx
