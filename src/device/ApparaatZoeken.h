#pragma once
// Device search: probes every unit number at every baud rate (and, on request, every
// parity and stop-bit setting) with "sc <unit>" and lists the controllers that answer.
// The search is driven by the protocol components' reply and error events: each step
// sends one request and the next step runs from its answer, so the UI never waits.
#include "comm/SXComm.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
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

// One probe's line settings and unit number.
struct ZoekStand {
    int unit = 0;
    TBaudrate baud = TBaudrate::br9600;
    TParityBit parity = TParityBit::None;
    TStopBit stop = TStopBit::sb_1;
    bool operator==(const ZoekStand&) const = default;
};

// What the user chose before Start, plus the port's own parity and stop bits.
struct ZoekKeuze {
    TBaudrate start = TBaudrate::br9600;
    bool parityAuto = false;
    bool stopAuto = false;
    TParityBit comParity = TParityBit::Even;
    TStopBit comStop = TStopBit::sb_1;
};

// The first probe of a search.
ZoekStand firstProbe(const ZoekKeuze& keuze);
// The probe after s; none when every combination has been tried.
std::optional<ZoekStand> nextProbe(const ZoekStand& s, const ZoekKeuze& keuze);
// The baud rate after b in the search's cycle 9600 .. 57600.
TBaudrate nextSearchBaud(TBaudrate b);
// How many probes a search makes, and how many come before s (its place, from 0).
int probeCount(const ZoekKeuze& keuze);
int probeIndex(const ZoekStand& s, const ZoekKeuze& keuze);

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
    const ZoekStand& stand() const { return m_stand; }

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
    void probe();
    void stopZoeken();
    void setIdleControls(bool verder);
    void clearGrid();
    void setCell(int row, int col, const QString& text);
    void PX400ApparaatZoekenCommResult(const QByteArray& reply);
    void PX400ApparaatZoekenCommError(const TCommError& error);
    void ASCIILeesTypeInfoCommResult(const QByteArray& reply);
    void applyToPort(const ZoekStand& s);
    bool portFailure(const EComm& e);

    TPX400Protocol* m_probe = nullptr;
    TPX400Protocol* m_typeInfo = nullptr;

    bool StartFlag = false;
    bool StopFlag = false;
    bool m_finished = false;
    QElapsedTimer m_zoekTijd;
    void toonVoortgang(int done);
    int m_gridRow = 1;
    int TypeStep = 0;
    QString m_typeText;
    ZoekKeuze m_keuze;
    ZoekStand m_stand;
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
