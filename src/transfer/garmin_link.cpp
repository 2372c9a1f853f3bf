#include "transfer/garmin_link.h"

namespace tavrik::garmin {

void GarminLink::onBytes(QByteArrayView bytes) {
  m_reader.onBytes(bytes);
  for (ReceivedFrame& f : m_reader.takeFrames()) {
    const std::uint8_t id = f.packet.id;
    if (id == Ack || id == Nak) {
      // An answer counts only when its frame is sound; a garbled one is left to the timeout.
      if (!f.valid || m_state != SendState::AwaitingAnswer) continue;
      if (id == Ack) accepted();
      else refused();
      continue;
    }
    m_port.write(answerFrame(f.valid, id));
    if (f.valid && onPacket) onPacket(f.packet);
  }
}

void GarminLink::tick() {
  if (m_state == SendState::AwaitingAnswer && nowMs() >= m_deadlineMs) {
    refused();
  } else if (m_state == SendState::WaitingToResend && nowMs() >= m_deadlineMs) {
    if (onResend) onResend();
    writeFront();
  }
}

void GarminLink::send(std::uint8_t id, const QByteArray& data) {
  m_queue.push_back({id, data});
  if (m_state == SendState::Idle) {
    m_refusals = 0;
    writeFront();
  }
}

void GarminLink::clear() {
  m_queue.clear();
  m_state = SendState::Idle;
  m_refusals = 0;
}

void GarminLink::writeFront() {
  const Packet& p = m_queue.front();
  m_port.write(buildFrame(p.id, p.data));
  m_state = SendState::AwaitingAnswer;
  m_deadlineMs = nowMs() + kAnswerTimeoutMs;
}

void GarminLink::refused() {
  ++m_refusals;
  if (m_refusals < kMaxSends) {
    m_state = SendState::WaitingToResend;
    m_deadlineMs = nowMs() + kResendDelayMs;
    return;
  }
  m_state = SendState::Idle;
  if (askContinue && askContinue()) {
    accepted();
    return;
  }
  m_queue.clear();
  m_refusals = 0;
  if (onSendFailed) onSendFailed();
}

void GarminLink::accepted() {
  Packet done;
  if (!m_queue.empty()) {
    done = std::move(m_queue.front());
    m_queue.pop_front();
  }
  m_refusals = 0;
  m_state = SendState::Idle;
  if (onAccepted) onAccepted(done);
  if (m_state != SendState::Idle) return;  // the handler queued and sent the next packet
  if (!m_queue.empty()) {
    writeFront();
  } else if (onQueueEmpty) {
    onQueueEmpty();
  }
}

}  // namespace tavrik::garmin
