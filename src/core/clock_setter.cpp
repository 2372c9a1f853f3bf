#include "core/clock_setter.h"

#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace tavrik {

bool SystemClockSetter::set(const QDateTime& localTime, QString& error) {
  if (!localTime.isValid()) {
    error = QStringLiteral("invalid date or time");
    return false;
  }
  const qint64 ms = localTime.toMSecsSinceEpoch();
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ms / 1000);
  ts.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
  if (clock_settime(CLOCK_REALTIME, &ts) == 0) return true;
  const int e = errno;
  error = QString::fromLocal8Bit(std::strerror(e));
  if (e == EPERM) error += QStringLiteral(" (setting the computer clock needs administrator rights)");
  return false;
}

std::optional<QDateTime> pcTimeFromPanels(const QString& timeText, const QString& dateText, const QDateTime& now) {
  QTime time = now.time();
  QDate date = now.date();
  const QString t = timeText.trimmed(), d = dateText.trimmed();
  if (!t.isEmpty()) {
    // The long time format may carry a zone name ("13:45:12 UTC") that QLocale
    // cannot read back; the clock digits and an AM/PM marker are what matter.
    static const QRegularExpression kTime(QStringLiteral("(\\d{1,2})[:.](\\d{2})(?:[:.](\\d{2}))?\\s*([AaPp]\\.?[Mm]\\.?)?"));
    const QRegularExpressionMatch m = kTime.match(t);
    if (!m.hasMatch()) return std::nullopt;
    int h = m.captured(1).toInt();
    const int min = m.captured(2).toInt(), sec = m.captured(3).toInt();
    const QString ampm = m.captured(4).toUpper();
    if (!ampm.isEmpty()) {
      if (h < 1 || h > 12) return std::nullopt;
      h = h % 12 + (ampm.startsWith(QLatin1Char('P')) ? 12 : 0);
    }
    time = QTime(h, min, sec);
    if (!time.isValid()) return std::nullopt;
  }
  if (!d.isEmpty()) {
    date = QDate::fromString(d, QStringLiteral("MM-dd-yyyy"));
    if (!date.isValid()) return std::nullopt;
  }
  return QDateTime(date, time);
}

}  // namespace tavrik
