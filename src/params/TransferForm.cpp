#include "params/TransferForm.h"
#include "device/ControllerLine.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "comm/SXCommThread.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "plans/AsyncRunner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace vx {

TTransferForm::TTransferForm(const QString& designCaption, QWidget* parent)
    : QDialog(parent), m_designCaption(designCaption)
{
    // No close box: the window ends only through its buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(designCaption);
    setModal(true);

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setMinimumHeight(28);
    Panel1->setAutoFillBackground(true);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 511);
    ProgressBar1->setValue(0);

    CmdOK = new QPushButton(QStringLiteral("OK"), this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdAgain = new QPushButton(QStringLiteral("Again"), this);
    CmdAgain->setObjectName(QStringLiteral("CmdAgain"));
    CmdVerder = new QPushButton(QStringLiteral("Continue"), this);
    CmdVerder->setObjectName(QStringLiteral("CmdVerder"));
    CmdVerder->setEnabled(false);
    CmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(CmdOK, &QPushButton::clicked, this, &TTransferForm::CmdOKClick);
    connect(CmdAgain, &QPushButton::clicked, this, &TTransferForm::CmdAgainClick);
    connect(CmdVerder, &QPushButton::clicked, this, &TTransferForm::CmdVerderClick);
    m_lineWatch = new QTimer(this);
    m_lineWatch->setInterval(250);
    connect(m_lineWatch, &QTimer::timeout, this, [this] {
        CmdVerder->setEnabled(m_failed && m_canContinue && portOpen());
        if (!m_failed || !m_canContinue) m_lineWatch->stop();
    });
    connect(CmdCancel, &QPushButton::clicked, this, &TTransferForm::CmdCancelClick);

    m_cancelTimer = new QTimer(this);
    m_cancelTimer->setSingleShot(true);
    connect(m_cancelTimer, &QTimer::timeout, this, [this] {
        // Whatever the line is doing, Cancel does not wait longer than this.
        if (!m_cancelRequested || !m_runner->waiting())
            return;
        m_runner->cancel();
        interrupted();
        done(QDialog::Rejected);
    });

    m_runner = new plans::AsyncRunner(this);
    // Tests script the line through the window's own transmit and portOpen.
    m_runner->transmit = [this](TPX400Protocol* c) { transmit(c); };
    m_runner->portOpen = [this] { return portOpen(); };
    connect(m_runner, &plans::AsyncRunner::sent, this, [this](const plans::Request& r) { requestSent(r); });
    connect(m_runner, &plans::AsyncRunner::progressed, this, [this] { stepTaken(); });
    connect(m_runner, &plans::AsyncRunner::finished, this, [this] { planFinished(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdAgain);
    buttons->addWidget(CmdVerder);
    buttons->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    setFixedSize(420, 130);
}

int TTransferForm::run(int mode)
{
    Mode = mode;
    m_newRun = true;
    return exec();
}

void TTransferForm::start(int mode)
{
    Mode = mode;
    m_newRun = true;
    if (isVisible())
        FormActivate();
    else
        show();
}

void TTransferForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised window is no new transfer.
    if (!event->spontaneous())
        FormActivate();
}

void TTransferForm::LezenTeksten()
{
    for (QString& t : PanelTekst)
        t.clear();
    if (!app().TaalGeladen) {
        setWindowTitle(m_designCaption);
        CmdOK->setText(QStringLiteral("OK"));
        CmdAgain->setText(QStringLiteral("Again"));
        CmdVerder->setText(QStringLiteral("Continue"));
        CmdCancel->setText(QStringLiteral("Cancel"));
        return;
    }
    const LangSection& t = texts();
    setWindowTitle(t("CaptionMode", std::clamp(Mode, 0, 3)));
    CmdOK->setText(t("CmdOK"));
    CmdAgain->setText(t("CmdAgain"));
    CmdVerder->setText(t("CmdVerder"));
    CmdCancel->setText(t("CmdCancel"));
    for (int i = 0; i < int(std::size(PanelTekst)); ++i)
        if (t.has(QStringLiteral("PanelTekst%1").arg(i)))
            PanelTekst[i] = t("PanelTekst", i);
}

void TTransferForm::FormActivate()
{
    LezenTeksten();
    for (TPX400Protocol* c : components())
        if (c->SXComm() != app().SXComm1)
            c->setSXComm(app().SXComm1);
    Start();
}

bool TTransferForm::portOpen() const
{
    return app().SXComm1 && app().SXComm1->Active();
}

void TTransferForm::resetForStart()
{
    m_runner->cancel();
    m_failed = false;
    m_done = false;
    m_cancelRequested = false;
    m_checking = false;
    m_canContinue = false;
    m_cancelTimer->stop();
    m_lineWatch->stop();
    CmdOK->setEnabled(false);
    CmdAgain->setEnabled(false);
    CmdVerder->setEnabled(false);
    CmdCancel->setEnabled(true);
    CmdCancel->setFocus();
    showStatus(QString());
    ProgressBar1->setValue(0);
}

void TTransferForm::transmit(TPX400Protocol* c)
{
    c->Send();
}

void TTransferForm::CommResult(TPX400Protocol* c, const QByteArray& reply)
{
    m_runner->CommResult(c, reply);
}

void TTransferForm::CommError(const TCommError& error)
{
    // Both of a window's components share one error handler: the failure belongs
    // to whichever carries the request in flight.
    if (!m_runner->waiting())
        return;
    TPX400Protocol* c = m_runner->channel(m_runner->current().request.channel);
    // A reply lost with the port gone is not asked for again on a closed port.
    if (error.Code == CommTimeout && !portOpen())
        lineDown();
    m_runner->CommError(c, error, {});
}

void TTransferForm::showStatus(const QString& text, bool red)
{
    QPalette p = Panel1->palette();
    p.setColor(QPalette::WindowText, red ? QColor(255, 0, 0) : QApplication::palette().color(QPalette::WindowText));
    Panel1->setPalette(p);
    Panel1->setText(text);
    Panel1->setToolTip(text);
}

void TTransferForm::showProgress(const QString& tekst, int number)
{
    showStatus(tekst + u' ' + QString::number(number));
}

void TTransferForm::setProgressMaximum(int max)
{
    ProgressBar1->setRange(0, max);
}

void TTransferForm::setProgressPosition(int position)
{
    ProgressBar1->setValue(qBound(ProgressBar1->minimum(), position, ProgressBar1->maximum()));
}

void TTransferForm::fail(const QString& text)
{
    m_failed = true;
    m_cancelTimer->stop();
    showStatus(text, true);
    CmdAgain->setEnabled(true);
    CmdCancel->setFocus();
    interrupted();
}

void TTransferForm::finish(const QString& text, bool red)
{
    m_done = true;
    showStatus(text, red);
    CmdOK->setEnabled(true);
    CmdAgain->setEnabled(true);
    CmdOK->setDefault(true);
    CmdOK->setFocus();
}

QString TTransferForm::unexpectedReplyText(const transfer::Result& result, char phaseLetter) const
{
    // The first four characters of what came, without line-end or other control bytes.
    QString head = QString::fromLatin1(result.reply.left(4));
    head.removeIf([](QChar ch) { return ch.unicode() < 0x20; });
    QString text = PanelTekst[7] + u' ' + head + QStringLiteral("   ") + QLatin1Char(phaseLetter) + u'['
                   + QString::number(m_counter).rightJustified(3, u'0') + u']';
    const QString reason = reasonText(result.checked);
    if (!reason.isEmpty())
        text += QStringLiteral("\n(") + reason + u')';
    return text;
}

void TTransferForm::followValue(transfer::Item item, int number)
{
    // After Cancel the window closes on this outcome, telling the value in flight.
    if (m_cancelRequested)
        return;
    if (item == transfer::Item::Compute) {
        m_phase = Phase::Computing;
        return;
    }
    const Phase phase = item == transfer::Item::Setpoint ? Phase::Setpoints : Phase::Parameters;
    if (phase == m_phase && number == m_counter)
        return;
    if (phase == Phase::Setpoints && m_phase == Phase::Parameters)
        setProgressMaximum(80);
    m_phase = phase;
    m_counter = number;
    setProgressPosition(number);
}

QString TTransferForm::reasonText(const cmd::CheckedReply& reply)
{
    using R = cmd::Refusal;
    QString english = cmd::refusalText(reply);
    switch (reply.refusal) {
    case R::TooLong: return texts::Antwoord("TooLong", english);
    case R::Cut: return texts::Antwoord("Cut", english);
    case R::ForeignLetters: return texts::Antwoord("ForeignLetters", english);
    case R::ForeignArguments: return texts::Antwoord("ForeignArguments", english);
    case R::NotANumber: return texts::Antwoord("NotANumber", english);
    case R::Unprintable: return texts::Antwoord("Unprintable", english);
    case R::None:
    case R::ControllerError: break;
    }
    return english; // "er n" reads the same in every language
}

bool TTransferForm::closeIfCancelRequested()
{
    if (!m_cancelRequested)
        return false;
    m_cancelTimer->stop();
    interrupted();
    done(QDialog::Rejected);
    return true;
}

void TTransferForm::lineFailed(const TCommError& error)
{
    // Every failure stops the transfer, so Cancel closes and Again restarts; a code
    // without system or line error flags is shown like any other communication error.
    m_canContinue = true;
    if (error.Code == CommTimeout) {
        fail(PanelTekst[0]);
    } else if (error.Code == CommLineLost) {
        // Where it stopped, so the technician knows what Continue picks up.
        const QString at = m_phase == Phase::Computing ? QStringLiteral("bp")
                                                       : QStringLiteral("%1%2")
                                                             .arg(QLatin1Char(m_phase == Phase::Setpoints ? 'S' : 'P'))
                                                             .arg(m_counter, 3, 10, QLatin1Char('0'));
        // Which device went: a technician with two adapters must know which to look at.
        QString device;
        if (const TSXComm* p = app().SXComm1)
            device = QStringLiteral(" (%1, %2)").arg(p->displayName(), QString::fromStdString(p->devicePath()));
        QString text = PanelTekst[1] + u'\n' + texts::Verify("ReasonLine").arg(at) + device;
        if (const QString note = lostNote(); !note.isEmpty())
            text += u'\n' + note;
        fail(text);
    } else {
        fail(PanelTekst[1]);
    }
    CmdVerder->setEnabled(portOpen());
    m_lineWatch->start();
}

void TTransferForm::CmdOKClick()
{
    if (m_done)
        done(QDialog::Accepted);
}

void TTransferForm::CmdAgainClick()
{
    if (m_failed || m_done)
        Start();
}

void TTransferForm::CmdVerderClick()
{
    if (!m_failed || m_done || !m_canContinue || !portOpen())
        return;
    // Everything before the value in flight is confirmed; only that one and the
    // rest are asked for again.
    m_failed = false;
    m_canContinue = false;
    m_cancelRequested = false;
    m_lineWatch->stop();
    CmdAgain->setEnabled(false);
    CmdVerder->setEnabled(false);
    CmdCancel->setFocus();
    Continue();
}

void TTransferForm::CmdCancelClick()
{
    if (m_checking) {
        m_cancelRequested = true;
        m_runner->stop();
        return;
    }
    // With the port gone no reply will come to close on.
    const bool waiting = m_runner->waiting();
    if (m_failed || m_done || !waiting || !portOpen()) {
        m_runner->cancel();
        if (waiting && !m_failed && !m_done)
            interrupted();
        // A finished transfer is kept whichever button closes it: values read are not
        // dropped, values written are sent.
        done(m_done && !m_failed ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    m_cancelRequested = true;
    m_runner->stop();
    if (TPX400Protocol* c = m_runner->channel(m_runner->current().request.channel))
        m_cancelTimer->start(std::max(c->TimeoutTime(), 100) + TSXCommThread::NextByteMs);
}

void TTransferForm::reject()
{
    // Escape follows the Cancel button's rule.
    CmdCancelClick();
}

void TTransferForm::closeEvent(QCloseEvent* event)
{
    event->ignore();
    CmdCancelClick();
}

} // namespace vx
