#include "comm/TrafficLogFile.h"
#include "comm/SXComm.h"
#include "comm/TrafficBuffer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

namespace vx {

TrafficLogFile::TrafficLogFile(QString folder, qint64 limit) : m_folder(std::move(folder)), m_limit(limit) { }

QString TrafficLogFile::fileName(const QDate& day, int part)
{
    const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
    return part == 0 ? QStringLiteral("vx5x-%1.log").arg(date) : QStringLiteral("vx5x-%1.%2.log").arg(date).arg(part);
}

namespace {

// A crash can leave a line cut short at the end; that rest goes, so the file holds
// whole lines only.
bool cutPartialLine(QFile& f)
{
    const qint64 size = f.size();
    if (size == 0)
        return true;
    if (!f.open(QIODevice::ReadWrite))
        return false;
    const qint64 tail = std::min<qint64>(size, 64 * 1024);
    f.seek(size - tail);
    const QByteArray end = f.read(tail);
    if (end.endsWith('\n')) {
        f.close();
        return true;
    }
    const qsizetype lf = end.lastIndexOf('\n');
    const qint64 keep = lf < 0 ? (tail == size ? 0 : size) : size - tail + lf + 1;
    const bool ok = f.resize(keep);
    f.close();
    return ok;
}

} // namespace

bool TrafficLogFile::openPart(const QDate& day)
{
    if (!QDir().mkpath(m_folder)) {
        m_error = QStringLiteral("cannot create %1").arg(m_folder);
        return false;
    }
    if (day != m_day) {
        m_day = day;
        // Continue in the day's last part.
        m_part = 0;
        while (QFile::exists(m_folder + u'/' + fileName(day, m_part + 1)))
            ++m_part;
        QFile f(m_folder + u'/' + fileName(day, m_part));
        if (!cutPartialLine(f)) {
            m_error = f.errorString();
            return false;
        }
        m_size = f.size();
        prune(m_folder, day);
    }
    return true;
}

bool TrafficLogFile::append(const QStringList& lines, const QDate& day)
{
    if (lines.isEmpty())
        return true;
    if (!openPart(day))
        return false;
    int i = 0;
    while (i < lines.size()) {
        QByteArray chunk;
        while (i < lines.size()) {
            const QByteArray line = lines[i].toUtf8() + '\n';
            // A line never straddles two files; one longer than the limit gets a
            // file of its own.
            if (m_size + chunk.size() + line.size() > m_limit && (m_size > 0 || !chunk.isEmpty()))
                break;
            chunk += line;
            ++i;
        }
        if (!chunk.isEmpty()) {
            QFile f(m_folder + u'/' + fileName(m_day, m_part));
            if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(chunk) != chunk.size()) {
                m_error = f.errorString();
                return false;
            }
            f.close();
            m_size += chunk.size();
        }
        if (i < lines.size()) {
            ++m_part;
            m_size = 0;
        }
    }
    return true;
}

void TrafficLogFile::prune(const QString& folder, const QDate& today, int keepDays)
{
    static const QRegularExpression name(QStringLiteral("^vx5x-(\\d{4}-\\d{2}-\\d{2})(\\.\\d+)?\\.log$"));
    const QDate oldest = today.addDays(-keepDays);
    const QDir dir(folder);
    for (const QString& f : dir.entryList({QStringLiteral("vx5x-*.log")}, QDir::Files)) {
        const auto m = name.match(f);
        if (!m.hasMatch())
            continue;
        const QDate d = QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"));
        if (d.isValid() && d < oldest)
            QFile::remove(dir.filePath(f));
    }
}

