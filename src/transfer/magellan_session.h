#pragma once
// One Magellan transfer: "$PMGNCMD,VERSION" until the receiver names itself, then
// the request of the dataset and its WPL/TRK/RTE sentences up to "$PMGNCMD,END", or
// the sentences of an upload. There are no acknowledgements; the waits have limits.

#include "transfer/garmin_session.h"
#include "transfer/magellan_protocol.h"
#include "transfer/receiver_transfer.h"

namespace tavrik::magellan {

class MagellanSession final : public ReceiverTransfer {
 public:
  enum class State { Idle, Identifying, Transferring, Completed, Failed };
  static constexpr int kNoAnswerMs = 5000;
  static constexpr int kSilenceMs = 10000;

  MagellanSession(SerialLink& port, const Clock& clock, TransferSink& sink)
      : m_port(port), m_clock(clock), m_sink(sink) {}

  void startDownload(Dataset what) override;
  void startUpload(Dataset what, std::vector<garmin::UploadItem> items) override;
  void onBytes(QByteArrayView bytes) override;
  void tick() override;
  void cancel() override;
  void portFailed(const QString& error) override;
  bool running() const override { return m_state == State::Identifying || m_state == State::Transferring; }
  State state() const { return m_state; }

 private:
  void start();
  void line(const QString& text);
  void proceed();
  void upload();
  void complete(const QString& status);
  void fail(const QString& message);
  void send(const QString& s) { m_port.write(sentence(s)); }
  qint64 nowMs() const { return m_clock.now().toMSecsSinceEpoch(); }

  SerialLink& m_port;
  const Clock& m_clock;
  TransferSink& m_sink;
  LineAssembler m_lines;
  State m_state = State::Idle;
  Dataset m_what = Dataset::Waypoints;
  bool m_upload = false;
  std::vector<garmin::UploadItem> m_items;
  qint64 m_deadlineMs = 0;
  qint64 m_lastHeardMs = 0;
  int m_waypoints = 0, m_trackPoints = 0, m_routePoints = 0;
  bool m_newTrack = true;
};

}  // namespace tavrik::magellan
