#include "core/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/compass.h"
#include "core/local_time.h"
#include "core/navigation_state.h"

namespace tavrik {
namespace {

TEST(Units, LabelsAndFactorsPerSetting) {
  const struct {
    const char* setting;
    const char* unit;
    float factor;
    const char* distance;
    const char* speed;
    char nmea;
  } rows[] = {
      {"Nm", "Nm", 1.0f, "Nm", "Kts", 'N'},
      {"M", "M", 1.15078f, "M", "M/h", 'M'},
      {"Km", "Km", 1.852f, "Km", "Km/h", 'K'},
      {"", "Nm", 1.0f, "Nm", "Kts", 'N'},      // unknown settings count as nautical
      {"km", "Nm", 1.0f, "Nm", "Kts", 'N'},
      {"Statute", "Nm", 1.0f, "Nm", "Kts", 'N'},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.setting);
    const Units u = Units::fromSetting(QString::fromLatin1(r.setting));
    EXPECT_EQ(u.DistanceUnit.toStdString(), r.unit);
    EXPECT_EQ(u.UnitFactor, r.factor);
    EXPECT_EQ(u.distanceLabel().toStdString(), r.distance);
    EXPECT_EQ(u.speedLabel().toStdString(), r.speed);
    EXPECT_EQ(u.nmeaUnitLetter(), QChar(r.nmea));
  }
}

TEST(Units, EntryAndDisplayConvertBothWays) {
  const Units km = Units::fromSetting("Km");
  EXPECT_NEAR(km.toDisplay(10), 18.52, 1e-5);           // factor is a single: 1.852f
  EXPECT_NEAR(km.fromDisplay(18.52), 10, 1e-5);
  EXPECT_NEAR(km.fromDisplay(km.toDisplay(3.7)), 3.7, 1e-12);
}

TEST(Units, StatusAndInstrumentTexts) {
  const Units nm = Units::fromSetting("Nm"), st = Units::fromSetting("M"), km = Units::fromSetting("Km");
  const struct {
    QString actual;
    const char* expected;
  } rows[] = {
      {FormatSpeed(10, st), "11.5 M/h"},
      {FormatSpeed(10, km), "18.5 Km/h"},
      {FormatSpeed(10, nm), "10.0 Kts"},
      {FormatSpeed(0, nm), "0.0 Kts"},
      {FormatSpeed(6.25f, nm), "6.3 Kts"},
      {FormatWaterSpeed(10, km), "18.5Km/h"},
      {FormatWaterSpeed(4.04f, nm), "4.0Kts"},
      {FormatCourse(5), "5.0° T"},
      {FormatCourse(359.96f), "360.0° T"},
      {FormatDepthFeet(12.35f), "12.4Ft"},
      {FormatTemperature(-1.25f), "-1.3°C"},
      {FormatPressure(1013.5f), "1014Mb"},
      {FormatHeading(271.04f), "271.0°"},
      {FormatWindSpeed(10), "10.0Kts"},   // always knots
      {FormatWindDirection(340.4f), "340°"},
      {FormatDate(QDate(2026, 1, 5)), "01-05-2026"},
      {FormatDate(QDate(2026, 12, 31)), "12-31-2026"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.expected);
    EXPECT_EQ(r.actual.toStdString(), r.expected);
  }
  EXPECT_FALSE(FormatTime(QTime(13, 5, 9)).isEmpty());
}

Compass tableOf(std::initializer_list<float> values) {
  Compass c;
  int i = 0;
  for (float v : values) c.DeviationTable[i++] = v;
  return c;
}

// Linear between the entries that bracket the heading, 337.5..360 from the last entry
// towards the first, rounded to one decimal.
TEST(Compass, DeviationInterpolatesAndRoundsToOneDecimal) {
  Compass c = tableOf({4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 2});
  const struct {
    float heading;
    float expected;
  } rows[] = {
      {0, 4},
      {22.5f, 2},
      {11.25f, 3},
      {5, 3.6f},         // 4 - 2 * 5/22.5 = 3.556
      {45, 0},
      {315, -1},
      {326.25f, 0.5f},   // -1 + 3 * 0.5
      {337.5f, 2},
      {348.75f, 3},      // halfway from the last entry to the first
      {359, 3.9f},       // 2 + 2 * 21.5/22.5 = 3.911
      {359.99f, 4},
      {360, 4},          // a full turn is heading 0
      {720 + 11.25f, 3},
      {-11.25f, 3},      // headings below 0 count from 360
      {330, 1.0f},       // -1 + 3 * 15/22.5 = 1.0
      {320, -0.3f},      // -1 + 3 * 5/22.5 = -0.333
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.heading);
    EXPECT_FLOAT_EQ(c.deviation(r.heading), r.expected);
  }
}

