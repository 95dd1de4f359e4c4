#include "plans/ImageFeed.h"

#include "params/ControllerImage.h"

namespace vx::plans {

using transfer::Item;

namespace {

struct Parsed {
    QString letters;
    std::optional<qint32> number;
    std::optional<qint32> value;
};

Parsed parse(const QString& text)
{
    Parsed p;
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return p;
    p.letters = parts[0];
    if (parts.size() > 1)
        p.number = cmd::parseDecimal(parts[1]);
    if (parts.size() > 2)
        p.value = cmd::parseDecimal(parts[2]);
    return p;
}

} // namespace

void feedImage(const QString& port, const Request& request, const Outcome& outcome)
{
    if (port.isEmpty())
        return;
    const Parsed p = parse(request.text);
    if (p.letters == QLatin1String("sc")) {
        // Unless the controller said so, nobody knows which unit listens now.
        images::select(port, outcome.answered() && p.number ? int(*p.number) : -1);
        return;
    }
    const int unit = images::selected(port);
    if (unit < 0)
        return;
    ControllerImage& image = images::of(port, unit);
    const bool setpoint = p.letters == QLatin1String("rs") || p.letters == QLatin1String("ws");
    const Item item = setpoint ? Item::Setpoint : Item::Parameter;
    if ((p.letters == QLatin1String("rp") || p.letters == QLatin1String("rs")) && p.number) {
        if (outcome.answered() && outcome.checked.number)
            image.read(item, int(*p.number), *outcome.checked.number);
        return;
    }
    if ((p.letters == QLatin1String("wp") || p.letters == QLatin1String("ws")) && p.number && p.value) {
        if (outcome.answered())
            image.confirmed(item, int(*p.number), *p.value);
        else if (outcome.checked.refusal != cmd::Refusal::ControllerError)
            // Lost, cut or the line died on the way: it may have arrived or not.
            image.unsure(item, int(*p.number), *p.value);
        return;
    }
    if (p.letters == QLatin1String(cmd::ComputeParameters)) {
        if (!outcome.failed() && cmd::bpResult(outcome.reply).accepted)
            image.computed();
        return;
    }
    if (outcome.answered()
        && (request.text == QLatin1String(cmd::ReadType) || request.text == QLatin1String(cmd::ReadIdent2)
            || request.text == QLatin1String(cmd::ReadIdent3)))
        image.identify(request.text, outcome.checked.value);
}

void lineChanged(const QString& port)
{
    if (!port.isEmpty())
        images::select(port, -1);
}

} // namespace vx::plans
