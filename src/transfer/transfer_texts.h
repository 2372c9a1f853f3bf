#pragma once
// Texts of the transfers that the message table does not hold: status label
// endings, the resend question and the reports of a transfer that cannot go on.

#include <QString>

namespace tavrik::transfer_text {

inline QString sendingFailedContinue() { return QStringLiteral("Error sending packet, continue?"); }
inline QString transferCompleted() { return QStringLiteral(" - Transfer completed"); }
inline QString transfersCompleted() { return QStringLiteral(" - Transfers completed"); }
inline QString usingA001() { return QStringLiteral("<Using A001 Protocol Capability Protocol>"); }
inline QString noData() { return QStringLiteral("No data"); }
inline QString receiverSilent() { return QStringLiteral("The receiver stopped answering; the transfer was given up"); }
inline QString sendGivenUp() { return QStringLiteral("The receiver refused a packet; the transfer was given up"); }
inline QString noProximitySupport() { return QStringLiteral("This receiver keeps no proximity waypoints"); }
inline QString portHeldByCommunication(const QString& port) {
  return QStringLiteral("Port %1 is in use by communication; stop communication before a transfer").arg(port);
}

}  // namespace tavrik::transfer_text
