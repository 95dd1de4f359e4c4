#include "params/ParamService.h"
#include "device/ControllerLine.h"
#include "params/FixedPoint.h"
#include "plans/AsyncRunner.h"

#include "comm/PX400Protocol.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "device/CommandSet.h"
#include "params/ParamInput.h"
#include "params/ParameterDefs.h"
#include "params/ValueStore.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vx {

namespace {

constexpr int kWpTimeout = 500;
constexpr int kBpTimeout = 2000;
constexpr int kLabelXOptie = 38;
constexpr int kLabelXNumeriek = 134;

QLabel* makePanel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* p = new QLabel(parent);
    p->setObjectName(QLatin1String(name));
    p->setGeometry(geometry);
    p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return p;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, 75, 25);
    b->setAutoDefault(false);
    return b;
}

QFont entryFont(const QFont& base)
{
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setBold(true);
    f.setPointSizeF(base.pointSizeF() > 0 ? base.pointSizeF() + 1 : 10);
    return f;
}

} // namespace

TFormParamService::TFormParamService(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormParamService"));
    setWindowTitle(QStringLiteral("FormParamService"));
    setFixedSize(430, 196);

    LabelMin = makeLabel(this, "LabelMin", QStringLiteral("Min"), QRect(16, 10, 120, 16));
    LabelMax = makeLabel(this, "LabelMax", QStringLiteral("Max"), QRect(155, 10, 120, 16));
    LabelDefault = makeLabel(this, "LabelDefault", QStringLiteral("Default"), QRect(294, 10, 120, 16));
    PanelMin = makePanel(this, "PanelMin", QRect(16, 28, 120, 24));
    PanelMax = makePanel(this, "PanelMax", QRect(155, 28, 120, 24));
    PanelDefault = makePanel(this, "PanelDefault", QRect(294, 28, 120, 24));

    LabelParData = makeLabel(this, "LabelParData", QStringLiteral("Waarde"), QRect(kLabelXNumeriek, 62, 200, 16));
    MaskEditParData = new QLineEdit(this);
    MaskEditParData->setObjectName(QStringLiteral("MaskEditParData"));
    MaskEditParData->setGeometry(kLabelXNumeriek, 80, 162, 28);
    MaskEditParData->setFont(entryFont(font()));
    MaskEditParData->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Every character goes through the filter; pasting would get round it.
    MaskEditParData->setContextMenuPolicy(Qt::NoContextMenu);
    MaskEditParData->installEventFilter(this);

    ComboParData = new QComboBox(this);
    ComboParData->setObjectName(QStringLiteral("ComboParData"));
    ComboParData->setGeometry(kLabelXOptie, 80, 354, 28);
    ComboParData->setFont(entryFont(font()));
    ComboParData->setEditable(false);
    ComboParData->setMaxVisibleItems(12);
    ComboParData->hide();

    PanelService = new QLabel(this);
    PanelService->setObjectName(QStringLiteral("PanelService"));
    PanelService->setGeometry(16, 120, 398, 26);
    PanelService->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelService->setAlignment(Qt::AlignCenter);

    const int y = 158;
    CmdDefault = makeButton(this, "CmdDefault", QStringLiteral("Default"), 16, y);
    CmdOK = makeButton(this, "CmdOK", QStringLiteral("OK"), 96, y);
    CmdBerPar = makeButton(this, "CmdBerPar", texts::ParamService("CmdBerPar"), 176, y);
    CmdZenden = makeButton(this, "CmdZenden", QStringLiteral("Zenden"), 256, y);
    CmdCancel = makeButton(this, "CmdCancel", QStringLiteral("Afbreken"), 339, y);
    CmdOK->setDefault(true);

    connect(CmdDefault, &QPushButton::clicked, this, &TFormParamService::CmdDefaultClick);
    connect(CmdOK, &QPushButton::clicked, this, &TFormParamService::CmdOKClick);
    connect(CmdBerPar, &QPushButton::clicked, this, &TFormParamService::CmdBerParClick);
    connect(CmdZenden, &QPushButton::clicked, this, &TFormParamService::CmdZendenClick);
    connect(CmdCancel, &QPushButton::clicked, this, &TFormParamService::CmdCancelClick);

    PX400ZendServiceParameter = makeControllerComponent(this, "PX400ZendServiceParameter", kWpTimeout);
    PX400ServiceBerPar = makeControllerComponent(this, "PX400ServiceBerPar", kBpTimeout);
    PX400ZendServiceParameter->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) {
        PX400ZendServiceParameterCommResult(s, r);
    };
    PX400ServiceBerPar->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) {
        PX400ServiceBerParCommResult(s, r);
    };
    auto onError = [this](TSXProtocolComponent* s, const TCommError& e, const QByteArray& r) {
        PX400CommError(s, e, r);
    };
    PX400ZendServiceParameter->OnCommError = onError;
    PX400ServiceBerPar->OnCommError = onError;
    m_runner = new plans::AsyncRunner(this);
    m_runner->setChannel(0, PX400ZendServiceParameter, false);
    m_runner->setChannel(1, PX400ServiceBerPar, false);
    connect(m_runner, &plans::AsyncRunner::finished, this, &TFormParamService::planFinished);
}

