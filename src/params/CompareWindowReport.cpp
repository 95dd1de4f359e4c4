// The compare window's report: the lines of the table as text, printed or exported
// to PDF or CSV.
#include "params/CompareWindow.h"

#include "core/AppState.h"
#include "core/AtomicFile.h"
#include "core/LanguageTexts.h"
#include "core/UiSeams.h"
#include "params/ParFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTableWidget>

namespace vx {

namespace {

QString T(const char* key)
{
    return texts::Compare(key);
}

} // namespace

namespace {
TFormCompare::ReportDrawer& reportDrawer()
{
    static TFormCompare::ReportDrawer drawer;
    return drawer;
}
} // namespace

void TFormCompare::setReportDrawer(ReportDrawer drawer) { reportDrawer() = std::move(drawer); }

QStringList TFormCompare::reportLines() const
{
    // Monospaced columns; long names and values are cut rather than wrapped.
    const auto cell = [](const QString& t, int width) { return t.left(width).leftJustified(width); };
    const int widths[] = {6, 30, 14, 14, 16, 28};
    const auto line = [&](const QStringList& cells) {
        QString out;
        for (int i = 0; i < cells.size(); ++i)
            out += cell(cells[i], widths[i]) + u' ';
        return out.trimmed();
    };
    QStringList lines;
    lines << line({T("ColNumber"), T("ColName"), sourceName(m_side[0]), sourceName(m_side[1]), T("ColLimits"),
                   T("ColResult")});
    QString heading;
    for (int row = 0; row < visibleRows(); ++row) {
        const auto text = [&](int c) { return cellText(row, c); };
        if (CheckGroup->isChecked() && text(ColMenu) != heading) {
            heading = text(ColMenu);
            lines << QString() << heading;
        }
        lines << line({text(ColNumber), text(ColName), text(ColA), text(ColB), text(ColLimits), text(ColResult)});
    }
    return lines;
}

bool TFormCompare::printPdf(const QString& path, QString* error) const
{
    if (!reportDrawer()) {
        if (error)
            *error = QStringLiteral("no report machinery");
        return false;
    }
    bool painted = false;
    const bool saved = saveAtomically(
        path,
        [&](QIODevice& file) {
            QPdfWriter writer(&file);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageOrientation(QPageLayout::Landscape);
            writer.setResolution(300);
            QPainter painter;
            if (!painter.begin(&writer))
                return false;
            painted = true;
            reportDrawer()(painter, QSize(writer.width(), writer.height()), windowTitle(), reportLines(),
                           [&writer] { writer.newPage(); });
            painter.end();
            return true;
        },
        error);
    if (!saved && !painted && error)
        *error = QStringLiteral("cannot write %1").arg(path);
    return saved;
}

void TFormCompare::saveAs(const QString& caption, const QString& filter, const QString& suffix,
                          const std::function<bool(const QString&, QString*)>& write)
{
    const QString path =
        ui().saveFileName(this, caption, app().OpenCloseDialoogPath, files::dialogFilter(filter), suffix);
    if (path.isEmpty())
        return;
    QString error;
    if (write(path, &error))
        setStatus(T("Saved").arg(QFileInfo(path).fileName()));
    else
        setStatus(T("FileFailed").arg(QFileInfo(path).fileName()) + QStringLiteral(": ") + error, true);
}

void TFormCompare::CmdPrintClick()
{
    saveAs(texts::Verify("CmdPrint"), texts::Verify("PrintFilter"), QStringLiteral("pdf"),
           [this](const QString& path, QString* error) { return printPdf(path, error); });
}

void TFormCompare::CmdExportClick()
{
    saveAs(T("CmdExport"), T("ExportFilter"), QStringLiteral("csv"),
           [this](const QString& path, QString* error) { return exportCsv(path, error); });
}

} // namespace vx
