#include "app/WindowRegistry.h"

#include <QWidget>

#include <map>

namespace vx {

namespace {
std::multimap<int, std::function<void(TFormMain&)>>& registry()
{
    static std::multimap<int, std::function<void(TFormMain&)>> r;
    return r;
}
} // namespace

WindowRegistration::WindowRegistration(WindowOrder order, std::function<void(TFormMain&)> create)
{
    registry().emplace(int(order), std::move(create));
}

void createRegisteredWindows(TFormMain& main)
{
    for (auto& [order, create] : registry()) create(main);
}

void keepInSlot(QWidget*& slot, QWidget* w)
{
    slot = w;
    QObject::connect(w, &QObject::destroyed, [&slot, w] {
        if (slot == w) slot = nullptr;
    });
}

} // namespace vx
