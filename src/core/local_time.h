#pragma once
// Received UTC times become local times: LocalTimeOffset whole hours are added to
// the hour; an hour outside 0..23 moves the date by one day.

#include <QDate>
#include <QTime>

namespace tavrik {

struct LocalFix {
  QTime time;       // local time of day
  int dayShift = 0; // -1, 0 or +1
};

// hours, minutes, seconds as received (UTC); offset in whole hours (may be negative).
LocalFix toLocalTime(int hours, int minutes, int seconds, int offsetHours);
// Two-digit years: 00-29 are 2000+yy, 30-99 are 1900+yy.
int fullYear(int twoDigitYear);

}  // namespace tavrik
