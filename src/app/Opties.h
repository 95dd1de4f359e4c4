#pragma once
// The options dialog: the language of the program.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace vx {

class TFormOpties : public QDialog {
    Q_OBJECT
public:
    explicit TFormOpties(QWidget* parent = nullptr);

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* LabelTaal = nullptr;
    QComboBox* ComboTaal = nullptr;
    // Reconnect by itself when the adapter comes back (the main window's setting).
    QCheckBox* CheckAutoVerbinden = nullptr;
    // End replies at their line end instead of after a pause on the line.
    QCheckBox* CheckSnelleAntwoorden = nullptr;
    // Every exchange into the daily traffic log in the user's data folder.
    QCheckBox* CheckLogVerkeer = nullptr;
    QCheckBox* CheckVeiligheidsbackup = nullptr;
    QCheckBox* CheckVerifieren = nullptr;
    // The question before whole-set sends and ticked writes (off for experienced users).
    QCheckBox* CheckVragenVoorSchrijven = nullptr;
    // Sends and restores write every value, not only those that differ from the controller.
    QCheckBox* CheckAllesSchrijven = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* CmdCancel = nullptr;

public slots:
    void FormActivate();
    void CmdOKClick();
    void CmdCancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    int m_oldTaalIndex = 0;
};

} // namespace vx
