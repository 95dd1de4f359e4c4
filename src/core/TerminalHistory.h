#pragma once
// The terminal's sent requests, newest last, kept in a file in the user's data
// folder (shared by the main window's terminal and "vx5x term").
#include <QString>
#include <QStringList>

namespace vx {

class TerminalHistory {
public:
    static constexpr int Limit = 200;

    // An empty file name keeps the history in memory only.
    explicit TerminalHistory(QString fileName = {});
    // <userDataDir>/term_history
    static QString defaultFile();

    // Reads the file's last Limit requests; a repeat in a row counts once, and a line
    // with a control character in it is no request.
    void load();
    // Adds a sent request (blank ones, ones with a control character and one equal to
    // the last are left out) and writes the file. False when the file could not be written.
    bool add(const QString& request);
    const QStringList& entries() const { return m_entries; }
    QString fileName() const { return m_file; }

    // Walking with Up and Down: older() steps back from the newest, newer() forward;
    // past the newest comes the text that was being typed.
    QString older(const QString& typing);
    QString newer(const QString& current);
    void resetWalk() { m_walk = -1; }

private:
    bool save() const;

    QString m_file;
    QStringList m_entries;
    int m_walk = -1; // index while walking, -1 when not
    QString m_typing;
};

} // namespace vx
