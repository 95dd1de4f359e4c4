#include "diagnostics/FormCalibratie.h"
#include "device/ControllerLine.h"
#include "params/TextWrap.h"

#include "comm/PX400Protocol.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "device/CommandSet.h"
#include "diagnostics/SpinEdit.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace vx {

namespace {

const QColor Grey(128, 128, 128);
constexpr int OffsetU = 2041, GainU = 2042, OffsetI = 2043, GainI = 2044;

QColor windowText() { return QApplication::palette().color(QPalette::WindowText); }

void setTextColour(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

} // namespace

QString TFormCalibratie::closeQuestion()
{
    return wrapMessage(texts::Calibratie("Msg_NietGesaved"), 42);
}

void TFormCalibratie::buildChannel(Channel& ch, const QString& caption, const QString& unit, qint32 range)
{
    ch.box = new QGroupBox(caption, this);
    auto* grid = new QGridLayout(ch.box);
    for (int k = 0; k < 3; ++k) {
        ch.setPoints[k] = new TSpinEdit(ch.box);
        ch.setPoints[k]->setRange(-range, range);
        ch.setPoints[k]->setMinimumWidth(100);
        ch.labels[2 + k] = new QLabel(unit, ch.box);
        ch.setButtons[k] = new QPushButton(QStringLiteral("Set"), ch.box);
        grid->addWidget(ch.setPoints[k], k, 0);
        grid->addWidget(ch.labels[2 + k], k, 1);
        grid->addWidget(ch.setButtons[k], k, 2);
    }
    ch.labels[0] = new QLabel(QStringLiteral("Offset:"), ch.box);
    ch.labels[1] = new QLabel(QStringLiteral("Gain:"), ch.box);
    ch.offset = new TSpinEdit(ch.box);
    ch.gain = new TSpinEdit(ch.box);
    ch.gain->setRange(-1000, 1000);
    ch.labels[5] = new QLabel(QStringLiteral("in 311uV eenheden"), ch.box);
    ch.labels[6] = new QLabel(QStringLiteral("in 0,1 mV eenheden"), ch.box);
    grid->addWidget(ch.labels[0], 3, 0);
    grid->addWidget(ch.offset, 4, 0);
    grid->addWidget(ch.labels[5], 4, 1, 1, 2);
    grid->addWidget(ch.labels[1], 5, 0);
    grid->addWidget(ch.gain, 6, 0);
    grid->addWidget(ch.labels[6], 6, 1, 1, 2);
}

TFormCalibratie::TFormCalibratie(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormCalibratie"));
    setWindowTitle(QStringLiteral("Calibratie"));
    setModal(true);

    PX400LeesKalibratieWaarden = makeControllerComponent(this, "PX400LeesKalibratieWaarden");
    PX400Kalibratie = makeControllerComponent(this, "PX400Kalibratie");
    PX400LeesKalibratieWaarden->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) {
        PX400LeesKalibratieWaardenCommResult(s, r);
    };
    PX400Kalibratie->OnCommResult = [this](TSXProtocolComponent* s, const QByteArray& r) {
        PX400KalibratieCommResult(s, r);
    };
    auto onError = [this](TSXProtocolComponent* s, const TCommError& e, const QByteArray&) {
        PX400KalibratieCommError(s, e);
    };
    PX400LeesKalibratieWaarden->OnCommError = onError;
    PX400Kalibratie->OnCommError = onError;

