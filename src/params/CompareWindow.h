#pragma once
// Two value sets side by side (controller read now, the editor's values, a file, the
// defaults) with the differences marked; ticked rows can be written to the controller
// one value at a time, or taken into the editor.
#include "params/Compare.h"
#include "params/SetTransfer.h"

#include <QDialog>
#include <QHash>
#include <QSize>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QTableView;

namespace vx::plans {
class AsyncRunner;
class Plan;
class RowWritePlan;
class SetReadPlan;
} // namespace vx::plans

namespace vx {

class TPX400Protocol;
class CompareModel;

class TFormCompare : public QDialog {
    Q_OBJECT
public:
    enum class Source { Controller,
                        Editor,
                        File,
                        Defaults };
    enum Column { ColTick,
                  ColNumber,
                  ColName,
                  ColA,
                  ColB,
                  ColLimits,
                  ColResult,
                  ColMenu, // shown while grouped by menu
                  ColumnCount };
    enum class RowState { None,
                          Written,
                          Refused,
                          NoReply,
                          Taken,
                          Verified,   // written and read back the same
                          Mismatch }; // written, but the controller holds another value

    // sets: what the opening editor holds (parameters, setpoints).
    explicit TFormCompare(transfer::Sets sets, QWidget* parent = nullptr);
    ~TFormCompare() override;

    // Loads one side (0 left, 1 right); a file source takes path, or asks for one
    // when it is empty. False (with the reason shown) when the side could not be loaded.
    // The controller is read from the event loop: true means the read started, and
    // the side shows once busy() is over (or the reason, with the old side kept).
    bool setSide(int side, Source source, const QString& path = QString());
    // Rows shown now, in order.
    int visibleRows() const;
    const compare::Row& rowAt(int tableRow) const;
    RowState stateAt(int tableRow) const;
    void setTicked(int tableRow, bool on);
    // A read or the write of the ticked rows is under way.
    bool busy() const { return m_busy; }
    bool isTicked(int tableRow) const;
    // The text of a cell as the table shows it.
    QString cellText(int tableRow, int column) const;
    // Both sides given as values with their column names (what was written against
    // what was read back); they count as files, so Refresh keeps them.
    void showSets(const QString& nameA, const compare::ValueSet& a, const QString& nameB,
                  const compare::ValueSet& b);
    // Names a side given with showSets after the file it came from: the label (one or
    // two short lines, shown whole as its column's header) and the file name in its
    // selector, the full path in their tips.
    void setSideLabel(int side, const QString& label, const QString& path);
    // The text of a side's selector and of its column header.
    QString sideText(int side) const;
    QString headerText(int side) const;
    // Draws a printed report of text lines (title first) on a page of the given size;
    // newPage starts the next one. The report machinery, which lives above this window,
    // sets it; without it the window cannot print.
    using ReportDrawer = std::function<void(QPainter&, QSize, const QString& title, const QStringList& lines,
                                            const std::function<void()>& newPage)>;
    static void setReportDrawer(ReportDrawer drawer);
    // The visible rows as report lines, a menu heading before each group when grouped.
    QStringList reportLines() const;
    // Writes the comparison as a PDF; false with the reason on failure.
    bool printPdf(const QString& path, QString* error = nullptr) const;
    // Values the controller confirmed here (echo, and read-back when on): an editor
    // counts them as sent, not as changes of its own.
    struct Confirmed {
        bool setpoint = false;
        int number = 0;
        qint32 value = 0;
    };
    const QList<Confirmed>& confirmed() const { return m_confirmed; }
    // Writes the CSV of the visible rows; false with the reason on failure.
    bool exportCsv(const QString& path, QString* error = nullptr) const;

    QComboBox* ComboA = nullptr;
    QComboBox* ComboB = nullptr;
    QCheckBox* CheckOnlyDiff = nullptr;
    QCheckBox* CheckGroup = nullptr; // rows in the order of the editor's menu tree
    QLineEdit* EditFilter = nullptr;
    QTableView* Grid = nullptr;
    QPushButton* CmdWrite = nullptr;
    QPushButton* CmdTake = nullptr;
    QPushButton* CmdExport = nullptr;
    QPushButton* CmdPrint = nullptr;
    QPushButton* CmdClose = nullptr;
    QLabel* PanelStatus = nullptr;

public slots:
    void LezenTeksten();
    void Refresh();
    void CmdWriteClick();
    void CmdTakeClick();
    void CmdExportClick();
    void CmdPrintClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Side {
        Source source = Source::Editor;
        QString path;
        QString name;          // column name instead of the source's
        bool labelled = false; // name and path from setSideLabel
        compare::ValueSet values;
        bool loaded = false;
    };
    struct Entry {
        compare::Row row;
        bool ticked = false;
        RowState state = RowState::None;
        QString result; // why a write got no reply
    };

    void comboChanged(int side);
    // Shows side's source in its selector; a labelled side as an item of its own.
    void showInCombo(int side);
    QString sourceName(const Side& s) const;
    // Starts reading the controller into `side`; readFinished() takes it.
    void readController(int side);
    void readFinished();
    // Shows s as one side.
    void applySide(int side, Side s);
    bool readFile(const QString& path, compare::ValueSet& out);
    void rebuild();
    QString resultText(const Entry& e, qint32 p203) const;
    void fillGrid();
    // The result column in view: values and limits by their content, the name column
    // takes what is left and elides.
    void fitColumns(bool measure = true);
    void fitNameColumn();
    // The side whose values go to the controller / the editor: the other one.
    int sourceSideFor(Source target) const;
    void setStatus(const QString& text, bool red = false);
    // Asks for a file name and writes it; the outcome in the status line.
    void saveAs(const QString& caption, const QString& filter, const QString& suffix,
                const std::function<bool(const QString&, QString*)>& write);
    // Reads back the rows just written (and those whose reply was lost) and marks
    // them; the text for the status line.
    QString verifyWritten(const QList<int>& rows);
    // The ticked rows' write ended: marks the rows and says how it went.
    void writeFinished();
    Entry* entryOf(int tableRow);
    const Entry* entryOf(int tableRow) const;

    transfer::Sets m_sets;
    Side m_side[2];
    QList<Entry> m_entries;
    QList<Confirmed> m_confirmed;
    QList<int> m_visible; // indices into m_entries
    QHash<int, compare::MenuPlace> m_places;
    QString menuText(const compare::Row& r) const;
    TPX400Protocol* m_component = nullptr;
    plans::AsyncRunner* m_runner = nullptr;
    std::unique_ptr<plans::RowWritePlan> m_rowPlan;
    std::unique_ptr<plans::SetReadPlan> m_readPlan;
    Side m_reading; // the side being read from the controller
    int m_readSide = 0;
    QList<int> m_writeRows; // the entries being written
    bool m_busy = false;
    CompareModel* m_model = nullptr;
};

} // namespace vx
