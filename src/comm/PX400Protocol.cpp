#include "comm/PX400Protocol.h"

namespace vx {

TPX400Protocol::TPX400Protocol(QObject* owner) : TSXProtocolComponent(owner) { }

namespace {

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.unicode() == 0x7F;
}

} // namespace

void TPX400Protocol::Send()
{
    int from = 0;
    int to = int(m_text.size());
    while (from < to && isBlankOrControl(m_text[from]))
        ++from;
    while (to > from && isBlankOrControl(m_text[to - 1]))
        --to;
    m_text = m_text.mid(from, to - from);

    QByteArray text = m_text.toLatin1();
    const int room = MaxFrameBytes - (m_head != TSequenceChar::scNone) - (m_foot != TSequenceChar::scNone);
    if (text.size() > room)
        text.truncate(room);

    int position = 1;
    if (m_head != TSequenceChar::scNone)
        m_frame[position++] = static_cast<uint8_t>(m_head);
    for (char c : text)
        m_frame[position++] = static_cast<uint8_t>(c);
    if (m_foot != TSequenceChar::scNone)
        m_frame[position++] = static_cast<uint8_t>(m_foot);
    m_frame[0] = static_cast<uint8_t>(position);
    TSXProtocolComponent::Send();
}

QString TPX400Protocol::AnsweredText() const
{
    if (!hasExchanged())
        return m_text;
    const TFrame& f = exchangeFrame();
    int from = 1;
    int to = f[0];
    // Head and foot are control characters, never part of the text.
    while (from < to && f[size_t(from)] <= 0x20)
        ++from;
    while (to > from && f[size_t(to - 1)] <= 0x20)
        --to;
    return QString::fromLatin1(reinterpret_cast<const char*>(f.data() + from), to - from);
}

void TPX400Protocol::DataReceived(const uint8_t* block, const uint8_t* requestFrame, bool& restartFlag)
{
    // A failed attempt left part of a reply; the retry starts it afresh.
    if (restartFlag)
        m_result.clear();
    const int count = block[0];
    if (count > 1)
        m_result.append(reinterpret_cast<const char*>(block + 1), count - 1);
    TSXProtocolComponent::DataReceived(block, requestFrame, restartFlag);
}

} // namespace vx
