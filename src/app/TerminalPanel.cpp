#include "app/TerminalPanel.h"
#include "comm/SXComm.h"
#include "core/AppState.h"
#include "core/AtomicFile.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "params/ParameterDefs.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace vx {

namespace {

// The command set as the terminal offers it; each has a "Cmd_xx" description.
constexpr const char* kCommands[] = {"sc", "rt", "rh", "rx", "rf", "wf", "r0", "r1", "r2", "r3", "r4", "r5", "r6",
                                     "ri", "ru", "rp", "wp", "rs", "ws", "bp", "kr", "kw", "km", "kf", "ka", "ks"};
// Earlier exchanges the log window keeps.
constexpr size_t kLogLimit = 2000;

} // namespace

std::vector<TerminalOffer> terminalOffers(const QString& typed)
{
    static const QRegularExpression parameter(QStringLiteral("^\\s*(rp|wp)\\s+(\\d{1,3})$"),
                                              QRegularExpression::CaseInsensitiveOption);
    std::vector<TerminalOffer> offers;
    if (const auto m = parameter.match(typed); m.hasMatch()) {
        const int nr = m.captured(2).toInt();
        const QString name = nr < 512 && parExists(nr) ? parNaam(nr) : QString();
        if (!name.isEmpty()) {
            const QString text = m.captured(1).toLower() + u' ' + QString::number(nr);
            const bool write = text.startsWith(u'w');
            offers.push_back({text + QStringLiteral("  -> ") + name, write ? text + u' ' : text});
        }
        return offers;
    }
    const QString t = typed.trimmed().toLower();
    if (t.size() < 2 || t.contains(u' '))
        return offers;
    for (const char* c : kCommands) {
        const QString cmd = QLatin1String(c);
        if (cmd == t) {
            const QByteArray key = QByteArray("Cmd_") + c;
            offers.push_back({cmd + QStringLiteral("  ") + texts::Terminal(key.constData()), cmd + u' '});
        }
    }
    return offers;
}

TFormTerminal::TFormTerminal(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormTerminal"));
    setModal(false);
    resize(520, 380);
    LabelHistorie = new QLabel(this);
    LabelHistorie->setObjectName(QStringLiteral("LabelHistorie"));
    ComboHistorie = new QComboBox(this);
    ComboHistorie->setObjectName(QStringLiteral("ComboHistorie"));
    LabelHistorie->setBuddy(ComboHistorie);
    ListTerminal = new QPlainTextEdit(this);
    ListTerminal->setObjectName(QStringLiteral("ListTerminal"));
    ListTerminal->setReadOnly(true);
    ListTerminal->setLineWrapMode(QPlainTextEdit::NoWrap);
    ListTerminal->setFont(QFont(QStringLiteral("Monospace")));
    CheckHex = new QCheckBox(this);
    CheckHex->setObjectName(QStringLiteral("CheckHex"));
    CmdWissen = new QPushButton(this);
    CmdWissen->setObjectName(QStringLiteral("CmdWissen"));
    CmdOpslaan = new QPushButton(this);
    CmdOpslaan->setObjectName(QStringLiteral("CmdOpslaan"));

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(LabelHistorie);
    top->addWidget(ComboHistorie, 1);
    layout->addLayout(top);
    layout->addWidget(ListTerminal, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(CheckHex);
    row->addStretch(1);
    row->addWidget(CmdWissen);
    row->addWidget(CmdOpslaan);
    layout->addLayout(row);
    LezenTeksten();
}

void TFormTerminal::LezenTeksten()
{
    setWindowTitle(texts::Terminal("Caption"));
    LabelHistorie->setText(texts::Terminal("Historie"));
    CheckHex->setText(texts::Terminal("Hex"));
    CmdWissen->setText(texts::Terminal("Wissen"));
    CmdOpslaan->setText(texts::Terminal("Opslaan"));
}

TerminalPanel::TerminalPanel(QWidget* window, QLineEdit* edit, QPushButton* send, QGroupBox* box, TSXComm* port,
                             const QString& component)
    : QObject(window), m_edit(edit), m_component(component), m_history(TerminalHistory::defaultFile())
{
    if (port) {
        m_buffer = port->trafficBuffer();
        m_next = m_buffer->nextSeq();
    }
    m_history.load();

    m_form = new TFormTerminal(window);
    // A small button in the group's title row opens the log; the design's controls
    // keep their places.
    m_button = new QToolButton(box);
    m_button->setObjectName(QStringLiteral("CmdTerminalLog"));
    m_button->setText(QStringLiteral("..."));
    m_button->setGeometry(box->width() - 30, 0, 24, 18);
    m_button->setToolTip(texts::Terminal("CmdLog"));
    connect(m_button, &QToolButton::clicked, this, [this] {
        m_form->LezenTeksten();
        m_button->setToolTip(texts::Terminal("CmdLog"));
        refreshHistoryCombo();
        pull();
        m_form->show();
        m_form->raise();
    });

    m_offers = new QStandardItemModel(this);
    m_completer = new QCompleter(m_offers, this);
    m_completer->setWidget(edit);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setCompletionRole(Qt::UserRole);
    connect(m_completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { m_edit->setText(index.data(Qt::UserRole).toString()); });
    connect(edit, &QLineEdit::textEdited, this, &TerminalPanel::offerCompletion);
    edit->installEventFilter(this);

    // After the window's own handler has sent it.
    connect(send, &QPushButton::clicked, this, &TerminalPanel::sent);
    connect(m_form->ComboHistorie, &QComboBox::activated, this, [this](int i) {
        m_edit->setText(m_form->ComboHistorie->itemText(i));
        m_edit->setFocus();
    });
    connect(m_form->CheckHex, &QCheckBox::toggled, this, &TerminalPanel::render);
    connect(m_form->CmdWissen, &QPushButton::clicked, this, &TerminalPanel::clearLog);
    connect(m_form->CmdOpslaan, &QPushButton::clicked, this, [this] {
        const QString name = ui().saveFileName(m_form, texts::Terminal("Caption"), app().OpenCloseDialoogPath,
                                               texts::Terminal("Filter"), QStringLiteral("txt"));
        if (!name.isEmpty())
            saveLog(name);
    });

    m_timer = new QTimer(this);
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &TerminalPanel::pull);
    m_timer->start();
}

