#include "support/EventWait.h"

#include <QEventLoop>
#include <QTimer>

namespace vx::test {

bool waitFor(const std::function<bool()>& done, int ms)
{
    QEventLoop loop;
    QTimer poll;
    QTimer limit;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(20);
    limit.setSingleShot(true);
    limit.start(ms);
    if (!done())
        loop.exec();
    return done();
}

} // namespace vx::test