    buildChannel(m_u, QStringLiteral("Spanning"), QStringLiteral("V"), 100000);
    buildChannel(m_i, QStringLiteral("Stroom"), QStringLiteral("mA"), 200000);
    GroupBox1 = m_u.box;
    GroupBox2 = m_i.box;
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    SpinEdit1 = m_u.setPoints[0];
    SpinEdit2 = m_u.setPoints[1];
    SpinEdit3 = m_u.setPoints[2];
    SpinEdit6 = m_i.setPoints[0];
    SpinEdit7 = m_i.setPoints[1];
    SpinEdit8 = m_i.setPoints[2];
    CmdSetUmin = m_u.setButtons[0];
    CmdSetUnul = m_u.setButtons[1];
    CmdSetUmax = m_u.setButtons[2];
    CmdSetImin = m_i.setButtons[0];
    CmdSetInul = m_i.setButtons[1];
    CmdSetImax = m_i.setButtons[2];
    SpinEdit_Offset_U = m_u.offset;
    SpinEdit_Gain_U = m_u.gain;
    SpinEdit_Offset_I = m_i.offset;
    SpinEdit_Gain_I = m_i.gain;
    LabelOffset_U = m_u.labels[0];
    LabelGain_U = m_u.labels[1];
    LabelOffset_I = m_i.labels[0];
    LabelGain_I = m_i.labels[1];
    const std::pair<QObject*, const char*> names[] = {
        {SpinEdit1, "SpinEdit1"}, {SpinEdit2, "SpinEdit2"}, {SpinEdit3, "SpinEdit3"}, {SpinEdit6, "SpinEdit6"}, {SpinEdit7, "SpinEdit7"}, {SpinEdit8, "SpinEdit8"}, {CmdSetUmin, "CmdSetUmin"}, {CmdSetUnul, "CmdSetUnul"}, {CmdSetUmax, "CmdSetUmax"}, {CmdSetImin, "CmdSetImin"}, {CmdSetInul, "CmdSetInul"}, {CmdSetImax, "CmdSetImax"}, {SpinEdit_Offset_U, "SpinEdit_Offset_U"}, {SpinEdit_Gain_U, "SpinEdit_Gain_U"}, {SpinEdit_Offset_I, "SpinEdit_Offset_I"}, {SpinEdit_Gain_I, "SpinEdit_Gain_I"}, {LabelOffset_U, "LabelOffset_U"}, {LabelGain_U, "LabelGain_U"}, {LabelOffset_I, "LabelOffset_I"}, {LabelGain_I, "LabelGain_I"}};
    for (const auto& [o, n] : names) o->setObjectName(QLatin1String(n));

    for (int k = 0; k < 3; ++k) {
        TSpinEdit* u = m_u.setPoints[k];
        connect(m_u.setButtons[k], &QPushButton::clicked, this,
                [this, u] { sendCommand(cmd::outputTestValue(u->value())); });
        TSpinEdit* i = m_i.setPoints[k];
        // The controller takes half the current set point (int division truncates toward zero).
        connect(m_i.setButtons[k], &QPushButton::clicked, this,
                [this, i] { sendCommand(cmd::outputTestValue(i->value() / 2)); });
    }
    const std::pair<int, TSpinEdit*> fields[] = {
        {OffsetU, SpinEdit_Offset_U}, {GainU, SpinEdit_Gain_U}, {OffsetI, SpinEdit_Offset_I}, {GainI, SpinEdit_Gain_I}};
    for (const auto& [nr, f] : fields) {
        const int constant = nr;
        // A correction drives a running output: what was typed goes out whole, at
        // Enter or on leaving the field, never a partial number; a spin step is a
        // whole value and goes out at once.
        f->setKeepsTyped(true);
        f->OnStep = [this, constant] { commitField(constant); };
        connect(f, &QAbstractSpinBox::editingFinished, this, [this, constant] { commitField(constant); });
    }

