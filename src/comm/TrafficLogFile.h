#pragma once
// The traffic log on disk: one file a day (vx5x-YYYY-MM-DD.log, then .1.log, .2.log,
// ... once a file reaches its limit), only whole lines, kept for a number of days.
#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QTimer;

namespace vx {

class TSXComm;
class TrafficBuffer;
struct TrafficRecord;

class TrafficLogFile {
public:
    static constexpr qint64 DefaultLimit = 10 * 1024 * 1024;
    static constexpr int KeepDays = 30;

    explicit TrafficLogFile(QString folder, qint64 limit = DefaultLimit);

    // Appends the lines (without line ends) to the day's file, moving on to the
    // next file before one would pass the limit. False when the folder or a file
    // cannot be written (errorString says why).
    bool append(const QStringList& lines, const QDate& day);
    // Removes the log files older than keepDays before today.
    static void prune(const QString& folder, const QDate& today, int keepDays = KeepDays);
    static QString fileName(const QDate& day, int part);

    QString folder() const { return m_folder; }
    QString errorString() const { return m_error; }

private:
    bool openPart(const QDate& day);

    QString m_folder;
    qint64 m_limit;
    QDate m_day;
    int m_part = 0;
    qint64 m_size = 0;
    QString m_error;
};

// What a component asks, as the traffic window and the log name it ("Live: position 1",
// "Transfer", "Search"); a component of no known purpose keeps its own name.
QString trafficSourceName(const QString& componentName);

// One exchange as a log line: date and time, component, request, reply, duration,
// outcome, tab-separated.
QString trafficLogLine(const TrafficRecord& r, const QString& source);

// Writes every exchange of a port to the log, at least once a second.
class TrafficLogger : public QObject {
    Q_OBJECT
public:
    TrafficLogger(TSXComm* port, const QString& folder, QObject* parent = nullptr);
    ~TrafficLogger() override;
    // Writes what was captured since the last time.
    void flush();
    // A line of its own after the traffic so far ("backup", "file ... result").
    void note(const QString& kind, const QString& text);
    TrafficLogFile& file() { return m_file; }

private:
    std::shared_ptr<TrafficBuffer> m_buffer;
    TrafficLogFile m_file;
    uint64_t m_next = 0;
    QTimer* m_timer = nullptr;
};

// The program's one traffic log, on while the option is on.
void setTrafficLogging(bool on, TSXComm* port, const QString& folder);
bool trafficLogging();
TrafficLogger* trafficLogger();
// A summary line in the log when it is on (backup, restore); nothing when it is off.
void trafficLogNote(const QString& kind, const QString& text);
// The connected controller's type and serial number, for summary lines.
void setTrafficLogController(const QString& typeAndSerial);
// "restore", the file, the controller, "ok" or "failed".
void trafficLogSummary(const QString& kind, const QString& file, bool ok);

} // namespace vx
