#pragma once
// The ASCII line protocol: a line of text out, the reply byte by byte back.
#include "comm/SXComm.h"

namespace vx {

// Each value's number is the character code it stands for; scNone means no character.
enum class TSequenceChar : uint8_t {
    scNone,
    scSOH,
    scSTX,
    scETX,
    scEOT,
    scENQ,
    scACK,
    scBEL,
    scBS,
    scHT,
    scLF,
    scVT,
    scFF,
    scCR,
    scSO,
    scSI,
    scDLE,
    scDC1,
    scDC2,
    scDC3,
    scDC4,
    scNAK,
    scSYN,
    scETB,
    scCAN,
    scEM,
    scSUB,
    scESC,
    scFS,
    scGS,
    scRS,
    scUS,
    scSPACE
};

class TPX400Protocol : public TSXProtocolComponent {
    Q_OBJECT
public:
    explicit TPX400Protocol(QObject* owner = nullptr);

    QString ASCIIProtocol() const { return m_text; }
    void setASCIIProtocol(const QString& text) { m_text = text; }
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool on) { m_filtered = on; }
    TSequenceChar ReceiveStart() const { return m_receiveStart; }
    void setReceiveStart(TSequenceChar c) { m_receiveStart = c; }
    TSequenceChar ReceiveStop() const { return m_receiveStop; }
    void setReceiveStop(TSequenceChar c) { m_receiveStop = c; }
    // End a reply at its line end once it holds the request's echo; the pause stays
    // the rule for any other reply.
    bool EndAtLineEnd() const { return m_endAtLineEnd; }
    void setEndAtLineEnd(bool on) { m_endAtLineEnd = on; }
    TSequenceChar ProtocolHead() const { return m_head; }
    void setProtocolHead(TSequenceChar c) { m_head = c; }
    TSequenceChar ProtocolFoot() const { return m_foot; }
    void setProtocolFoot(TSequenceChar c) { m_foot = c; }

    // Head, text and foot together are at most this many bytes.
    static constexpr int MaxFrameBytes = 254;

    // Trims ASCIIProtocol (the property keeps the trimmed text), builds the frame and
    // queues it. A text too long for the frame is cut at the end.
    void Send() override;
    // The text of the request whose reply is (or was last) being received: what a
    // reply must answer. Before any exchange, the request text.
    QString AnsweredText() const;
    void DataReceived(const uint8_t* block, const uint8_t* requestFrame, bool& restartFlag) override;
    ProtocolKind protocolKind() const override { return ProtocolKind::ASCII; }
    LineFraming lineFraming() const override
    {
        return {static_cast<uint8_t>(m_receiveStart), static_cast<uint8_t>(m_receiveStop), m_filtered, m_endAtLineEnd};
    }

private:
    QString m_text;
    bool m_filtered = false;
    bool m_endAtLineEnd = false;
    TSequenceChar m_receiveStart = TSequenceChar::scNone;
    TSequenceChar m_receiveStop = TSequenceChar::scNone;
    TSequenceChar m_head = TSequenceChar::scNone;
    TSequenceChar m_foot = TSequenceChar::scNone;
};

} // namespace vx
