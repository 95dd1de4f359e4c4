#pragma once
// Raw telegrams with the header 82h 96h, 82h doubled, XOR check byte (SX2Codec has
// the layout). The request frame is filled with setFrameByte (byte 0 = count
// including itself) before Send.
#include "comm/SXComm.h"

namespace vx {

class TSX2Protocol : public TSXProtocolComponent {
    Q_OBJECT
public:
    explicit TSX2Protocol(QObject* owner = nullptr) : TSXProtocolComponent(owner) { }
    ProtocolKind protocolKind() const override { return ProtocolKind::SX2; }
};

} // namespace vx
