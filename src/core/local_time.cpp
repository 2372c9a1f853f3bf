#include "core/local_time.h"

namespace tavrik {

LocalFix toLocalTime(int hours, int minutes, int seconds, int offsetHours) {
  LocalFix f;
  int h = hours + offsetHours;
  if (h >= 24) f.dayShift = 1;
  else if (h < 0) f.dayShift = -1;
  // Only the time of day remains; minutes and seconds are taken modulo as the time
  // serial arithmetic would carry them.
  long total = (static_cast<long>(h) * 60 + minutes) * 60 + seconds;
  total %= 86400;
  if (total < 0) total += 86400;
  f.time = QTime(0, 0).addSecs(static_cast<int>(total));
  return f;
}

int fullYear(int yy) { return yy < 30 ? 2000 + yy : 1900 + yy; }

}  // namespace tavrik
