#pragma once
// The setpoint editor: the 80 setpoints of the shared store in two columns of 40,
// edited in place, received, sent, saved, opened and printed.
#include <QDialog>
#include <QLineEdit>
#include <QPointer>

#include "params/Compare.h"
#include "params/ValueStore.h"

#include <QDateTime>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QPainter;
class QStyleOptionViewItem;
class QTableWidget;

namespace vx {

class SollGrid;

class TFormEditSollwerten : public QDialog {
    Q_OBJECT
public:
    explicit TFormEditSollwerten(QWidget* parent = nullptr);

    // Grid geometry: row 0 is the header, rows 1..40 hold setpoints r and r + 40.
    static constexpr int ColNo1 = 0, ColWaarde1 = 1, ColSpacer = 2, ColNo2 = 3, ColWaarde2 = 4;
    static constexpr int Rows = 40;
    static constexpr qint32 MinSollwert = -9999999;
    static constexpr qint32 MaxSollwert = 99999999;

    QTableWidget* StringGrid1 = nullptr;
    QLabel* Panel1 = nullptr;
    QMenuBar* SollMenu1 = nullptr;
    QMenu* Bestand1 = nullptr;
    QMenu* ZendenOntvangen1 = nullptr;
    QAction* Openen1 = nullptr;
    QAction* Opslaanals1 = nullptr;
    QAction* N1 = nullptr; // separators
    QAction* Afdrukken = nullptr;
    QAction* N2 = nullptr;
    QAction* Afsluiten1 = nullptr;
    QAction* Sollwertenontvangen1 = nullptr;
    QAction* Sollwertenzenden1 = nullptr;
    QAction* Vergelijken1 = nullptr;

    int EditCol = ColWaarde1;
    int EditRow = 1;
    int LastKey = 0; // Qt key code of the last key that went down
    QString InvalidText;

    // The line editor of the cell being edited, or null.
    QLineEdit* inplaceEditor() const { return m_editor; }
    bool editing() const { return m_editor != nullptr; }

    void FormActivate();
    void InitSollwertStringgrid();

    // Setpoint number behind a grid cell, 0 for cells that hold none.
    static int sollNr(int col, int row);

    // Grid handlers. KeyDown returns true when it used the key up; KeyPress returns
    // the character to insert (QChar() drops it). remaining is the cell text that
    // the character joins: the editor's text without its selection.
    bool StringGrid1SelectCell(int col, int row) const;
    bool StringGrid1KeyDown(int key);
    QChar StringGrid1KeyPress(QChar c, const QString& remaining) const;
    void StringGrid1DrawCell(QPainter* painter, int col, int row, const QRect& rect) const;

    void Openen1Click();
    void Opslaanals1Click();
    void AfdrukkenClick();
    void Afsluiten1Click();
    void Sollwertenontvangen1Click();
    void Sollwertenzenden1Click();
    void Vergelijken1Click();

    // Values changed since they were last loaded, received, saved or sent.
    bool gewijzigd() const;
    // Send / Save / Discard / Cancel when something changed; true to close.
    bool VraagOnbewaard();
    // Puts back the values as last loaded, received, saved or sent.
    void verwerpWijzigingen();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend class SollGrid;
    friend class SollDelegate;
    void buildMenu();
    void setMenuTexts();
    void enableItems();
    // Keys that reach the open line editor; true when used up.
    bool editorKey(QLineEdit* editor, QKeyEvent* event);
    void editorOpened(QLineEdit* editor);
    void editorClosed();
    void closeEditor();
    void storeEnter();
    void restoreCell();
    QString storedText(int col, int row) const;
    // Yes/No/Cancel warning whose lines are joined as "\n\r"; true for Yes.
    bool askWarning(const QString& caption, const QStringList& lines);

    void nieuweBasis(const QString& bron);
    void updateTitel();
    QString bronVanStatus() const;

    SollGrid* m_grid = nullptr;
    TSollWaarden m_basis;  // the values as last loaded, received, saved or sent
    int m_basisStatus = 0; // SollStatus that went with them
    bool m_basisGezet = false;
    QString m_bron;
    quint64 m_ontvangenGezien = 0;
    compare::ValueSet alsSet() const;
    bool basisVanBesturing() const;
    QPointer<QLineEdit> m_editor;
};

} // namespace vx