TFormParamService::~TFormParamService()
{
    // Before the components it clears on the way out.
    delete m_runner;
}

void TFormParamService::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TFormParamService::LezenTeksten()
{
    for (QString& t : m_panelTekst)
        t.clear();
    if (!app().TaalGeladen)
        return;
    CmdBerPar->setText(texts::ParamService("CmdBerPar"));
    LabelMin->setText(texts::ParamService("LabelMin"));
    LabelMax->setText(texts::ParamService("LabelMax"));
    LabelDefault->setText(texts::ParamService("LabelDefault"));
    LabelParData->setText(texts::ParamService("LabelParData"));
    CmdOK->setText(texts::ParamService("CmdOK"));
    CmdDefault->setText(texts::ParamService("CmdDefault"));
    CmdZenden->setText(texts::ParamService("CmdZenden"));
    CmdCancel->setText(texts::ParamService("CmdCancel"));
    m_panelTekst[0] = texts::ParamService("PanelTekst0");
    m_panelTekst[1] = texts::ParamService("PanelTekst1");
    m_panelTekst[2] = texts::ParamService("PanelTekst2");
    m_panelTekst[3] = texts::ParamService("PanelTekst3");
    m_panelTekst[4] = texts::ParamService("PanelTekst4");
    m_panelTekst[5] = texts::ParamService("PanelTekst5");
    m_panelTekst[6] = texts::ParamService("PanelTekst6");
    m_panelTekst[7] = texts::ParamService("PanelTekst7");
    m_panelTekst[8] = texts::ParamService("PanelTekst8");
    m_panelTekst[9] = texts::ParamService("PanelTekst9");
    m_panelTekst[10] = texts::ParamService("PanelTekst10");
}

void TFormParamService::FormActivate()
{
    LezenTeksten();
    toonStatus(QString(), false);

    const TServicePar& sp = ServicePar;
    setWindowTitle(QStringLiteral("[") + sp.Nr + QStringLiteral("]   ") + sp.Naam);
    PanelMin->setText(sp.MinTekst);
    PanelMax->setText(sp.MaxTekst);
    PanelDefault->setText(sp.DefaultTekst);

    m_nummer = sp.Nr.toInt();
    m_bevestigd.reset();
    m_terugLezen = false;
    m_optie = parType(sp.Nr) != 0;
    if (m_optie) {
        LabelParData->move(kLabelXOptie, LabelParData->y());
        MaskEditParData->hide();
        ComboParData->show();
        ComboParData->clear();
        const QStringList items = parOpties(sp.Nr);
        for (int i = 0; i < items.size(); ++i)
            ComboParData->addItem(QString::number(i) + QStringLiteral(" - ") + items[i], i);
        const qint32 v = ParWaarden.value(m_nummer);
        if (v >= 0 && v < items.size()) {
            ComboParData->setCurrentIndex(int(v));
        } else {
            // A value outside the list (another firmware, a file) is shown as it is, so
            // OK without a choice keeps it instead of storing and sending -1.
            ComboParData->addItem(QString::number(v) + QStringLiteral(" - ?"), v);
            ComboParData->setCurrentIndex(ComboParData->count() - 1);
        }
        ComboParData->setFocus();
    } else {
        LabelParData->move(kLabelXNumeriek, LabelParData->y());
        ComboParData->hide();
        MaskEditParData->show();
        m_decimalen = effectiveDec(parDec(sp.Nr));
        m_integerCijfers = serviceIntegerDigits(sp.MinTekst, sp.MaxTekst, m_decimalen);
        MaskEditParData->setText(sp.Waarde);
        MaskEditParData->setFocus();
        MaskEditParData->selectAll();
    }
    for (auto* p : {PX400ZendServiceParameter, PX400ServiceBerPar})
        p->setSXComm(app().SXComm1);
    setWachten(false);
}

