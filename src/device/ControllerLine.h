#pragma once
// The one way to make a protocol component for the controller's line, so every
// window talks to it with the same framing.
#include <QString>

class QObject;

namespace vx {

class TPX400Protocol;
class TSXComm;

// A component named `name`: the request text followed by CR, no start or stop
// character, every reply byte kept, first reply byte within timeoutMs (0: 100 ms),
// bound to port, or to the program's port (app().SXComm1) when port is null.
// With fast replies on, it ends a reply at its line end instead of at the pause.
TPX400Protocol* makeControllerComponent(QObject* owner, const char* name, int timeoutMs = 0, TSXComm* port = nullptr);

// The "fast replies" option. Setting it also changes the components already made
// for port (null: the program's port), and switching it on gives a port that fell
// back to the pause rule another chance.
bool fastReplies();
void setFastReplies(bool on, TSXComm* port = nullptr);
// A component that keeps the pause rule whatever the option says (the device
// search, where wrong line settings give garbled bytes that may hold a line end).
void keepPauseRule(TPX400Protocol* component);

// The /dev/serial/by-id name of the adapter behind a device path (or the by-id name
// itself), empty when it has none: a reconnect finds the adapter by it should it
// come back under another number.
QString byIdNameOf(const QString& devicePath);

} // namespace vx
