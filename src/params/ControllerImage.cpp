#include "params/ControllerImage.h"

#include "params/Compare.h"

#include <algorithm>
#include <memory>

namespace vx {

using transfer::Item;

namespace {
const KnownValue kNothing{};
}

void ControllerImage::identify(const QString& request, const QString& text, const QDateTime& at)
{
    QString* part = request == QLatin1String(cmd::ReadType)     ? &m_identity.type
                    : request == QLatin1String(cmd::ReadIdent2) ? &m_identity.hardware
                    : request == QLatin1String(cmd::ReadIdent3) ? &m_identity.serial
                                                                : nullptr;
    if (!part || *part == text)
        return;
    if (!part->isEmpty()) {
        // Another controller answers at this address: the old one's values say nothing.
        const ControllerIdentity keep = m_identity;
        clear();
        m_identity = keep;
    }
    *part = text;
    m_changedAt = at;
}

KnownValue* ControllerImage::slot(Item item, int number)
{
    if (item == Item::Parameter && TParWaarden::contains(number))
        return &m_par[std::size_t(number - TParWaarden::first)];
    if (item == Item::Setpoint && TSollWaarden::contains(number))
        return &m_soll[std::size_t(number - TSollWaarden::first)];
    return nullptr;
}

const KnownValue& ControllerImage::value(Item item, int number) const
{
    const KnownValue* v = const_cast<ControllerImage*>(this)->slot(item, number);
    return v ? *v : kNothing;
}

std::optional<qint32> ControllerImage::known(Item item, int number) const
{
    const KnownValue& v = value(item, number);
    return v.known() ? std::optional<qint32>(v.value) : std::nullopt;
}

void ControllerImage::set(Item item, int number, const KnownValue& v)
{
    KnownValue* s = slot(item, number);
    if (!s)
        return;
    *s = v;
    m_changedAt = v.when;
}

void ControllerImage::read(Item item, int number, qint32 v, const QDateTime& at)
{
    const KnownValue& was = value(item, number);
    // A read equal to a confirmed or unsure write proves it.
    const bool back = (was.how == KnownHow::Confirmed || was.how == KnownHow::ReadBack || was.how == KnownHow::Unsure)
                      && was.value == v;
    set(item, number, {v, back ? KnownHow::ReadBack : KnownHow::Read, at});
}

void ControllerImage::confirmed(Item item, int number, qint32 v, const QDateTime& at)
{
    set(item, number, {v, KnownHow::Confirmed, at});
    if (item == Item::Parameter)
        m_writtenSinceCompute = true;
}

void ControllerImage::unsure(Item item, int number, qint32 sent, const QDateTime& at)
{
    set(item, number, {sent, KnownHow::Unsure, at});
    if (item == Item::Parameter)
        m_writtenSinceCompute = true;
}

void ControllerImage::computed(const QDateTime& at)
{
    m_writtenSinceCompute = false;
    m_changedAt = at;
}

std::optional<int> ControllerImage::decimals() const
{
    if (const auto v = known(Item::Parameter, ParDecimalsParameter); v && *v >= 0 && *v <= 8)
        return int(*v);
    return std::nullopt;
}

bool ControllerImage::holdsAll(transfer::Sets sets) const
{
    if (sets.parameters)
        for (const KnownValue& v : m_par)
            if (!v.known())
                return false;
    if (sets.setpoints)
        for (const KnownValue& v : m_soll)
            if (!v.known())
                return false;
    return true;
}

int ControllerImage::differing(const compare::ValueSet& wanted) const
{
    int n = 0;
    if (wanted.hasParameters)
        for (int i = TParWaarden::first; i <= TParWaarden::last; ++i)
            n += known(Item::Parameter, i) != std::optional<qint32>(wanted.par.value(i));
    if (wanted.hasSetpoints)
        for (int i = TSollWaarden::first; i <= TSollWaarden::last; ++i)
            n += known(Item::Setpoint, i) != std::optional<qint32>(wanted.soll.value(i));
    return n;
}

int ControllerImage::newerThan(const compare::ValueSet& document, const QDateTime& since) const
{
    const auto newer = [&](const KnownValue& v, qint32 doc) {
        return v.how != KnownHow::Never && (!since.isValid() || v.when > since) && (!v.known() || v.value != doc);
    };
    int n = 0;
    if (document.hasParameters)
        for (int i = TParWaarden::first; i <= TParWaarden::last; ++i)
            n += newer(value(Item::Parameter, i), document.par.value(i));
    if (document.hasSetpoints)
        for (int i = TSollWaarden::first; i <= TSollWaarden::last; ++i)
            n += newer(value(Item::Setpoint, i), document.soll.value(i));
    return n;
}

void ControllerImage::clear()
{
    m_identity = {};
    m_par.fill({});
    m_soll.fill({});
    m_writtenSinceCompute = false;
    m_changedAt = now();
}

namespace images {
namespace {

struct Bus {
    int selected = -1;
    std::map<int, std::unique_ptr<ControllerImage>> units;
};

struct Registry {
    std::map<QString, Bus> buses;
    QString connectedPort;
    int connectedUnit = -1;
};

Registry& registry()
{
    static Registry r;
    return r;
}

} // namespace

ControllerImage& of(const QString& port, int unit)
{
    std::unique_ptr<ControllerImage>& p = registry().buses[port].units[unit];
    if (!p)
        p = std::make_unique<ControllerImage>();
    return *p;
}

int selected(const QString& port)
{
    const auto bus = registry().buses.find(port);
    return bus == registry().buses.end() ? -1 : bus->second.selected;
}

void select(const QString& port, int unit)
{
    registry().buses[port].selected = unit;
}

void setConnected(const QString& port, int unit)
{
    registry().connectedPort = port;
    registry().connectedUnit = unit;
}

const ControllerImage* connected()
{
    return connectedImage();
}

ControllerImage* connectedImage()
{
    const Registry& r = registry();
    return r.connectedPort.isEmpty() ? nullptr : &of(r.connectedPort, r.connectedUnit);
}

qint32 connectedParameter(int n, qint32 fallback)
{
    const ControllerImage* c = connected();
    const std::optional<qint32> v = c ? c->known(Item::Parameter, n) : std::nullopt;
    return v.value_or(fallback);
}

int connectedDecimals()
{
    const ControllerImage* c = connected();
    return c ? c->decimals().value_or(0) : 0;
}

int setpointDecimals()
{
    if (SollDecimalen >= 0)
        return SollDecimalen;
    const ControllerImage* c = connected();
    if (const std::optional<int> d = c ? c->decimals() : std::nullopt)
        return *d;
    return std::clamp(int(ParWaarden.value(ParDecimalsParameter)), 0, 8);
}

void fixSetpointDecimals()
{
    SollDecimalen = -1;
    SollDecimalen = setpointDecimals();
}

void reset()
{
    registry() = Registry{};
}

} // namespace images

int rescaleSetpoints(TSollWaarden& values, int from, int to, qint32 lower, qint32 upper)
{
    TSollWaarden out = values;
    for (int n = TSollWaarden::first; n <= TSollWaarden::last; ++n) {
        qint64 v = values.value(n);
        for (int d = from; d < to; ++d)
            v *= 10;
        for (int d = to; d < from; ++d) {
            if (v % 10 != 0)
                return n;
            v /= 10;
        }
        if (v < lower || v > upper)
            return n;
        out[n] = qint32(v);
    }
    values = out;
    return 0;
}

} // namespace vx
