#include "params/SchrijfParSoll.h"

#include "app/core/AppState.h"
#include "app/core/Taal.h"
#include "comm/PX400Protocol.h"
#include "device/CommandSet.h"

#include <QPushButton>

namespace vx {

TFormSchrijfParSoll* FormSchrijfParSoll()
{
    return qobject_cast<TFormSchrijfParSoll*>(app().FormSchrijfParSoll);
}

TFormSchrijfParSoll::TFormSchrijfParSoll(QWidget* parent)
    : TTransferForm(QStringLiteral("FormSchrijfParSoll"), parent)
{
    setObjectName(QStringLiteral("FormSchrijfParSoll"));
    PX400SchrijfParSoll = makeComponent("PX400SchrijfParSoll", 0);
    PX400BerekenParameters = makeComponent("PX400BerekenParameters", 2000);
    PX400SchrijfParSoll->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& r) {
        PX400SchrijfParSollCommResult(r);
    };
    PX400BerekenParameters->OnCommResult = [this](TSXProtocolComponent*, const QByteArray& r) {
        PX400BerekenParametersCommResult(r);
    };
    const auto onError = [this](TSXProtocolComponent*, const TCommError& e, const QByteArray&) {
        PX400SchrijfParSollCommError(e);
    };
    PX400SchrijfParSoll->OnCommError = onError;
    PX400BerekenParameters->OnCommError = onError;
}

void TFormSchrijfParSoll::LezenTeksten()
{
    for (QString& t : PanelTekst)
        t.clear();
    if (!app().TaalGeladen) {
        setWindowTitle(m_designCaption);
        CmdOK->setText(QStringLiteral("OK"));
        CmdAgain->setText(QStringLiteral("Again"));
        CmdCancel->setText(QStringLiteral("Cancel"));
        return;
    }
    switch (Mode) {
    case 0: setWindowTitle(taal("SchrijfParSoll", "CaptionMode0", "Schrijf Param")); break;
    case 1: setWindowTitle(taal("SchrijfParSoll", "CaptionMode1", "Schrijf Sollw")); break;
    case 2: setWindowTitle(taal("SchrijfParSoll", "CaptionMode2", "Schrijf Param en sollw")); break;
    default: setWindowTitle(taal("SchrijfParSoll", "CaptionMode3", "Schrijf Apparaat")); break;
    }
    CmdOK->setText(taal("SchrijfParSoll", "CmdOK", "OK"));
    CmdAgain->setText(taal("SchrijfParSoll", "CmdAgain", "Again"));
    CmdCancel->setText(taal("SchrijfParSoll", "CmdCancel", "Cancel"));
    PanelTekst[0] = taal("SchrijfParSoll", "PanelTekst0", "tekst 0");
    PanelTekst[1] = taal("SchrijfParSoll", "PanelTekst1", "tekst 1");
    PanelTekst[2] = taal("SchrijfParSoll", "PanelTekst2", "tekst 2");
    PanelTekst[3] = taal("SchrijfParSoll", "PanelTekst3", "tekst 3");
    PanelTekst[4] = taal("SchrijfParSoll", "PanelTekst4", "tekst 4");
    PanelTekst[5] = taal("SchrijfParSoll", "PanelTekst5", "tekst 5");
    PanelTekst[6] = taal("SchrijfParSoll", "PanelTekst6", "tekst 6");
    PanelTekst[7] = taal("SchrijfParSoll", "PanelTekst7", "tekst 7");
    PanelTekst[8] = taal("SchrijfParSoll", "PanelTekst8", "tekst 8");
    PanelTekst[9] = taal("SchrijfParSoll", "PanelTekst9", "tekst 9");
    PanelTekst[10] = taal("SchrijfParSoll", "PanelTekst10", "tekst 10");
    PanelTekst[11] = taal("SchrijfParSoll", "PanelTekst11", "tekst 11");
}

void TFormSchrijfParSoll::writeParameter(int nr)
{
    m_counter = nr;
    m_phase = Phase::Parameters;
    showProgress(PanelTekst[2], nr);
    send(PX400SchrijfParSoll, cmd::writePar(nr, ParBuffer.value(nr)));
}

void TFormSchrijfParSoll::writeSetpoint(int nr)
{
    m_counter = nr;
    m_phase = Phase::Setpoints;
    showProgress(PanelTekst[4], nr);
    send(PX400SchrijfParSoll, cmd::writeSoll(nr, SollwBuffer.value(nr)));
}

void TFormSchrijfParSoll::compute()
{
    m_phase = Phase::Computing;
    showStatus(QLatin1String(ComputingText));
    send(PX400BerekenParameters, QLatin1String(cmd::ComputeParameters));
}

void TFormSchrijfParSoll::Start()
{
    resetForStart();
    if (Mode == 1) {
        setProgressMaximum(80);
        writeSetpoint(1);
    } else {
        setProgressMaximum(511);
        writeParameter(0);
    }
}

QString TFormSchrijfParSoll::finishText() const
{
    switch (Mode) {
    case 0: return PanelTekst[3];
    case 1: return PanelTekst[5];
    case 2: return PanelTekst[6];
    default: return PanelTekst[8];
    }
}

void TFormSchrijfParSoll::PX400SchrijfParSollCommResult(const QByteArray& reply)
{
    if (!takeReply() || m_phase == Phase::Computing)
        return;
    if (closeIfCancelRequested())
        return;
    if (cmd::isRefused(reply)) {
        fail(QStringLiteral("(er 7) ") + PanelTekst[9]);
        return;
    }
    const bool parameters = m_phase == Phase::Parameters;
    if (!cmd::repliesTo(reply, parameters ? "wp" : "ws") || reply.size() > cmd::ReplyLimit) {
        unexpectedReply(PX400SchrijfParSoll, reply, parameters ? 'P' : 'S');
        return;
    }
    m_retried = false;

    if (parameters) {
        if (m_counter >= 511 && (Mode == 2 || Mode == 3)) {
            setProgressMaximum(80);
            writeSetpoint(1);
        } else if (m_counter >= 511) {
            compute();
        } else {
            writeParameter(m_counter + 1);
        }
    } else {
        if (m_counter >= 80 && Mode == 1) {
            finish(PanelTekst[5]);
        } else if (m_counter >= 80) {
            compute();
        } else {
            writeSetpoint(m_counter + 1);
        }
    }
    setProgressPosition(m_counter);
}

void TFormSchrijfParSoll::PX400BerekenParametersCommResult(const QByteArray& reply)
{
    if (!takeReply() || m_phase != Phase::Computing)
        return;
    if (closeIfCancelRequested())
        return;
    // A reply over the read limit is not read; it counts as a refusal with no detail.
    const cmd::BpResult r = cmd::bpResult(reply);
    if (r.accepted)
        finish(finishText());
    else
        finish(PanelTekst[10] + u' ' + r.detail + u' ' + PanelTekst[11], true);
}

void TFormSchrijfParSoll::PX400SchrijfParSollCommError(const TCommError& error)
{
    CommError(error);
}

} // namespace vx