QString trafficSourceName(const QString& componentName)
{
    static const QHash<QString, QString> purposes = {
        {QStringLiteral("PX400ActPos1"), QStringLiteral("Live: position 1")},
        {QStringLiteral("PX400ActPos2"), QStringLiteral("Live: position 2")},
        {QStringLiteral("PX400PosVerschil"), QStringLiteral("Live: position difference")},
        {QStringLiteral("PX400Snelheid1"), QStringLiteral("Live: velocity 1")},
        {QStringLiteral("PX400Snelheid2"), QStringLiteral("Live: velocity 2")},
        {QStringLiteral("PX400Spanning"), QStringLiteral("Live: voltage")},
        {QStringLiteral("PX400Stroom"), QStringLiteral("Live: current")},
        {QStringLiteral("PX400_in"), QStringLiteral("Live: inputs")},
        {QStringLiteral("PX400_uit"), QStringLiteral("Live: outputs")},
        {QStringLiteral("PX400ReadError"), QStringLiteral("Error number")},
        {QStringLiteral("PX400ResetError"), QStringLiteral("Error reset")},
        {QStringLiteral("PX400Protocol1"), QStringLiteral("Terminal")},
        {QStringLiteral("PX400UnitSelect"), QStringLiteral("Connect: select unit")},
        {QStringLiteral("PX400TypeInfo"), QStringLiteral("Connect: identify")},
        {QStringLiteral("PX400LeesSchaal"), QStringLiteral("Connect: decimals")},
        {QStringLiteral("PX400LeesParSoll"), QStringLiteral("Transfer")},
        {QStringLiteral("PX400SchrijfParSoll"), QStringLiteral("Transfer")},
        {QStringLiteral("PX400Controle"), QStringLiteral("Transfer: check")},
        {QStringLiteral("PX400Compare"), QStringLiteral("Compare")},
        {QStringLiteral("PX400ApparaatZoeken"), QStringLiteral("Search")},
        {QStringLiteral("ASCIILeesTypeInfo"), QStringLiteral("Search: identify")},
        {QStringLiteral("PX400LeesLogData"), QStringLiteral("Graph")},
        {QStringLiteral("PX400Kalibratie"), QStringLiteral("Calibration")},
        {QStringLiteral("PX400LeesKalibratieWaarden"), QStringLiteral("Calibration: read")},
        {QStringLiteral("PX400BerekenParameters"), QStringLiteral("Editor: compute")},
        {QStringLiteral("PX400ServiceBerPar"), QStringLiteral("Service: compute")},
        {QStringLiteral("PX400ZendServiceParameter"), QStringLiteral("Service: send")},
        {QStringLiteral("PX400ParLoader"), QStringLiteral("Loader")},
        {QStringLiteral("PX400Cli"), QStringLiteral("vx5x")},
    };
    return purposes.value(componentName, componentName);
}

QString trafficLogLine(const TrafficRecord& r, const QString& source)
{
    return trafficWallText(r.wallMs, true) + u'\t' + source + u'\t' + trafficText(r.request) + u'\t'
           + trafficText(r.reply) + u'\t' + trafficDurationText(r.durationUs) + u'\t'
           + trafficOutcomeName(r.outcome);
}

TrafficLogger::TrafficLogger(TSXComm* port, const QString& folder, QObject* parent)
    : QObject(parent), m_buffer(port->trafficBuffer()), m_file(folder), m_next(m_buffer->nextSeq())
{
    m_timer = new QTimer(this);
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, &TrafficLogger::flush);
    m_timer->start();
}

TrafficLogger::~TrafficLogger() { flush(); }

void TrafficLogger::flush()
{
    std::vector<TrafficRecord> records;
    for (;;) {
        records.clear();
        if (m_buffer->read(m_next, 5000, records) == 0)
            return;
        m_next = records.back().seq + 1;
        // Each line goes into the file of its own day.
        QStringList lines;
        QDate day;
        for (const TrafficRecord& r : records) {
            const QString line = trafficLogLine(r, trafficSourceName(m_buffer->sourceName(r.source)));
            const QDate d = QDate::fromString(line.left(10), QStringLiteral("yyyy-MM-dd"));
            if (d != day && !lines.isEmpty()) {
                m_file.append(lines, day);
                lines.clear();
            }
            day = d;
            lines.push_back(line);
        }
        m_file.append(lines, day);
    }
}

void TrafficLogger::note(const QString& kind, const QString& text)
{
    flush();
    // Fields stay fields; a line stays one line.
    QString t = text;
    t.replace(u'\r', u' ').replace(u'\n', u' ');
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_file.append({trafficWallText(now, true) + u'\t' + kind + u'\t' + t}, QDate::currentDate());
}

namespace {
// Owned by its port, so it goes (after a last flush) when the port does.
QPointer<TrafficLogger> g_logger;
QString g_controller;
} // namespace

void setTrafficLogging(bool on, TSXComm* port, const QString& folder)
{
    if (g_logger && (!on || !port || g_logger->parent() != port || g_logger->file().folder() != folder))
        delete g_logger.data();
    if (on && port && !g_logger)
        g_logger = new TrafficLogger(port, folder, port);
}

bool trafficLogging() { return g_logger != nullptr; }

TrafficLogger* trafficLogger() { return g_logger.data(); }

void trafficLogNote(const QString& kind, const QString& text)
{
    if (g_logger)
        g_logger->note(kind, text);
}

void setTrafficLogController(const QString& typeAndSerial) { g_controller = typeAndSerial; }

void trafficLogSummary(const QString& kind, const QString& file, bool ok)
{
    trafficLogNote(kind, file + u'\t' + g_controller + u'\t' + (ok ? QStringLiteral("ok") : QStringLiteral("failed")));
}

} // namespace vx
