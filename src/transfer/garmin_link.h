#pragma once
// The Garmin link as a state machine: bytes arrive through onBytes(), the owner's
// timer calls tick(). Every received frame is answered (ACK when sound, NAK when its
// checksum or size is wrong; a NAKed frame is not passed on, the receiver resends it).
// Packets to send wait in a queue; one is outstanding at a time. A NAK, or no answer
// within kAnswerTimeoutMs, is a refusal: after kResendDelayMs the frame goes again;
// the fifth refusal asks whether to go on.

#include <QByteArray>
#include <deque>
#include <functional>

#include "core/clock.h"
#include "core/serial_link.h"
#include "transfer/garmin_protocol.h"

namespace tavrik::garmin {

class GarminLink {
 public:
  static constexpr int kAnswerTimeoutMs = 3000;
  static constexpr int kResendDelayMs = 2000;
  static constexpr int kMaxSends = 5;

  GarminLink(SerialLink& port, const Clock& clock) : m_port(port), m_clock(clock) {}

  void onBytes(QByteArrayView bytes);
  void tick();
  // Queues a packet; sent as soon as the one before it is acknowledged.
  void send(std::uint8_t id, const QByteArray& data);
  // Forgets every queued packet (a transfer given up).
  void clear();
  bool idle() const { return m_queue.empty(); }
  int refusals() const { return m_refusals; }

  // A sound packet from the receiver other than ACK/NAK.
  std::function<void(const Packet&)> onPacket;
  // A packet was acknowledged (or forgiven after the fifth refusal).
  std::function<void(const Packet&)> onAccepted;
  // The queue ran empty after an acknowledged (or forgiven) packet.
  std::function<void()> onQueueEmpty;
  // Asked after the fifth refusal of one packet; true goes on with the next packet.
  std::function<bool()> askContinue;
  // Sending was given up: the queue is cleared.
  std::function<void()> onSendFailed;
  // Before each resend (the receiver's beep).
  std::function<void()> onResend;

 private:
  enum class SendState { Idle, AwaitingAnswer, WaitingToResend };
  void writeFront();
  void refused();
  void accepted();
  qint64 nowMs() const { return m_clock.now().toMSecsSinceEpoch(); }

  SerialLink& m_port;
  const Clock& m_clock;
  FrameReader m_reader;
  std::deque<Packet> m_queue;
  SendState m_state = SendState::Idle;
  qint64 m_deadlineMs = 0;
  int m_refusals = 0;
};

}  // namespace tavrik::garmin
