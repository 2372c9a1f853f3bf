#include "core/clock_setter.h"

#include <gtest/gtest.h>

#include "core/units.h"

namespace tavrik {
namespace {

TEST(PcTimeFromPanels, ReadsPanelTextsAndKeepsTheClockForEmptyOnes) {
  const QDateTime now(QDate(2026, 5, 1), QTime(10, 0, 0));
  struct Row {
    const char* legend;
    QString time, date;
    std::optional<QDateTime> expected;
  };
  const std::vector<Row> rows = {
      {"both panels", FormatTime(QTime(13, 45, 12)), "07-04-2026", QDateTime(QDate(2026, 7, 4), QTime(13, 45, 12))},
      {"only the time", FormatTime(QTime(23, 1, 2)), "", QDateTime(QDate(2026, 5, 1), QTime(23, 1, 2))},
      {"only the date", "", "12-31-2025", QDateTime(QDate(2025, 12, 31), QTime(10, 0, 0))},
      {"plain hh:mm:ss", "08:09:10", "", QDateTime(QDate(2026, 5, 1), QTime(8, 9, 10))},
      {"twelve-hour clock", "1:05:00 PM CET", "", QDateTime(QDate(2026, 5, 1), QTime(13, 5, 0))},
      {"twelve midnight", "12:00:30 AM", "", QDateTime(QDate(2026, 5, 1), QTime(0, 0, 30))},
      {"hour 25", "25:00:00", "", std::nullopt},
      {"unreadable time", "Nofix", "07-04-2026", std::nullopt},
      {"unreadable date", "", "2026-07-04", std::nullopt},
      {"impossible date", "", "02-30-2026", std::nullopt},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(pcTimeFromPanels(r.time, r.date, now), r.expected);
  }
}

}  // namespace
}  // namespace tavrik
