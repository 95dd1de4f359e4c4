#include "app/InfoErrorNummers.h"

#include <QRegularExpression>
#include <QTextBlock>

#include "core/AppState.h"
#include "core/LanguageTexts.h"
#include "core/RtfReader.h"
#include "core/UiSeams.h"

#include <QEvent>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace vx {

QString errorHelpFileName(int taalIndex)
{
    switch (taalIndex) {
    case 0: return QStringLiteral("ErrorHelp0.rtf");
    case 1: return QStringLiteral("ErrorHelp1.rtf");
    case 2: return QStringLiteral("ErrorHelp2.rtf");
    default: return {};
    }
}

TFormInfoErrorNummers::TFormInfoErrorNummers(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormInfoErrorNummers"));
    setWindowTitle(QStringLiteral("FormInfoErrorNummers"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setModal(false);
    resize(545, 362);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    RichEdit1 = new QTextBrowser(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setOpenLinks(false);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(RichEdit1);
}

void TFormInfoErrorNummers::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TFormInfoErrorNummers::FormActivate()
{
    QPalette p = RichEdit1->palette();
    p.setColor(QPalette::Base, QColor(255, 255, 151));
    RichEdit1->setPalette(p);
    if (app().TaalGeladen) setWindowTitle(texts::HelpErrorNummers("Caption"));

    const QString name = errorHelpFileName(app().TaalIndex);
    if (name.isEmpty()) return;
    const QString path = app().ExeDir + name;
    const QFileInfo info(path);
    if (!info.isFile()) return;
    const RtfResult r = loadRtfFile(path, RichEdit1->document());
    RichEdit1->verticalScrollBar()->setValue(0);
    if (r.ok) {
        m_failedPath.clear();
        if (const int block = blockOfNumber(m_number); block >= 0) {
            QTextCursor c(RichEdit1->document()->findBlockByNumber(block));
            RichEdit1->setTextCursor(c);
            // The heading at the top, not just somewhere in view.
            RichEdit1->verticalScrollBar()->setValue(RichEdit1->verticalScrollBar()->maximum());
            RichEdit1->ensureCursorVisible();
        }
        return;
    }
    const bool sameFailure = path == m_failedPath && info.lastModified() == m_failedStamp && info.size() == m_failedSize;
    m_failedPath = path;
    m_failedStamp = info.lastModified();
    m_failedSize = info.size();
    if (!sameFailure)
        showError(this, windowTitle(), r.errorKind + QStringLiteral(" error raised, with message : ") + r.message);
}

void TFormInfoErrorNummers::showNumber(int n)
{
    m_number = n;
    show();
    raise();
    activateWindow();
    // Activation may come late or not at all (already active): place it now.
    FormActivate();
}

int TFormInfoErrorNummers::blockOfNumber(int n) const
{
    if (n < 0) return -1;
    // Each entry starts with a heading "<word> <n><tab><title>".
    const QRegularExpression heading(QStringLiteral("^\\S+ %1\t").arg(n));
    for (QTextBlock b = RichEdit1->document()->begin(); b.isValid(); b = b.next())
        if (heading.match(b.text()).hasMatch()) return b.blockNumber();
    return -1;
}

} // namespace vx