void TerminalPanel::sent()
{
    m_history.add(m_edit->text());
    refreshHistoryCombo();
    if (m_completer->popup())
        m_completer->popup()->hide();
}

void TerminalPanel::refreshHistoryCombo()
{
    QComboBox* c = m_form->ComboHistorie;
    c->clear();
    // Newest first, as a drop-down reads.
    for (auto it = m_history.entries().crbegin(); it != m_history.entries().crend(); ++it)
        c->addItem(*it);
}

void TerminalPanel::offerCompletion(const QString& typed)
{
    m_history.resetWalk();
    const auto offers = terminalOffers(typed);
    m_offers->clear();
    for (const TerminalOffer& o : offers) {
        auto* item = new QStandardItem(o.shown);
        item->setData(o.text, Qt::UserRole);
        m_offers->appendRow(item);
    }
    if (offers.empty()) {
        m_completer->popup()->hide();
        return;
    }
    // As wide as its texts, so a parameter name is not cut off.
    QAbstractItemView* popup = m_completer->popup();
    QRect r = m_edit->rect();
    r.setWidth(std::max(r.width(), popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width() + 8));
    m_completer->complete(r);
}

bool TerminalPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && !m_completer->popup()->isVisible()) {
            m_edit->setText(key == Qt::Key_Up ? m_history.older(m_edit->text()) : m_history.newer(m_edit->text()));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TerminalPanel::pull()
{
    if (!m_buffer)
        return;
    std::vector<TrafficRecord> got;
    m_buffer->read(m_next, m_buffer->capacity(), got);
    if (got.empty())
        return;
    m_next = got.back().seq + 1;
    bool added = false;
    for (TrafficRecord& r : got) {
        if (m_buffer->sourceName(r.source) != m_component)
            continue;
        m_log.push_back({r.wallMs, r.durationUs, std::move(r.request), std::move(r.reply), r.outcome});
        added = true;
    }
    if (m_log.size() > kLogLimit)
        m_log.erase(m_log.begin(), m_log.begin() + std::ptrdiff_t(m_log.size() - kLogLimit));
    if (added)
        render();
}

QString TerminalPanel::logText() const
{
    const bool hex = m_form->CheckHex->isChecked();
    QString out;
    for (const Entry& e : m_log) {
        QString request = trafficText(e.request);
        while (request.endsWith(QLatin1String("<CR>")))
            request.chop(4);
        out += trafficWallText(e.wallMs) + QStringLiteral("  > ") + request + u'\n';
        QString reply;
        if (e.outcome != TrafficOutcome::Ok)
            reply = texts::Terminal("GeenAntwoord") + u' ' + texts::Verkeer("Resultaat", int(e.outcome));
        else
            reply = hex ? trafficHex(e.reply) : trafficText(e.reply);
        out += trafficWallText(e.wallMs + e.durationUs / 1000) + QStringLiteral("  < ") + reply + u'\n';
    }
    return out;
}

void TerminalPanel::render()
{
    QPlainTextEdit* list = m_form->ListTerminal;
    list->setPlainText(logText());
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
}

void TerminalPanel::clearLog()
{
    m_log.clear();
    render();
}

bool TerminalPanel::saveLog(const QString& fileName)
{
    QString why;
    if (saveAtomically(fileName, logText().toUtf8(), &why))
        return true;
    showError(m_form, m_form->windowTitle(), QDir::toNativeSeparators(fileName) + u'\n' + why);
    return false;
}

} // namespace vx
