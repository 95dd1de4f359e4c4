#pragma once
// What the main window's terminal gains beside the design's reply field: history
// (Up/Down, a drop-down), completion from the command set, and a log window of
// earlier requests and replies with their times. The log reads the port's capture
// of the terminal's own component, so time-outs show as well as replies.
#include "comm/TrafficBuffer.h"
#include "core/TerminalHistory.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QCompleter;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTimer;
class QToolButton;

namespace vx {

class TSXComm;

// The completion offers for what is typed: (text shown, text put in the field).
struct TerminalOffer {
    QString shown;
    QString text;
};
// Two letters or more of a command: the commands starting with them and what they
// do; "rp 203" or "wp 203": that parameter's name.
std::vector<TerminalOffer> terminalOffers(const QString& typed);

class TFormTerminal : public QDialog {
    Q_OBJECT
public:
    explicit TFormTerminal(QWidget* parent = nullptr);
    void LezenTeksten();

    QLabel* LabelHistorie = nullptr;
    QComboBox* ComboHistorie = nullptr;
    QPlainTextEdit* ListTerminal = nullptr;
    QCheckBox* CheckHex = nullptr;
    QPushButton* CmdWissen = nullptr;
    QPushButton* CmdOpslaan = nullptr;
};

class TerminalPanel : public QObject {
    Q_OBJECT
public:
    // component: the object name of the terminal's protocol component.
    TerminalPanel(QWidget* window, QLineEdit* edit, QPushButton* send, QGroupBox* box, TSXComm* port,
                  const QString& component);

    TerminalHistory& history() { return m_history; }
    TFormTerminal* form() const { return m_form; }
    QToolButton* button() const { return m_button; }
    QCompleter* completer() const { return m_completer; }

    // Takes the terminal's exchanges captured since the last time.
    void pull();
    void clearLog();
    bool saveLog(const QString& fileName);
    QString logText() const;
    void offerCompletion(const QString& typed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sent();
    void refreshHistoryCombo();
    void render();

    struct Entry {
        int64_t wallMs = 0;
        uint32_t durationUs = 0;
        std::string request;
        std::string reply;
        TrafficOutcome outcome = TrafficOutcome::Ok;
    };
    QLineEdit* m_edit;
    std::shared_ptr<TrafficBuffer> m_buffer;
    uint64_t m_next = 0;
    QString m_component;
    std::vector<Entry> m_log;
    TerminalHistory m_history;
    TFormTerminal* m_form = nullptr;
    QToolButton* m_button = nullptr;
    QCompleter* m_completer = nullptr;
    QStandardItemModel* m_offers = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace vx
