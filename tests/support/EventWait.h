#pragma once
// Waiting for work that runs from the event loop. QTRY_* polls with short sleeps between
// batches of events, which slows every hand-over from the port's worker thread; this
// waits in a real event loop, so a whole-set transfer runs at the line's pace.
#include <functional>

namespace vx::test {

// Waits until done() holds or ms have passed; done()'s last answer.
bool waitFor(const std::function<bool()>& done, int ms);

} // namespace vx::test
