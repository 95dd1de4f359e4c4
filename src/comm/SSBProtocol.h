#pragma once
// Raw telegrams framed DLE STX ... DLE ETX, DLE doubled, XOR check byte (SSBCodec has
// the layout). The request frame is filled with setFrameByte (byte 0 = count
// including itself) before Send.
#include "comm/SXComm.h"

namespace vx {

class TSSBProtocol : public TSXProtocolComponent {
    Q_OBJECT
public:
    explicit TSSBProtocol(QObject* owner = nullptr) : TSXProtocolComponent(owner) { }
    ProtocolKind protocolKind() const override { return ProtocolKind::SSB; }
};

} // namespace vx
