#pragma once
// Reading a network source from a terminal tool: `tavrik-nmea tcp://127.0.0.1:10110`
// takes the same names as a port set, with the program's own network link.

#include <QString>
#include <functional>
#include <string_view>

namespace tavrik {

// Feeds the bytes of a network source (see network_link.h) until a TCP or gpsd peer
// closes, `seconds` pass (0: no limit) or SIGINT/SIGTERM arrives. Runs the event loop
// of the QCoreApplication the caller made. Returns an error text, empty when the
// source was read (a connection that never came up is an error).
QString readNetworkSource(const QString& name, const std::function<void(std::string_view)>& feed, int seconds);

}  // namespace tavrik