bool TFormParamService::portOpen() const
{
    return app().SXComm1 && app().SXComm1->Active();
}

void TFormParamService::setWachten(bool on)
{
    m_wachten = on;
    CmdDefault->setEnabled(!on);
    CmdOK->setEnabled(!on);
    CmdCancel->setEnabled(!on);
    CmdBerPar->setEnabled(!on && portOpen());
    CmdZenden->setEnabled(!on && portOpen());
}

void TFormParamService::toonStatus(const QString& text, bool fout)
{
    m_panelFout = fout;
    QPalette p = PanelService->palette();
    p.setColor(QPalette::WindowText, fout ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    PanelService->setPalette(p);
    PanelService->setText(text);
}

bool TFormParamService::InvoerTest()
{
    toonStatus(QString(), false);
    qint32 waarde = 0;
    if (m_optie) {
        // No item chosen: the stored value stays as it was.
        const QVariant item = ComboParData->currentData();
        waarde = item.isValid() ? item.toInt() : ParWaarden.value(m_nummer);
    } else {
        const ServiceInputResult r =
            serviceInputValue(MaskEditParData->text(), m_decimalen, ServicePar.Min, ServicePar.Max);
        if (r.kind != ServiceInputResult::Ok) {
            toonStatus(m_panelTekst[r.kind == ServiceInputResult::TooLong ? 3 : 2], true);
            MaskEditParData->setFocus();
            return false;
        }
        waarde = r.value;
    }
    if (TParWaarden::contains(m_nummer))
        ParWaarden[m_nummer] = waarde;
    return true;
}

void TFormParamService::CmdOKClick()
{
    if (InvoerTest())
        accept();
}

void TFormParamService::CmdZendenClick()
{
    if (!InvoerTest())
        return;
    if (!portOpen()) {
        // Nothing would ever answer; say so instead of waiting for good.
        toonStatus(m_panelTekst[5], true);
        return;
    }
    toonStatus(m_panelTekst[1], false);
    setWachten(true);
    plans::ValuePlan::Job job = plans::ValuePlan::writeParameter(m_nummer, ParWaarden.value(m_nummer));
    job.timeoutMs = kWpTimeout;
    runPlan(job, 0);
}

void TFormParamService::runPlan(const plans::ValuePlan::Job& job, int channel)
{
    m_runner->cancel();
    // Repeated like any value after a lost or unusable reply: one late byte on a
    // noisy line must not leave the technician's value unwritten.
    m_plan = std::make_unique<plans::ValuePlan>(job, plans::TransferRules{true}, channel);
    m_runner->run(m_plan.get());
}

void TFormParamService::CmdBerParClick()
{
    if (!portOpen()) {
        toonStatus(m_panelTekst[5], true);
        return;
    }
    toonStatus(m_panelTekst[9], false);
    setWachten(true);
    plans::ValuePlan::Job job = plans::ValuePlan::compute();
    job.timeoutMs = kBpTimeout;
    runPlan(job, 1);
}

void TFormParamService::CmdDefaultClick()
{
    const QString& d = ServicePar.DefaultTekst;
    if (m_optie) {
        // A default with decimals is no item number: no item is selected then.
        const std::optional<qint32> index = cmd::parseDecimal(d);
        ComboParData->setCurrentIndex(index && *index >= 0 && *index < ComboParData->count() ? int(*index) : -1);
    } else {
        MaskEditParData->setText(d);
    }
}

void TFormParamService::CmdCancelClick()
{
    reject();
}

void TFormParamService::PX400ZendServiceParameterCommResult(TSXProtocolComponent*, const QByteArray& reply)
{
    m_runner->CommResult(PX400ZendServiceParameter, reply);
}

void TFormParamService::PX400ServiceBerParCommResult(TSXProtocolComponent*, const QByteArray& reply)
{
    m_runner->CommResult(PX400ServiceBerPar, reply);
}

void TFormParamService::PX400CommError(TSXProtocolComponent* sender, const TCommError& error, const QByteArray& reply)
{
    m_runner->CommError(sender, error, reply);
}

void TFormParamService::planFinished()
{
    const transfer::Result& r = m_plan->result();
    using O = transfer::Outcome;
    setWachten(false);
    if (m_terugLezen) {
        teruggelezen();
        return;
    }
    if ((r.outcome == O::NoReply || r.outcome == O::BadReply) && r.item != transfer::Item::Compute && portOpen()) {
        // The write may have arrived or not: what the controller holds is read, not guessed.
        m_terugLezen = true;
        m_gezonden = ParWaarden.value(m_nummer);
        toonStatus(texts::ParamService("ReadingBack"), false);
        setWachten(true);
        runPlan(plans::ValuePlan::readParameter(m_nummer), 0);
        return;
    }
    switch (r.outcome) {
    case O::NoReply: toonStatus(m_panelTekst[0], true); return;
    case O::LineFailed: toonStatus(m_panelTekst[5], true); return;
    case O::Stopped: return;
    case O::BadReply:
        // Any other answer (a cut one, another number's, another error) is no
        // confirmation: the value, or whether the controller computed, is unknown
        // and the mark stays.
        toonStatus(m_panelTekst[5], true);
        return;
    case O::Done:
    case O::Refused: break;
    }
    if (r.item != transfer::Item::Compute) {
        if (r.outcome == O::Refused) {
            toonStatus(QStringLiteral("(er 7) ") + m_panelTekst[6], true);
            return;
        }
        ParGezondenEnNietGeladen = true;
        m_bevestigd = ParWaarden.value(m_nummer);
        toonStatus(m_panelTekst[4], false);
        return;
    }
    ParGezondenEnNietGeladen = false;
    if (r.outcome == O::Done)
        toonStatus(m_panelTekst[10], false);
    else
        toonStatus(m_panelTekst[7] + u' ' + r.detail + u' ' + m_panelTekst[8], true);
}

void TFormParamService::teruggelezen()
{
    m_terugLezen = false;
    if (!m_plan->result().ok()) {
        toonStatus(texts::ParamService("StillUnknown"), true);
        return;
    }
    const qint32 held = m_plan->value();
    m_bevestigd = held;
    if (held == m_gezonden) {
        ParGezondenEnNietGeladen = true;
        toonStatus(texts::ParamService("HeldNew"), false);
        return;
    }
    toonStatus(texts::ParamService("HeldOld").arg(FixedToText(m_decimalen, held)), true);
}

bool TFormParamService::MaskEditKeyPress(QChar key)
{
    ServiceKeyContext ctx;
    ctx.text = MaskEditParData->text();
    ctx.hasSelection = MaskEditParData->hasSelectedText();
    ctx.caret = ctx.hasSelection ? MaskEditParData->selectionStart() : MaskEditParData->cursorPosition();
    ctx.decimals = m_decimalen;
    ctx.integerDigits = m_integerCijfers;
    ctx.min = ServicePar.Min;
    const ServiceKeyResult r = serviceKeyFilter(key, ctx);
    switch (r.action) {
    case ServiceKeyResult::Swallow:
        return true;
    case ServiceKeyResult::PrependMinus:
        MaskEditParData->setText(QStringLiteral("-") + ctx.text);
        MaskEditParData->setCursorPosition(int(MaskEditParData->text().size()));
        return true;
    case ServiceKeyResult::Pass:
        if (r.ch == key)
            return false;
        MaskEditParData->insert(QString(r.ch));
        return true;
    }
    return true;
}

bool TFormParamService::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MaskEditParData && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->matches(QKeySequence::Paste))
            return true;
        if (ke->key() == Qt::Key_Backspace)
            return MaskEditKeyPress(QChar(8));
        if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QString text = ke->text();
        if (text.isEmpty() || ke->key() == Qt::Key_Delete)
            return false; // caret keys, Delete
        const QChar c = text.at(0);
        if (c == u'\r' || c == u'\n' || c == QChar(27) || c == u'\t')
            return false; // left to the dialog
        return MaskEditKeyPress(c);
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vx
