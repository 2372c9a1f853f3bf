#include "transfer/receiver_transfer.h"

#include "transfer/garmin_session.h"
#include "transfer/magellan_session.h"

namespace tavrik {

QString receiverKindName(ReceiverKind k) { return k == ReceiverKind::Garmin ? QStringLiteral("Garmin") : QStringLiteral("Magellan"); }

QString receiverSerialSettings(ReceiverKind kind) {
  return kind == ReceiverKind::Garmin ? QStringLiteral("9600,N,8,1") : QStringLiteral("4800,N,8,1");
}

std::unique_ptr<ReceiverTransfer> makeReceiverTransfer(ReceiverKind kind, SerialLink& port, const Clock& clock, TransferSink& sink) {
  if (kind == ReceiverKind::Garmin) return std::make_unique<garmin::GarminSession>(port, clock, sink);
  return std::make_unique<magellan::MagellanSession>(port, clock, sink);
}

}  // namespace tavrik
