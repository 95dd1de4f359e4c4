#pragma once
// The traffic window: every exchange of the open port as it happens, from the
// port's capture, so opening it late still shows what went before. Non-modal; it
// only reads the capture and never stops the polling.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace vx {

class TSXComm;
class TrafficModel;

class TFormVerkeer : public QDialog {
    Q_OBJECT
public:
    explicit TFormVerkeer(TSXComm* port, QWidget* parent = nullptr);

    void LezenTeksten();
    // Takes in what was captured since the last tick (the view's timer calls it).
    void TimerVerkeerTimer();
    void CmdPauzeClick();
    void CmdWissenClick();
    // Saves the shown rows and columns; tab-separated, or CSV for a .csv name.
    bool CmdOpslaanClick();
    bool saveTo(const QString& fileName);
    void applyFilter();
    bool paused() const { return m_paused; }
    TrafficModel* model() const { return m_model; }

    QCheckBox* CheckVerbergCyclisch = nullptr;
    QComboBox* ComboComponent = nullptr;
    QCheckBox* CheckAlleenFouten = nullptr;
    QLineEdit* EditZoeken = nullptr;
    QCheckBox* CheckHex = nullptr;
    QPushButton* CmdPauze = nullptr;
    QPushButton* CmdWissen = nullptr;
    QPushButton* CmdOpslaan = nullptr;
    QLabel* LabelAantal = nullptr;
    QTableView* TableVerkeer = nullptr;
    QTimer* TimerVerkeer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateSources();
    void updateCount();

    TrafficModel* m_model = nullptr;
    bool m_paused = false;
    bool m_cyclicTouched = false;
    int m_sourcesKnown = 0;
};

} // namespace vx
