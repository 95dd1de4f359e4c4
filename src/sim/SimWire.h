#pragma once
// Bit-level model of an asynchronous serial line: what a UART set to one frame
// makes of characters sent by a UART set to another. Times are in seconds on an
// arbitrary common origin.
#include "comm/SerialLine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx::sim {

// Start bit + data bits + parity bit + stop bits.
int bitsPerChar(const LineFrame& frame);
double charSeconds(const LineFrame& frame);
bool validFrame(const LineFrame& frame);
// "9600 8O1"
std::string frameText(const LineFrame& frame);

struct TxChar {
    uint8_t value = 0;
    double start = 0; // time the start bit begins
};

struct TxStream {
    LineFrame frame;
    std::vector<TxChar> chars; // sorted by start, not overlapping
};

struct RxChar {
    uint8_t value = 0;
    uint32_t flags = 0; // CE_* line errors of this character
    double ready = 0;   // time the receiver hands the character out
};

// Characters sent one after the other without idle time between them.
TxStream backToBack(const std::string& bytes, const LineFrame& frame, double start);

// What a receiver set to `rx` reads from the line driven by `streams`. More than one
// stream is a collision: the line is low while any transmitter drives it low.
// The receiver samples at sixteen times its baud rate like a real UART.
std::vector<RxChar> receive(const std::vector<TxStream>& streams, const LineFrame& rx);

} // namespace vx::sim