// A heading a hair below 0 wraps to 360.0f in single precision; it must still be read
// as the top of the table (between 337.5 and 360), not sixteen steps past entry 0.
TEST(Compass, DeviationJustBelowZeroStaysInTheTable) {
  Compass c = tableOf({4, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, 2});
  EXPECT_FLOAT_EQ(c.deviation(-1e-6f), 4);
  EXPECT_FLOAT_EQ(c.deviation(360 - 1e-6f), 4);
  // Not a number: no reading outside the table (and no crash); taken as heading 0.
  EXPECT_FLOAT_EQ(c.deviation(std::numeric_limits<float>::quiet_NaN()), 4);
  EXPECT_FLOAT_EQ(c.deviation(std::numeric_limits<float>::infinity()), 4);
}

TEST(Compass, TrueAndMagneticWrapOnceIntoRange) {
  Compass c;
  c.UserVariation = 10;
  EXPECT_FLOAT_EQ(c.ToTrue(355, 0), 5);
  EXPECT_FLOAT_EQ(c.ToMagnetic(5, 0), 355);
  EXPECT_FLOAT_EQ(c.ToTrue(350, 0), 0);  // 360 is brought to 0
  EXPECT_FLOAT_EQ(c.ToMagnetic(10, 0), 0);
  c.UserVariation = -10;
  EXPECT_FLOAT_EQ(c.ToTrue(5, 0), 355);
  EXPECT_FLOAT_EQ(c.ToMagnetic(355, 0), 5);
}

TEST(Compass, UserVariationZeroUsesTheReceiversVariation) {
  Compass c;  // all-zero deviation table, user variation 0
  EXPECT_FLOAT_EQ(c.ToTrue(100, -3), 97);
  EXPECT_FLOAT_EQ(c.ToMagnetic(100, -3), 103);
  EXPECT_FLOAT_EQ(c.ToTrue(100, 0), 100);
  c.UserVariation = 2;  // a user variation wins over the receiver's
  EXPECT_FLOAT_EQ(c.ToTrue(100, -3), 102);
  EXPECT_FLOAT_EQ(c.ToMagnetic(100, -3), 98);
}

