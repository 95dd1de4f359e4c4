#pragma once
// Device search: probes every unit number at every baud rate (and, on request, every
// parity and stop-bit setting) with "sc <unit>" and lists the controllers that answer.
// The window runs the search plan through an asynchronous runner: each request goes
// out when the last one is answered, so the UI never waits.
#include "comm/SXComm.h"
#include "plans/SearchPlan.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <memory>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace vx {

class TPX400Protocol;
class TSXProtocolComponent;
namespace plans {
class AsyncRunner;
}

class TFormApparaatZoeken : public QDialog {
    Q_OBJECT
public:
    explicit TFormApparaatZoeken(QWidget* parent = nullptr);
    ~TFormApparaatZoeken() override;

    static constexpr int DataRows = 31; // rows for hits at activation

    // Text of a grid cell; row 1 is the first data row (row 0 is the header).
    QString cell(int row, int col) const;
    int gridRows() const; // data rows, header not counted
    bool finished() const { return m_finished; }
    const plans::Probe& stand() const { return m_stand; }

public slots:
    void FormActivate();
    void CmdStartZoekenClick();
    void CmdStopClick();
    void CmdVerderClick();
    void CmdOKClick();
    void CmdCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void buildControls();
    void LeesTeksten();
    void ApparaatZoekenStap();
    void probe(const plans::Request& request);
    void zoekenKlaar();
    void stopZoeken();
    void setIdleControls(bool verder);
    void clearGrid();
    void setCell(int row, int col, const QString& text);
    // The components' events, fed to the runner.
    void PX400ApparaatZoekenCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void PX400ApparaatZoekenCommError(TSXProtocolComponent* sender, const TCommError& error, const QByteArray& reply);
    void ASCIILeesTypeInfoCommResult(TSXProtocolComponent* sender, const QByteArray& reply);
    void applyToPort(const plans::LineSettings& line);
    void portFailure(const QString& text);

    TPX400Protocol* m_probe = nullptr;
    TPX400Protocol* m_typeInfo = nullptr;
    plans::AsyncRunner* m_runner = nullptr;
    std::unique_ptr<plans::SearchPlan> m_plan;

    bool StartFlag = false;
    bool StopFlag = false;
    bool m_finished = false;
    QElapsedTimer m_zoekTijd;
    // Time per probe, smoothed, and the probes counted when it was last taken: the
    // estimate must not jump with every slow or quick probe.
    double m_msPerProbe = -1;
    int m_probesTimed = 0;
    qint64 m_timedAt = 0;
    void toonVoortgang(int done);
    int m_gridRow = 1;
    plans::SearchChoice m_keuze;
    plans::Probe m_stand;
    TBaudrate m_startBaud = TBaudrate::br9600; // "Start with" of the plan last run
    TBaudrate m_savedBaud = TBaudrate::br9600;
    TParityBit m_savedParity = TParityBit::Even;
    TStopBit m_savedStop = TStopBit::sb_1;
    QString PanelTekst[4];

public:
    QTableWidget* StringGrid1 = nullptr;
    QComboBox* ComboBaudRate = nullptr;
    QLabel* LabelStartenMet = nullptr;
    QGroupBox* GroupBoxParity = nullptr;
    QRadioButton* RB_parity_com = nullptr;
    QRadioButton* RB_parity_auto = nullptr;
    QGroupBox* GroupBoxStopBits = nullptr;
    QRadioButton* RB_stopbits_com = nullptr;
    QRadioButton* RB_stopbits_auto = nullptr;
    QLabel* Panel_parity_N = nullptr;
    QLabel* Panel_parity_O = nullptr;
    QLabel* Panel_parity_E = nullptr;
    QLabel* Panel_stopbits_1 = nullptr;
    QLabel* Panel_stopbits_2 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QLabel* PanelZoekTekst = nullptr;
    // Combinations done of all, and the time left.
    QLabel* PanelVoortgang = nullptr;
    QLabel* PanelBaudRate = nullptr;
    QLabel* PanelApparaatNo = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdStartZoeken = nullptr;
    QPushButton* CmdStop = nullptr;
    QPushButton* CmdVerder = nullptr;
    QPushButton* CmdCancel = nullptr;
};

} // namespace vx
