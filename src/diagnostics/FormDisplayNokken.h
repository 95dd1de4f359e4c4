#pragma once
// Cam overview: which cam drives which output, and the details of the cam under
// the cursor. Reads the value store only; sends nothing.
#include <QDialog>

class QLabel;
class QTableWidget;

namespace vx {

class TFormDisplayNokken : public QDialog {
    Q_OBJECT
public:
    explicit TFormDisplayNokken(QWidget* parent = nullptr);

    void FormActivate();
    void StringGrid1SelectCell(int column, int row);
    void UpdateOnSelectedCell(int column, int row);

    QTableWidget* StringGrid1 = nullptr;
    // The legend of the cell colours: a swatch and a function name each.
    QLabel* LegendaKleur[3] = {};
    QLabel* LegendaTekst[3] = {};
    QLabel* LabelNokNummer = nullptr;
    QLabel* LabelFunctie = nullptr;
    QLabel* LabelBron = nullptr;
    QLabel* LabelAanvang = nullptr;
    QLabel* LabelEinde = nullptr;
    QLabel* LabelHysteresis = nullptr;
    QLabel* LabelVervroeging = nullptr;
    QLabel* PanelNokNummer = nullptr;
    QLabel* PanelFunctie = nullptr;
    QLabel* PanelBron = nullptr;
    QLabel* PanelAanvang = nullptr;
    QLabel* PanelSelectAanvang = nullptr;
    QLabel* PanelEinde = nullptr;
    QLabel* PanelSelectEinde = nullptr;
    QLabel* PanelHysteresis = nullptr;
    QLabel* PanelVervroeging = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace vx
