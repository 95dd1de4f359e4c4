#pragma once
// The parameter editor: the menu tree on the left, the parameters of the selected
// menu on the right, and the commands on the whole set (defaults, files, transfers,
// the loader, the service dialog for one parameter).
#include "params/Compare.h"
#include "params/ParTree.h"
#include "params/ValueStore.h"

#include <QDateTime>

#include <QDialog>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vx {

class TFormParamService;
class TFormParLoader;

// The parameter print dialog's property with the number of values the editor holds
// unsent, set before it opens the dialog.
inline constexpr const char* UnsentValuesProperty = "vxUnsentValues";

// Where the editors' values came from when it was the controller: its identification.
QString controllerSource();
// An editor's title: caption, source, and " *" while changed.
QString editorTitle(const QString& caption, const QString& source, bool changed);

class TFormEditParam : public QDialog {
    Q_OBJECT
public:
    explicit TFormEditParam(QWidget* parent = nullptr);

    static constexpr int GridRows = 18; // data rows; row r of the menu is table row r - 1
    static constexpr int GridCols = 5;

    // The dialogs this window opens; either may be left unset.
    void setServiceDialog(TFormParamService* dialog) { m_service = dialog; }
    void setLoader(TFormParLoader* dialog);

    // Text of a grid cell; row 1..18 as in the menu, 0 the header.
    QString cell(int row, int col) const;
    int groep() const { return m_groep; }
    int sub() const { return m_sub; }
    int geselecteerdeDec() const { return m_selDec; }
    QLabel* statusPanel(int index) const { return m_panels[index]; }

    QMenuBar* ParamMenu1 = nullptr;
    QMenu* menuBestand = nullptr;
    QMenu* menuZendenOntvangen = nullptr;
    QMenu* menuVenster = nullptr;
    QMenu* menuHelp = nullptr;
    QAction* Openen1 = nullptr;
    QAction* OpslaanAls1 = nullptr;
    QAction* LaadDefault1 = nullptr;
    QAction* Afdrukken1 = nullptr;
    QAction* Afsluiten1 = nullptr;
    QAction* ParOntvangen1 = nullptr;
    QAction* ParZenden1 = nullptr;
    QAction* Loader1 = nullptr;
    QAction* Vergelijken1 = nullptr;
    QAction* NokkenInfo1 = nullptr;
    QAction* ErrorNummers1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QPushButton* CmdClear = nullptr;

public slots:
    void FormActivate();
    void LezenTeksten();
    void TreeView1Change();
    void VulGrid();
    void StringGrid1SelectCell(int row);
    void StringGrid1DblClick();
    void CmdClearClick();
    void OpenenClick();
    void OpslaanAlsClick();
    void ParOntvangenClick();
    void ParZendenClick();
    void LaadDefaultClick();
    void AfdrukkenClick();
    void LoaderClick();
    void VergelijkenClick();
    void NokkenInfoClick();
    void ErrorNummersClick();
    // Confirmation before sending a set that was never loaded; true to go on.
    bool ZendenToegestaan();
    // The closing question after single writes without "bp"; true to close.
    bool FormCloseQuery();
    // Values changed since they were last loaded, received, saved or sent.
    bool gewijzigd() const;
    int aantalGewijzigd() const;
    // Send / Save / Discard / Cancel when something changed; true to close.
    bool VraagOnbewaard();
    // Puts back the values as last loaded, received, saved or sent.
    void verwerpWijzigingen();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void reject() override;

private:
    void buildMenu();
    void buildControls();
    void clearGrid();
    void setCel(int row, int col, const QString& text);
    void legeStatusPanelen();
    void verversFunctieTeksten();
    void updateMenuItems();
    bool portOpen() const;
    void nieuweBasis(const QString& bron);
    void updateTitel();
    QString bronVanStatus() const;
    void toonOpgeslagen();

    TFormParamService* m_service = nullptr;
    TFormParLoader* m_loader = nullptr;
    QLabel* m_panels[7] = {};
    int m_groep = 0;
    int m_sub = 0;
    int m_selDec = 0;
    bool m_anderVensterGebruikt = false;
    TParWaarden m_basis;   // the values as last loaded, received, saved or sent
    int m_basisStatus = 0; // ParStatus that went with them
    bool m_basisGezet = false;
    QString m_bron;                // where they came from: the controller or a file name
    quint64 m_ontvangenGezien = 0; // ParOntvangen when the reference was taken
    // The reference came from or went to the controller.
    bool basisVanBesturing() const;
    compare::ValueSet alsSet() const;
    QString m_caption;    // the language file's title
    QString m_opgeslagen; // the file last saved, for the status line
};

} // namespace vx
