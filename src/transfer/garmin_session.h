#pragma once
// One Garmin transfer as a state machine over GarminLink: identify the receiver
// (product request, product data, an optional protocol array), then either ask for
// a dataset and pass its records to the sink, or send the records of an upload.
//
//   Idle -> Identifying -> Identified -> Transferring -> Completed
//                 \______________________________\____-> Failed
//
// Identifying ends at the no-answer limit with "No Garmin found..."; a transfer ends
// when the receiver stays silent for kSilenceMs; a port error ends it at once.

#include <vector>

#include "core/clock.h"
#include "core/serial_link.h"
#include "transfer/garmin_link.h"
#include "transfer/receiver_transfer.h"

namespace tavrik::garmin {

// One record of an upload, encoded once the receiver's record types are known.
struct UploadItem {
  enum class Kind { Waypoint, Proximity, RouteHeader, RouteWaypoint } kind = Kind::Waypoint;
  WaypointRecord waypoint;
  RouteHeader header;
};

class GarminSession final : public ReceiverTransfer {
 public:
  enum class State { Idle, Identifying, Identified, Transferring, Completed, Failed };
  static constexpr int kNoAnswerMs = 5000;
  // A receiver that sends a protocol array does so right after its product data.
  static constexpr int kProtocolArrayWaitMs = 400;
  static constexpr int kSilenceMs = 10000;

  GarminSession(SerialLink& port, const Clock& clock, TransferSink& sink);

  void startDownload(Dataset what) override;
  void startUpload(Dataset what, std::vector<UploadItem> items) override;
  void onBytes(QByteArrayView bytes) override;
  void tick() override;
  void cancel() override;
  void portFailed(const QString& error) override;

  State state() const { return m_state; }
  bool running() const override { return m_state == State::Identifying || m_state == State::Identified || m_state == State::Transferring; }
  const Capabilities& capabilities() const { return m_caps; }
  GarminLink& link() { return m_link; }

 private:
  void start();
  void onPacket(const Packet& p);
  void proceed();
  void complete();
  void fail(const QString& message);
  void dataPacket(LinkPacket kind, const QByteArray& data);
  qint64 nowMs() const { return m_clock.now().toMSecsSinceEpoch(); }

  const Clock& m_clock;
  TransferSink& m_sink;
  GarminLink m_link;
  State m_state = State::Idle;
  Dataset m_what = Dataset::Waypoints;
  bool m_upload = false;
  std::vector<UploadItem> m_items;
  Capabilities m_caps;
  qint64 m_deadlineMs = 0;
  qint64 m_lastHeardMs = 0;
  int m_recordNumber = 0;
  int m_accepted = 0;  // upload packets acknowledged
};

}  // namespace tavrik::garmin
