#include "chart/track_file.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "chart/track_line.h"

namespace tavrik {
namespace {

TEST(TrackFile, SixteenLittleEndianBytesARecordBreaksSplitTheTrackAPartialRecordIsIgnored) {
  QTemporaryDir dir;
  const QString path = dir.filePath("$GPS.$$$");
  TrackFile f;
  ASSERT_TRUE(f.open(path));
  const QDateTime t(QDate(2026, 1, 1), QTime(12, 0));
  ASSERT_TRUE(f.append(t, 52.5f, 4.25f));
  ASSERT_TRUE(f.append(t.addSecs(1), 52.6f, 4.3f));
  ASSERT_TRUE(f.appendBreak(t.addSecs(2)));
  ASSERT_TRUE(f.append(t.addSecs(3), 52.7f, 4.35f));
  EXPECT_EQ(f.count(), 4);

  QFile raw(path);
  ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
  const QByteArray bytes = raw.readAll();
  ASSERT_EQ(bytes.size(), 64);
  // 2026-01-01 12:00 is day 46023 of the date serial, plus half a day.
  double serial;
  std::memcpy(&serial, bytes.constData(), 8);
  EXPECT_DOUBLE_EQ(serial, 46023.5);
  float lat;
  std::memcpy(&lat, bytes.constData() + 8, 4);
  EXPECT_EQ(lat, 52.5f);
  EXPECT_EQ(fromDateSerial(serial), t);

  const auto records = f.readAll();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_TRUE(records[2].isBreak());
  const auto lines = splitAtBreaks(records);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 2u);
  EXPECT_EQ(lines[1].size(), 1u);
  EXPECT_EQ(lines[1][0].lon, 4.35f);
  EXPECT_EQ(TrackFile::readFile(path).size(), 4u);

  f.closeAndRemove();
  EXPECT_FALSE(QFile::exists(path));
  // Two and a half records of an earlier run: read up to the partial one; reopening
  // starts an empty track.
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write(QByteArray(40, '\x11'));
  old.close();
  EXPECT_EQ(TrackFile::readFile(path).size(), 2u);
  TrackFile again;
  ASSERT_TRUE(again.open(path));
  EXPECT_EQ(again.count(), 0);
  EXPECT_TRUE(again.readAll().empty());
  TrackFile bad;
  EXPECT_FALSE(bad.open(dir.filePath("no/such/folder/$GPS.$$$")));
  EXPECT_FALSE(bad.errorText().isEmpty());
  EXPECT_FALSE(bad.append({1, 2, 3}));
}

TEST(TrackLine, AddsAnElementOnlyBeyondTheAccuracy) {
  struct Row {
    const char* legend;
    QPointF next;
    bool adds;
  };
  // Accuracy 100 pixels from the last drawn point (0, 0).
  const Row rows[] = {
      {"50 px: nothing", {50, 0}, false},
      {"exactly 100 px: nothing", {60, 80}, false},
      {"100.5 px: one element", {100.5, 0}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    TrackLine line(100);
    EXPECT_FALSE(line.offer({0, 0}).has_value());
    const auto e = line.offer(r.next);
    EXPECT_EQ(e.has_value(), r.adds);
    if (e) {
      EXPECT_EQ(e->p1(), QPointF(0, 0));
      EXPECT_EQ(e->p2(), r.next);
    }
  }
  // Small steps accumulate against the last drawn point, not the last fix.
  TrackLine line(100);
  line.offer({0, 0});
  for (int x = 30; x <= 90; x += 30) EXPECT_FALSE(line.offer({double(x), 0}).has_value());
  const auto e = line.offer({120, 0});
  ASSERT_TRUE(e.has_value());
  EXPECT_EQ(e->p1(), QPointF(0, 0));
  EXPECT_EQ(line.elements().size(), 1u);
  // After a break the next point starts a new line without an element.
  line.breakLine();
  EXPECT_FALSE(line.offer({500, 0}).has_value());
  EXPECT_EQ(line.elements().size(), 1u);
}

}  // namespace
}  // namespace tavrik