TEST(Compass, DeviationEntersBothWays) {
  Compass c = tableOf({0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // 3 at 090
  c.UserVariation = 1;
  EXPECT_FLOAT_EQ(c.ToTrue(90, 0), 94);
  EXPECT_FLOAT_EQ(c.ToMagnetic(90, 0), 86);
}

TEST(LocalTime, OffsetMovesTheHourAndTheDate) {
  const struct {
    int h, m, s, offset;
    QTime time;
    int dayShift;
  } rows[] = {
      {23, 30, 0, 2, QTime(1, 30), 1},
      {12, 0, 0, 0, QTime(12, 0), 0},
      {22, 0, 0, 2, QTime(0, 0), 1},
      {21, 59, 59, 2, QTime(23, 59, 59), 0},
      {0, 30, 0, -2, QTime(22, 30), -1},
      {1, 0, 0, -1, QTime(0, 0), 0},
      {11, 15, 30, -12, QTime(23, 15, 30), -1},
      {12, 0, 0, 13, QTime(1, 0), 1},
      {0, 0, 0, 0, QTime(0, 0), 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(QStringLiteral("%1:%2:%3 UTC%4").arg(r.h).arg(r.m).arg(r.s).arg(r.offset).toStdString());
    const LocalFix f = toLocalTime(r.h, r.m, r.s, r.offset);
    EXPECT_EQ(f.time, r.time);
    EXPECT_EQ(f.dayShift, r.dayShift);
  }
}

TEST(LocalTime, NewYearsEveBecomesTheFirstOfJanuary) {
  const LocalFix f = toLocalTime(23, 30, 0, 2);
  EXPECT_EQ(f.time, QTime(1, 30));
  EXPECT_EQ(FormatDate(QDate(2026, 12, 31).addDays(f.dayShift)), QStringLiteral("01-01-2027"));
  const LocalFix back = toLocalTime(0, 15, 0, -1);
  EXPECT_EQ(FormatDate(QDate(2027, 1, 1).addDays(back.dayShift)), QStringLiteral("12-31-2026"));
}

TEST(LocalTime, TwoDigitYears) {
  EXPECT_EQ(fullYear(0), 2000);
  EXPECT_EQ(fullYear(26), 2026);
  EXPECT_EQ(fullYear(29), 2029);
  EXPECT_EQ(fullYear(30), 1930);
  EXPECT_EQ(fullYear(99), 1999);
}

TEST(NavigationState, SentenceTableOrder) {
  EXPECT_EQ(sentenceIndex(u"DBS"), 0);
  EXPECT_EQ(sentenceIndex(u"RMC"), static_cast<int>(Sentence::RMC));
  EXPECT_EQ(sentenceIndex(u"ZDA"), kSentenceCount - 1);
  EXPECT_EQ(sentenceIndex(u"XYZ"), -1);
  EXPECT_EQ(sentenceIndex(u"rmc"), -1);
  EXPECT_EQ(sentenceIndex(u"RM"), -1);
  EXPECT_EQ(sentenceIndex(u""), -1);
  for (int i = 0; i < kSentenceCount; ++i) EXPECT_EQ(sentenceIndex(QString::fromLatin1(kSentenceNames[i])), i);
}

TEST(NavigationState, ResetKeepsOnlyThePosition) {
  NavigationState s;
  s.Latitude = 52.5f;
  s.Longitude = -4.25f;
  s.SpeedOverGround = 6;
  s.TripDistance = 12;
  s.FixDate = "12-31-2026";
  s.received(Sentence::GGA) = 7;
  s.errors(Sentence::RMC) = 2;
  s.Satellites.resize(4);
  s.resetRunTime();
  EXPECT_EQ(s.Latitude, 52.5f);
  EXPECT_EQ(s.Longitude, -4.25f);
  EXPECT_EQ(s.SpeedOverGround, 0);
  EXPECT_EQ(s.TripDistance, 0);
  EXPECT_TRUE(s.FixDate.isEmpty());
  EXPECT_EQ(s.received(Sentence::GGA), 0u);
  EXPECT_EQ(s.errors(Sentence::RMC), 0u);
  EXPECT_TRUE(s.Satellites.empty());
  EXPECT_FALSE(s.TripStartTime.isValid());
}

}  // namespace
}  // namespace tavrik

namespace tavrik {
namespace {

// Fix times are local by the settings' offset, so the time panel must not name the
// computer's zone (it showed "14:05:09 UTC" for a time two hours off UTC).
TEST(FormatTime, ShowsTheClockWithoutTheComputersZoneName) {
  const QString text = FormatTime(QTime(14, 5, 9));
  EXPECT_TRUE(text.contains(QStringLiteral("05"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("09"))) << text.toStdString();
  const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
  if (!zone.isEmpty()) {
    EXPECT_FALSE(text.contains(zone)) << text.toStdString();
  }
  EXPECT_FALSE(text.contains(QStringLiteral("UTC"))) << text.toStdString();
}

}  // namespace
}  // namespace tavrik
