#pragma once
// A transfer with a hand-held receiver, whichever its make: bytes in through
// onBytes(), time through tick() (the owner's timer), reports to a TransferSink.

#include <QByteArrayView>
#include <functional>
#include <memory>
#include <vector>

#include "core/clock.h"
#include "core/serial_link.h"
#include "transfer/transfer_sink.h"

namespace tavrik {

namespace garmin {
struct UploadItem;
}

class ReceiverTransfer {
 public:
  virtual ~ReceiverTransfer() = default;
  virtual void startDownload(Dataset what) = 0;
  virtual void startUpload(Dataset what, std::vector<garmin::UploadItem> items) = 0;
  virtual void onBytes(QByteArrayView bytes) = 0;
  virtual void tick() = 0;
  // The window closed: stop without a message.
  virtual void cancel() = 0;
  // The port failed while open.
  virtual void portFailed(const QString& error) = 0;
  virtual bool running() const = 0;
  // An upload record went out (its index in the items).
  std::function<void(int)> onSent;
  // A yes/no question to the user ("Error sending packet, continue?"); unset is No.
  std::function<bool(const QString&)> askUser;
  // Before a refused packet goes again.
  std::function<void()> beep;
};

// The serial settings of the make: "9600,N,8,1" for Garmin, "4800,N,8,1" for Magellan.
QString receiverSerialSettings(ReceiverKind kind);
std::unique_ptr<ReceiverTransfer> makeReceiverTransfer(ReceiverKind kind, SerialLink& port, const Clock& clock, TransferSink& sink);

}  // namespace tavrik
