#pragma once

namespace modGlobal {

// True when a network interface other than loopback is up and running.
bool IsConnected();

} // namespace modGlobal
