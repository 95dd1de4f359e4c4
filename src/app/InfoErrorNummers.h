#pragma once
// The error-number help: the controller's error numbers explained in the current
// language, from ErrorHelp<n>.rtf next to the program. Modeless; the document is read
// again every time the window becomes active, so an edited file shows at once.
#include <QDateTime>
#include <QDialog>

class QTextBrowser;

namespace vx {

// File name of the help document for a language index; empty for an unknown index.
QString errorHelpFileName(int taalIndex);

class TFormInfoErrorNummers : public QDialog {
    Q_OBJECT
public:
    explicit TFormInfoErrorNummers(QWidget* parent = nullptr);

    QTextBrowser* RichEdit1 = nullptr;

    // Shows the window at the entry of error number n (-1: at the top).
    void showNumber(int n);
    // The document block of number n's heading, or -1.
    int blockOfNumber(int n) const;

public slots:
    void FormActivate();

protected:
    void changeEvent(QEvent* event) override;

private:
    // The document that last failed to load, so its message is shown once rather than
    // at every activation (closing the message box activates this window again).
    QString m_failedPath;
    QDateTime m_failedStamp;
    qint64 m_failedSize = -1;
    int m_number = -1;
};

} // namespace vx
