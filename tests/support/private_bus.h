#pragma once

namespace sonvale::test {

// Starts a session bus of this test process's own (once) and points
// DBUS_SESSION_BUS_ADDRESS at it; it ends with the process. False when no
// dbus-daemon could be started. Call before anything connects to the session bus.
bool use_private_session_bus();

}  // namespace sonvale::test
