#include "chart/track_file.h"

#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace tavrik {

namespace {
const QDateTime& serialEpoch() {
  static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
  return epoch;
}
}  // namespace

double toDateSerial(const QDateTime& t) {
  const qint64 days = serialEpoch().date().daysTo(t.date());
  return static_cast<double>(days) + t.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime fromDateSerial(double serial) {
  const double days = std::floor(serial);
  const qint64 ms = std::llround((serial - days) * 86400000.0);
  return QDateTime(serialEpoch().date().addDays(static_cast<qint64>(days)), QTime(0, 0)).addMSecs(ms);
}

TrackFile::~TrackFile() {
  if (m_file.isOpen()) m_file.close();
}

bool TrackFile::open(const QString& path) {
  if (m_file.isOpen()) m_file.close();
  m_file.setFileName(path);
  m_count = 0;
  if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
    m_error = m_file.errorString();
    return false;
  }
  m_error.clear();
  return true;
}

bool TrackFile::openKeeping(const QString& path) {
  if (m_file.isOpen()) m_file.close();
  m_file.setFileName(path);
  m_count = 0;
  if (!m_file.open(QIODevice::ReadWrite)) {
    m_error = m_file.errorString();
    return false;
  }
  const qint64 whole = m_file.size() / kTrackRecordSize;
  if (whole * kTrackRecordSize != m_file.size() && !m_file.resize(whole * kTrackRecordSize)) {
    m_error = m_file.errorString();
    m_file.close();
    return false;
  }
  m_count = static_cast<int>(whole);
  m_error.clear();
  return true;
}

int TrackFile::recordsInFile(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() ? static_cast<int>(info.size() / kTrackRecordSize) : 0;
}

bool TrackFile::clear() {
  m_count = 0;
  if (!m_file.isOpen()) return false;
  if (!m_file.resize(0)) {
    m_error = m_file.errorString();
    return false;
  }
  return true;
}

bool TrackFile::appendAll(const std::vector<TrackRecord>& records) {
  if (!m_file.isOpen()) return false;
  QByteArray bytes(static_cast<qsizetype>(records.size()) * kTrackRecordSize, Qt::Uninitialized);
  for (size_t i = 0; i < records.size(); ++i) encode(records[i], bytes.data() + i * kTrackRecordSize);
  if (!m_file.seek(static_cast<qint64>(m_count) * kTrackRecordSize) || m_file.write(bytes) != bytes.size() ||
      !m_file.flush()) {
    m_error = m_file.errorString();
    return false;
  }
  m_count += static_cast<int>(records.size());
  return true;
}

void TrackFile::encode(const TrackRecord& r, char out[kTrackRecordSize]) {
  quint64 t;
  quint32 la, lo;
  std::memcpy(&t, &r.time, 8);
  std::memcpy(&la, &r.lat, 4);
  std::memcpy(&lo, &r.lon, 4);
  qToLittleEndian(t, out);
  qToLittleEndian(la, out + 8);
  qToLittleEndian(lo, out + 12);
}

TrackRecord TrackFile::decode(const char in[kTrackRecordSize]) {
  const quint64 t = qFromLittleEndian<quint64>(in);
  const quint32 la = qFromLittleEndian<quint32>(in + 8);
  const quint32 lo = qFromLittleEndian<quint32>(in + 12);
  TrackRecord r;
  std::memcpy(&r.time, &t, 8);
  std::memcpy(&r.lat, &la, 4);
  std::memcpy(&r.lon, &lo, 4);
  return r;
}

bool TrackFile::append(const TrackRecord& r) {
  if (!m_file.isOpen()) return false;
  char buf[kTrackRecordSize];
  encode(r, buf);
  // Random access by record number, as the file has always been written.
  if (!m_file.seek(static_cast<qint64>(m_count) * kTrackRecordSize) ||
      m_file.write(buf, kTrackRecordSize) != kTrackRecordSize || !m_file.flush()) {
    m_error = m_file.errorString();
    return false;
  }
  ++m_count;
  return true;
}

std::vector<TrackRecord> TrackFile::readAll() const {
  std::vector<TrackRecord> out;
  if (!m_file.isOpen() || m_count == 0) return out;
  const qint64 pos = m_file.pos();
  m_file.seek(0);
  const QByteArray bytes = m_file.read(static_cast<qint64>(m_count) * kTrackRecordSize);
  m_file.seek(pos);
  const int n = static_cast<int>(bytes.size() / kTrackRecordSize);
  out.reserve(n);
  for (int i = 0; i < n; ++i) out.push_back(decode(bytes.constData() + i * kTrackRecordSize));
  return out;
}

std::vector<TrackRecord> TrackFile::readFile(const QString& path) {
  std::vector<TrackRecord> out;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return out;
  const QByteArray bytes = f.readAll();
  const int n = static_cast<int>(bytes.size() / kTrackRecordSize);
  out.reserve(n);
  for (int i = 0; i < n; ++i) out.push_back(decode(bytes.constData() + i * kTrackRecordSize));
  return out;
}

void TrackFile::closeAndRemove() {
  if (m_file.fileName().isEmpty()) return;
  if (m_file.isOpen()) m_file.close();
  QFile::remove(m_file.fileName());
  m_count = 0;
}

std::vector<std::vector<TrackRecord>> splitAtBreaks(const std::vector<TrackRecord>& records) {
  std::vector<std::vector<TrackRecord>> lines;
  std::vector<TrackRecord> current;
  for (const TrackRecord& r : records) {
    if (r.isBreak()) {
      if (!current.empty()) lines.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(r);
    }
  }
  if (!current.empty()) lines.push_back(std::move(current));
  return lines;
}

}  // namespace tavrik
