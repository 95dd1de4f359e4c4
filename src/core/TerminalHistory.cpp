#include "core/TerminalHistory.h"
#include "core/AtomicFile.h"
#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vx {

namespace {

// A request is one line of text: a control character in a file line (NUL, ESC, a C1
// byte, a Unicode line separator) would go out on the line with it.
bool sendable(const QString& request)
{
    return !request.isEmpty() && std::none_of(request.begin(), request.end(), [](QChar c) {
        const QChar::Category k = c.category();
        return k == QChar::Other_Control || k == QChar::Separator_Line || k == QChar::Separator_Paragraph;
    });
}

} // namespace

TerminalHistory::TerminalHistory(QString fileName) : m_file(std::move(fileName)) { }

QString TerminalHistory::defaultFile() { return paths::userDataDir() + QStringLiteral("/term_history"); }

void TerminalHistory::load()
{
    m_entries.clear();
    m_walk = -1;
    QFile f(m_file);
    if (m_file.isEmpty() || !f.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        const QString r = line.trimmed();
        if (sendable(r) && (m_entries.isEmpty() || m_entries.constLast() != r))
            m_entries.push_back(r);
    }
    if (m_entries.size() > Limit)
        m_entries = m_entries.mid(m_entries.size() - Limit);
}

bool TerminalHistory::add(const QString& request)
{
    m_walk = -1;
    const QString r = request.trimmed();
    if (!sendable(r) || (!m_entries.isEmpty() && m_entries.constLast() == r))
        return true;
    m_entries.push_back(r);
    if (m_entries.size() > Limit)
        m_entries.removeFirst();
    return save();
}

bool TerminalHistory::save() const
{
    if (m_file.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    return saveAtomically(m_file, m_entries.join(u'\n').toUtf8() + '\n');
}

QString TerminalHistory::older(const QString& typing)
{
    if (m_entries.isEmpty())
        return typing;
    if (m_walk < 0) {
        m_typing = typing;
        m_walk = int(m_entries.size());
    }
    if (m_walk > 0)
        --m_walk;
    return m_entries[m_walk];
}

QString TerminalHistory::newer(const QString& current)
{
    if (m_walk < 0)
        return current;
    if (++m_walk >= int(m_entries.size())) {
        m_walk = -1;
        return m_typing;
    }
    return m_entries[m_walk];
}

} // namespace vx
