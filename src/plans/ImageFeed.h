#pragma once
// Every exchange a runner carries out tells the controller image what it proved: the
// runners hand each request and its outcome here, so no plan and no window keeps its
// own account of what a controller holds.
#include "plans/Plan.h"

namespace vx::plans {

// `port` names the bus (the port's display name); the image fed is that of the unit
// the bus has selected. Nothing is fed while no unit is known to be selected.
void feedImage(const QString& port, const Request& request, const Outcome& outcome);
// The line was set anew or reopened: which unit listens is not known any more.
void lineChanged(const QString& port);

} // namespace vx::plans
