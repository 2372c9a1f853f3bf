#pragma once
// Setting the computer's clock ("Set Pc time & date"). The system call sits behind an
// interface so that tests never touch the real clock.

#include <QDateTime>
#include <QString>
#include <optional>

namespace tavrik {

class ClockSetter {
 public:
  virtual ~ClockSetter() = default;
  // Sets the system clock to this local time. False with a description when the
  // system refuses (no privilege) or fails.
  virtual bool set(const QDateTime& localTime, QString& error) = 0;
};

// clock_settime(CLOCK_REALTIME); needs the CAP_SYS_TIME privilege.
class SystemClockSetter final : public ClockSetter {
 public:
  bool set(const QDateTime& localTime, QString& error) override;
};

class RecordingClockSetter final : public ClockSetter {
 public:
  bool set(const QDateTime& t, QString& error) override {
    calls.push_back(t);
    if (!refuseWith.isEmpty()) error = refuseWith;
    return refuseWith.isEmpty();
  }
  std::vector<QDateTime> calls;
  QString refuseWith;  // non-empty: every call fails with this text
};

// The time to set from the texts of the time and date panels: the time from the time
// text (the system's long or short time format, or hh:mm:ss) and the date from the
// date text ("mm-dd-yyyy"); an empty text keeps that part of `now`. Empty when a
// non-empty text cannot be read.
std::optional<QDateTime> pcTimeFromPanels(const QString& timeText, const QString& dateText, const QDateTime& now);

}  // namespace tavrik
