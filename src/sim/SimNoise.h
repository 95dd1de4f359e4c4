#pragma once
// The pieces of a noisy line: where a cut or a changed byte strikes, and junk bytes.
#include <cstdint>
#include <string>

namespace vx::sim {

// A byte no reply holds: a control character other than CR, LF, XON and XOFF.
uint8_t junkByte(uint64_t draw);
std::string junkBytes(uint64_t pick, size_t count);
// Where a reply is cut: inside a number when it has one (never before byte 1).
size_t cutPosition(const std::string& text, uint64_t pick);
// The text with one to three of its bytes replaced by junk.
std::string corrupted(const std::string& text, uint64_t pick);

} // namespace vx::sim
