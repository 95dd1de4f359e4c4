#pragma once
// The bus overview: every unit found or remembered on the main window's port, one row
// each (port, unit, line, "rt", "rh", "rx", error number with its help title, last
// backup, live or unreachable), polled one unit at a time at a low rate. It searches
// the bus, backs up every unit, opens a unit's history, and a double-click connects
// the main window to that unit.
#include "comm/SXComm.h"
#include "fleet/FleetPlans.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTableWidget;
class QTextDocument;

namespace vx {

class TPX400Protocol;
namespace plans {
class AsyncRunner;
}

class TFormBusOverview : public QDialog {
    Q_OBJECT
public:
    enum Column { ColPort,
                  ColUnit,
                  ColLine,
                  ColType,
                  ColHardware,
                  ColSerial,
                  ColError,
                  ColBackup,
                  ColState,
                  ColumnCount };

    explicit TFormBusOverview(QWidget* parent = nullptr);
    ~TFormBusOverview() override;

    QTableWidget* GridUnits = nullptr;
    QPushButton* CmdSearchBus = nullptr;
    QPushButton* CmdBackupAll = nullptr;
    QPushButton* CmdHistory = nullptr;
    QPushButton* CmdClose = nullptr;
    QLabel* PanelStatus = nullptr;

    // What the search tries; by default units 0..31 at the five rates, the port's
    // parity and stop bits.
    void setSearchChoice(const plans::SearchChoice& choice) { m_choice = choice; }
    // Where "Backup every unit" writes; by default <user data>/Backups/Units.
    void setBackupFolder(const QString& folder) { m_folder = folder; }
    void setPollGap(int ms) { m_gapMs = ms; }
    QString backupFolder() const;

    const QList<fleet::KnownUnit>& units() const { return m_units; }
    QString cell(int row, int col) const;
    // A search or backup under way.
    bool busy() const { return (m_job != Job::None && m_job != Job::Poll) || m_pending != Job::None; }
    bool polling() const { return m_job == Job::Poll; }
    // The last backup's summary, one line per unit.
    const QStringList& summary() const { return m_summary; }

    // Opens the history of a controller (set by the program; the window knows none).
    std::function<void(const QString& rx)> openHistory;

public slots:
    void FormActivate();
    void CmdSearchBusClick();
    void CmdBackupAllClick();
    void CmdHistoryClick();
    // Connects the main window to the unit of that row and closes.
    void connectRow(int row);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Job { None,
                     Poll,
                     Search,
                     Backup };
    void LezenTeksten();
    void fill();
    void fillState(int row);
    void fitWidth();
    void startPoll();
    void startJob(Job job);
    void stopJob();
    void jobFinished();
    QString portName() const;
    QString errorText(int error);

    void showProgress(int done, int total);

    plans::AsyncRunner* m_runners[2] = {};  // poll and backups; the search
    plans::AsyncRunner* m_runner = nullptr; // the one of the job under way
    std::unique_ptr<plans::Plan> m_plan;
    Job m_job = Job::None;
    Job m_pending = Job::None; // waits for the poll to end
    QList<fleet::KnownUnit> m_units;
    QList<fleet::BusPollPlan::State> m_states;
    plans::SearchChoice m_choice;
    QString m_folder;
    int m_gapMs = fleet::BusPollPlan::DefaultGapMs;
    QStringList m_summary;
    // The port's line settings before the window changed them.
    plans::LineSettings m_saved;
    bool m_savedKnown = false;
    bool m_usedLine = false;         // the poll, a search or a backup went over the line
    QTextDocument* m_help = nullptr; // the error help, for the titles of error numbers
    QString m_helpFrom;
};

} // namespace vx
