#pragma once
// Logic reads time from an injected clock so that tests can step it.

#include <QDateTime>

namespace tavrik {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;  // local time
};

class SystemClock final : public Clock {
 public:
  QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FakeClock final : public Clock {
 public:
  explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0)))
      : m_now(std::move(start)) {}
  QDateTime now() const override { return m_now; }
  void set(const QDateTime& t) { m_now = t; }
  void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }
  void advanceSecs(qint64 s) { m_now = m_now.addSecs(s); }

 private:
  QDateTime m_now;
};

}  // namespace tavrik
