// Property: any bytes read as a help document give a result (never a crash), and what
// was built stays within the reader's budget: the table cells as rendered, each table
// no wider than a row may be.
#include "FuzzSupport.h"
#include "core/RtfReader.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

using namespace vx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureGuiApp();
    QTextDocument doc;
    const RtfResult r = rtfToDocument(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), &doc);
    FUZZ_CHECK(r.ok || !r.message.isEmpty());
    qint64 cells = 0;
    for (QTextFrame* f : doc.rootFrame()->childFrames())
        if (const auto* t = qobject_cast<QTextTable*>(f)) {
            FUZZ_CHECK(t->columns() <= rtf::MaxCellsPerRow);
            cells += qint64(t->rows()) * t->columns();
        }
    FUZZ_CHECK(cells <= rtf::MaxTableCells);
    FUZZ_CHECK(doc.blockCount() <= rtf::MaxItems + rtf::MaxTableCells + 4);
    return 0;
}
