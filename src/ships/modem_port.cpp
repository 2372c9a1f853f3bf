#include "ships/modem_port.h"

#include <QList>
#include <cmath>

namespace tavrik {
namespace {

// A modem that babbles must not grow the buffer without end: the newest text is kept.
constexpr qsizetype kBufferLimit = 64 * 1024;

bool parseReplyValue(const QByteArray& field, double& out) {
  const QByteArray digits = field.startsWith('-') ? field.mid(1) : field;
  if (digits.isEmpty() || digits.size() > 9) return false;
  for (const char c : digits)
    if (c < '0' || c > '9') return false;
  out = field.toLongLong() / 1000.0;
  return true;
}

}  // namespace

bool ModemPort::open(const PortSettings& settings) {
  close();
  m_error.clear();
  m_link = m_factory();
  m_link->onBytes = [this](const QByteArray& bytes) {
    buffer += bytes;
    if (buffer.size() > kBufferLimit) buffer.remove(0, buffer.size() - kBufferLimit);
    if (onText) onText();
  };
  m_link->onError = [this](const QString& text) { m_error = text; };
  if (!m_link->open(settings.Port, settings.settingsText(), static_cast<Handshake>(settings.Handshake))) {
    m_error = m_link->errorText();
    m_link.reset();
    return false;
  }
  m_link->write(QByteArrayLiteral("Ats0=1\r"));
  buffer.clear();
  return true;
}

void ModemPort::close() {
  if (!m_link) return;
  m_link->close();
  m_link.reset();
}

void ModemPort::write(const QByteArray& bytes) {
  if (isOpen()) m_link->write(bytes);
}

std::optional<bool> ModemPort::carrierDetect() const {
  if (!isOpen()) return false;
  return m_link->carrierDetectState();
}

QByteArray replyField(double x) {
  const long long n = std::llround(x * 1000.0);
  if (n >= 0) return QByteArray::number(n).rightJustified(6, '0');
  return '-' + QByteArray::number(-n).rightJustified(5, '0');
}

QByteArray replyLine(const ShipPositionReply& v) {
  QByteArray line = kReplyWord;
  for (const double x : {v.latitude, v.longitude, v.course, v.speed, v.windDirection, v.windSpeed})
    line += ',' + replyField(x);
  return line + '\r';
}

std::optional<ShipPositionReply> readReply(const QByteArray& buffer) {
  for (qsizetype from = buffer.indexOf(kReplyWord); from >= 0; from = buffer.indexOf(kReplyWord, from + 1)) {
    qsizetype end = from;
    while (end < buffer.size() && buffer[end] != '\r' && buffer[end] != '\n') ++end;
    if (end == buffer.size() && end - from < kReplyLength) return std::nullopt;  // still arriving
    if (end == buffer.size()) {
      // Long enough by the count but not ended: a longer (signed) line still arriving,
      // or one whose end is lost; wait unless a later reply follows.
      if (buffer.indexOf(kReplyWord, from + 1) < 0) return std::nullopt;
      continue;
    }
    const QList<QByteArray> fields = buffer.mid(from, end - from).split(',');
    if (fields.size() != 7 || fields[0] != kReplyWord || end + 1 - from < kReplyLength) continue;
    double v[6];
    bool ok = true;
    for (int i = 0; i < 6 && ok; ++i) ok = parseReplyValue(fields[i + 1], v[i]);
    if (!ok || std::fabs(v[0]) > 90 || std::fabs(v[1]) > 180) continue;
    return ShipPositionReply{v[0], v[1], v[2], v[3], v[4], v[5]};
  }
  return std::nullopt;
}

bool receiveCallsOn(const AppSettings& settings) {
  const QString v = settings.ShipsCommunication.trimmed();
  return !v.isEmpty() && v != QStringLiteral("0");
}

void ModemAnswerer::tick() {
  if (!receiveCallsOn(m_settings)) return;
  if (!m_port.isOpen()) {
    m_port.open(m_settings.ShipsPort);
    return;
  }
  if (m_port.buffer.contains("RING")) {
    m_port.write(QByteArrayLiteral("ATA\r"));
    m_port.buffer.clear();
  }
  const qsizetype request = m_port.buffer.lastIndexOf(kRequestWord);
  if (request >= 0) {
    // Only the position leaves the boat. The requests answered are taken out, so a
    // caller that missed the reply asks again and is answered again, while a line
    // that has gone quiet gets no more replies.
    m_port.write(replyLine({m_nav.Latitude, m_nav.Longitude, m_nav.CourseOverGround, m_nav.SpeedOverGround,
                            m_nav.WindDirection, m_nav.WindSpeed}));
    m_port.buffer.remove(0, request + qsizetype(sizeof kRequestWord) - 1);
    ++m_replies;
  }
}

}  // namespace tavrik
