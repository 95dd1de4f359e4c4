#pragma once
// The backups of one controller (by its "rx" text), newest first: date, kind and how
// many values differ from the one before. Two chosen open in the compare window; one
// chosen goes back to the controller through the guarded restore.
#include "fleet/History.h"

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;

namespace vx {

class TFormBackupHistory : public QDialog {
    Q_OBJECT
public:
    enum Column { ColDate,
                  ColKind,
                  ColDiffers,
                  ColFile,
                  ColumnCount };

    explicit TFormBackupHistory(QWidget* parent = nullptr);

    QTableWidget* GridHistory = nullptr;
    QPushButton* CmdCompare = nullptr;
    QPushButton* CmdRestore = nullptr;
    QPushButton* CmdClose = nullptr;

    // The folders searched: the safety backups, every folder backups were written to.
    static QStringList folders();
    // Lists the backups of rx.
    void showController(const QString& rx);
    const QList<fleet::HistoryEntry>& entries() const { return m_entries; }
    QString cell(int row, int col) const;
    void select(const QList<int>& rows);

    // Restores a file through the guarded restore (set by the program).
    std::function<void(const QString& path)> restore;

public slots:
    void CmdCompareClick();
    void CmdRestoreClick();

private:
    QList<int> chosen() const;

    QString m_rx;
    QList<fleet::HistoryEntry> m_entries;
};

} // namespace vx