    GroupBox3 = new QGroupBox(QStringLiteral("Calibratie mode"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    CmdSetKalibtatieMode = new QPushButton(QStringLiteral("Aan"), GroupBox3);
    CmdSetKalibtatieMode->setObjectName(QStringLiteral("CmdSetKalibtatieMode"));
    CmdResCalibtatieMode = new QPushButton(QStringLiteral("Uit"), GroupBox3);
    CmdResCalibtatieMode->setObjectName(QStringLiteral("CmdResCalibtatieMode"));
    auto* l3 = new QHBoxLayout(GroupBox3);
    l3->addWidget(CmdSetKalibtatieMode);
    l3->addWidget(CmdResCalibtatieMode);
    connect(CmdSetKalibtatieMode, &QPushButton::clicked, this, [this] { sendCommand(cmd::calibrationMode(true)); });
    connect(CmdResCalibtatieMode, &QPushButton::clicked, this, [this] { sendCommand(cmd::calibrationMode(false)); });

    GroupBox4 = new QGroupBox(QStringLiteral("DA Select"), this);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    CmdSet_U_actief = new QPushButton(QStringLiteral("Spanning"), GroupBox4);
    CmdSet_U_actief->setObjectName(QStringLiteral("CmdSet_U_actief"));
    CmdSet_I_actief = new QPushButton(QStringLiteral("Stroom"), GroupBox4);
    CmdSet_I_actief->setObjectName(QStringLiteral("CmdSet_I_actief"));
    CmdSet_I_InActief = new QPushButton(QStringLiteral("Geen"), GroupBox4);
    CmdSet_I_InActief->setObjectName(QStringLiteral("CmdSet_I_InActief"));
    auto* l4 = new QHBoxLayout(GroupBox4);
    l4->addWidget(CmdSet_U_actief);
    l4->addWidget(CmdSet_I_actief);
    l4->addWidget(CmdSet_I_InActief);
    connect(CmdSet_U_actief, &QPushButton::clicked, this, [this] { sendCommand(cmd::analogueOutput(1)); });
    connect(CmdSet_I_actief, &QPushButton::clicked, this, [this] { sendCommand(cmd::analogueOutput(2)); });
    connect(CmdSet_I_InActief, &QPushButton::clicked, this, [this] { sendCommand(cmd::analogueOutput(0)); });

    CmdSaveToEEPROM = new QPushButton(QStringLiteral("EEPROM"), this);
    CmdSaveToEEPROM->setObjectName(QStringLiteral("CmdSaveToEEPROM"));
    connect(CmdSaveToEEPROM, &QPushButton::clicked, this,
            [this] { sendCommand(QLatin1String(cmd::StoreCalibration)); });

    m_modeOffTimer = new QTimer(this);
    m_modeOffTimer->setSingleShot(true);
    m_modeOffTimer->setInterval(3000);
    connect(m_modeOffTimer, &QTimer::timeout, this, [this] { modeOffEnded(); });

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setMinimumHeight(24);
    Panel1->setAlignment(Qt::AlignCenter);
    LabelBereik = new QLabel(this);
    LabelBereik->setObjectName(QStringLiteral("LabelBereik"));
    LabelBereik->setWordWrap(true);
    LabelBereik->setMinimumHeight(Panel1->minimumHeight());
    setTextColour(LabelBereik, Qt::red);

    auto* top = new QHBoxLayout;
    top->addWidget(GroupBox1);
    top->addWidget(GroupBox2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(GroupBox3);
    bottom->addWidget(GroupBox4);
    bottom->addWidget(CmdSaveToEEPROM, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    layout->addWidget(LabelBereik);
    layout->addWidget(Panel1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // No button may stand in for Enter: Enter in a field drove the output to its
    // minimum through the first "Set" button.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    LeesTeksten();
}

TFormCalibratie::~TFormCalibratie()
{
    // The fields lose their focus while the window goes: nothing may be sent then.
    for (TSpinEdit* f : {SpinEdit_Offset_U, SpinEdit_Gain_U, SpinEdit_Offset_I, SpinEdit_Gain_I})
        disconnect(f, nullptr, this, nullptr);
}

void TFormCalibratie::keyPressEvent(QKeyEvent* event)
{
    // Enter only takes the field (editingFinished did); it presses nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormCalibratie::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised window is no new opening.
    if (!event->spontaneous()) FormActivate();
}

// Every opening starts over: nothing carries over from an earlier one.
void TFormCalibratie::FormActivate()
{
    LeesTeksten();
    KalibratieModeAan = false;
    GezondenNietGesaved = false;
    m_onController = {};
    m_accepted = {SpinEdit_Offset_U->value(), SpinEdit_Gain_U->value(), SpinEdit_Offset_I->value(), SpinEdit_Gain_I->value()};
    LabelBereik->clear();
    SpinEdit1->setValue(-100000);
    SpinEdit2->setValue(0);
    SpinEdit3->setValue(100000);
    SpinEdit6->setValue(-200000);
    SpinEdit7->setValue(0);
    SpinEdit8->setValue(200000);
    LeesNummer = OffsetU;
    PX400LeesKalibratieWaarden->setASCIIProtocol(cmd::readCalibration(OffsetU));
    PX400LeesKalibratieWaarden->Send();
    DisableSpanning();
    DisableStroom();
    setTextColour(GroupBox4, Grey);
    CmdSet_U_actief->setEnabled(false);
    CmdSet_I_actief->setEnabled(false);
    CmdSet_I_InActief->setEnabled(false);
    CmdSaveToEEPROM->setEnabled(false);
}

void TFormCalibratie::sendCommand(const QString& text)
{
    PX400Kalibratie->setASCIIProtocol(text);
    PX400Kalibratie->Send();
}

TSpinEdit* TFormCalibratie::fieldOf(int constant) const
{
    switch (constant) {
    case OffsetU: return SpinEdit_Offset_U;
    case GainU: return SpinEdit_Gain_U;
    case OffsetI: return SpinEdit_Offset_I;
    case GainI: return SpinEdit_Gain_I;
    default: return nullptr;
    }
}

QString TFormCalibratie::fieldName(int constant) const
{
    const bool gain = constant == GainU || constant == GainI;
    const Channel& ch = constant <= GainU ? m_u : m_i;
    QString label = ch.labels[gain ? 1 : 0]->text();
    if (label.endsWith(u':')) label.chop(1);
    return label + QStringLiteral(" (") + ch.box->title() + u')';
}

void TFormCalibratie::commitField(int constant)
{
    TSpinEdit* field = fieldOf(constant);
    const std::size_t k = std::size_t(constant - OffsetU);
    const std::optional<qint64> typed = field->typedNumber();
    if (typed && !field->inRange(*typed)) {
        // Refused where it was typed, with its limits; the field shows what the
        // controller holds again.
        LabelBereik->setText(texts::Calibratie("BuitenBereik")
                                 .arg(fieldName(constant), field->text(), QString::number(field->lowest()),
                                      QString::number(field->highest())));
        field->setValue(m_accepted[k]);
        if (field->hasFocus()) field->selectAll(); // after Enter: ready to be typed over
        return;
    }
    // An empty field or a lone "-" is no value; without calibration mode nothing goes
    // out, so the field keeps showing what the controller holds.
    if (!typed || !KalibratieModeAan) {
        field->setValue(m_accepted[k]);
        return;
    }
    LabelBereik->clear();
    const auto v = qint32(*typed);
    m_accepted[k] = v;
    std::optional<qint32>& held = m_onController[k];
    if (held == v) return;
    held = v;
    sendCommand(cmd::writeCalibration(constant, v));
}

void TFormCalibratie::setModeAan(bool on)
{
    const bool changed = KalibratieModeAan != on;
    KalibratieModeAan = on;
    if (changed && OnModeChanged) OnModeChanged(on);
}

void TFormCalibratie::setPanel(const QString& text, const QColor& colour)
{
    Panel1->setText(text);
    setTextColour(Panel1, colour);
}

void TFormCalibratie::setChannel(Channel& ch, bool on)
{
    const QColor c = on ? windowText() : Grey;
    setTextColour(ch.box, c);
    for (QLabel* l : ch.labels) setTextColour(l, c);
    ch.offset->setEnabled(on);
    ch.gain->setEnabled(on);
    for (TSpinEdit* s : ch.setPoints) s->setEnabled(on);
    for (QPushButton* b : ch.setButtons) b->setEnabled(on);
}

void TFormCalibratie::EnableSpanning() { setChannel(m_u, true); }
void TFormCalibratie::DisableSpanning() { setChannel(m_u, false); }
void TFormCalibratie::EnableStroom() { setChannel(m_i, true); }
void TFormCalibratie::DisableStroom() { setChannel(m_i, false); }

void TFormCalibratie::PX400LeesKalibratieWaardenCommResult(TSXProtocolComponent*, const QByteArray& reply)
{
    const cmd::CheckedReply checked =
        cmd::checkReply(PX400LeesKalibratieWaarden->ASCIIProtocol(), reply);
    TSpinEdit* field = fieldOf(LeesNummer);
    // A cut, foreign or error answer carries no calibration value: the read-out stops
    // there with the error text, and neither the field nor the EEPROM value changes.
    if (!checked.ok()) {
        setPanel(QStringLiteral("Communicatie error: ") + cmd::refusalText(checked), Qt::red);
        return;
    }
    setPanel(checked.text, windowText());
    if (!field) return;
    field->setValue(*checked.number);
    EepromWaarde[std::size_t(LeesNummer - OffsetU)] = field->value();
    m_onController[std::size_t(LeesNummer - OffsetU)] = field->value();
    m_accepted[std::size_t(LeesNummer - OffsetU)] = field->value();
    if (LeesNummer < GainI) {
        ++LeesNummer;
        PX400LeesKalibratieWaarden->setASCIIProtocol(cmd::readCalibration(LeesNummer));
        PX400LeesKalibratieWaarden->Send();
    }
}

void TFormCalibratie::PX400KalibratieCommResult(TSXProtocolComponent*, const QByteArray& reply)
{
    // Checked against the request this reply answers: typing sends "kw" after "kw",
    // and each confirmation belongs to the value it repeats.
    const cmd::CheckedReply checked = cmd::checkReply(PX400Kalibratie->AnsweredText(), reply);
    if (!checked.ok()) {
        setPanel(checked.text.isEmpty() ? cmd::refusalText(checked) : checked.text, Qt::red);
        m_onController = {}; // not known after a refusal: the next value goes out
        modeOffEnded();
        return;
    }
    setPanel(checked.text, windowText());
    const QString& c = checked.letters;
    // The first argument: "kw 2041 5" gives "2041", "km 1" gives "1".
    const QString arg = checked.text.mid(3).section(u' ', 0, 0);
    if (c == QLatin1String("ks")) {
        EepromWaarde = {SpinEdit_Offset_U->value(), SpinEdit_Gain_U->value(), SpinEdit_Offset_I->value(),
                        SpinEdit_Gain_I->value()};
        GezondenNietGesaved = false;
        CmdSaveToEEPROM->setEnabled(false);
    } else if (c == QLatin1String("kw")) {
        bool ok = false;
        const int nr = arg.toInt(&ok);
        if (TSpinEdit* field = ok ? fieldOf(nr) : nullptr)
            if (field->value() != EepromWaarde[std::size_t(nr - OffsetU)]) GezondenNietGesaved = true;
        if (GezondenNietGesaved) CmdSaveToEEPROM->setEnabled(true);
    } else if (c == QLatin1String("kf")) {
        if (arg == QLatin1String("0")) {
            DisableSpanning();
            DisableStroom();
        } else if (arg == QLatin1String("1")) {
            EnableSpanning();
            DisableStroom();
        } else if (arg == QLatin1String("2")) {
            DisableSpanning();
            EnableStroom();
        }
    } else if (c == QLatin1String("ki")) {
        DisableSpanning();
        EnableStroom();
    } else if (c == QLatin1String("km")) {
        if (arg == QLatin1String("0")) {
            DisableSpanning();
            DisableStroom();
            setTextColour(GroupBox4, Grey);
            CmdSet_U_actief->setEnabled(false);
            CmdSet_I_actief->setEnabled(false);
            CmdSet_I_InActief->setEnabled(false);
            setModeAan(false);
            modeOffEnded();
        } else if (arg == QLatin1String("1")) {
            setTextColour(GroupBox4, windowText());
            CmdSet_U_actief->setEnabled(true);
            CmdSet_I_actief->setEnabled(true);
            CmdSet_I_InActief->setEnabled(true);
            setModeAan(true);
        }
    }
}

void TFormCalibratie::PX400KalibratieCommError(TSXProtocolComponent*, const TCommError& error)
{
    if (error.Code == CommTimeout)
        setPanel(texts::Calibratie("Timeout"), Qt::red);
    else if (error.Code != 0 && (error.OSError != 0 || error.LineErrors != 0))
        setPanel(texts::Calibratie("CommError"), Qt::red);
    m_onController = {};
    modeOffEnded();
}

void TFormCalibratie::reject()
{
    // Already closing: the answer to "km 0" decides.
    if (m_modeOffPending) return;
    if (GezondenNietGesaved
        && ui().message(this, QMessageBox::Warning, texts::Calibratie("Msg_waarschuwingCaption"), closeQuestion(),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
               != QMessageBox::Yes)
        return;
    if (!ModeUitVoorSluiten([this] { QDialog::reject(); })) return;
    QDialog::reject();
}

bool TFormCalibratie::ModeUitVoorSluiten(std::function<void()> whenOff)
{
    if (!KalibratieModeAan || !app().SXComm1 || !app().SXComm1->Active()) return true;
    if (m_modeOffPending) return false;
    const auto answer = ui().message(this, QMessageBox::Question, texts::Calibratie("Msg_waarschuwingCaption"),
                                     texts::Calibratie("Msg_ModeUit"),
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer != QMessageBox::Yes) return true;
    // Only "km 0" coming back proves the mode is off; its answer, a failure or the
    // time-out ends the wait in modeOffEnded().
    m_modeOffPending = true;
    m_afterModeOff = std::move(whenOff);
    m_modeOffTimer->start();
    sendCommand(cmd::calibrationMode(false));
    return false;
}

void TFormCalibratie::modeOffEnded()
{
    if (!m_modeOffPending) return;
    m_modeOffPending = false;
    m_modeOffTimer->stop();
    const std::function<void()> then = std::exchange(m_afterModeOff, {});
    if (!KalibratieModeAan) {
        if (then) then();
        return;
    }
    showWarning(this, texts::Calibratie("Msg_waarschuwingCaption"), texts::Calibratie("Msg_ModeUitMislukt"));
}

void TFormCalibratie::LeesTeksten()
{
    setWindowTitle(texts::Calibratie("Caption"));
    GroupBox1->setTitle(texts::Calibratie("GroepSpanning"));
    GroupBox2->setTitle(texts::Calibratie("GroepStroom"));
    GroupBox3->setTitle(texts::Calibratie("GroepMode"));
    GroupBox4->setTitle(texts::Calibratie("GroepDA"));
    CmdSetKalibtatieMode->setText(texts::Calibratie("CmdAan"));
    CmdResCalibtatieMode->setText(texts::Calibratie("CmdUit"));
    CmdSet_U_actief->setText(texts::Calibratie("CmdSpanning"));
    CmdSet_I_actief->setText(texts::Calibratie("CmdStroom"));
    CmdSet_I_InActief->setText(texts::Calibratie("CmdGeen"));
    for (Channel* ch : {&m_u, &m_i}) {
        ch->labels[5]->setText(texts::Calibratie("NotitieOffset"));
        ch->labels[6]->setText(texts::Calibratie("NotitieGain"));
    }
}

} // namespace vx
