#pragma once
// The one way to make a protocol component for the controller's line, so every
// window talks to it with the same framing.
class QObject;

namespace vx {

class TPX400Protocol;
class TSXComm;

// A component named `name`: the request text followed by CR, no start or stop
// character, every reply byte kept, first reply byte within timeoutMs (0: 100 ms),
// bound to port, or to the program's port (app().SXComm1) when port is null.
TPX400Protocol* makeControllerComponent(QObject* owner, const char* name, int timeoutMs = 0, TSXComm* port = nullptr);

} // namespace vx
