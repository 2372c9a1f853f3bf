#include "core/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/compass.h"
#include "core/local_time.h"
#include "core/navigation_state.h"

namespace tavrik {
namespace {

// Unknown settings (any other spelling too) count as nautical.
TEST(Units, LabelsAndFactorsPerSetting) {
  const struct {
    const char* setting;
    const char* unit;
    float factor;
    const char* speed;
    char nmea;
  } rows[] = {{"Nm", "Nm", 1.0f, "Kts", 'N'},      {"M", "M", 1.15078f, "M/h", 'M'},
              {"Km", "Km", 1.852f, "Km/h", 'K'},   {"", "Nm", 1.0f, "Kts", 'N'},
              {"km", "Nm", 1.0f, "Kts", 'N'},      {"Statute", "Nm", 1.0f, "Kts", 'N'}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.setting);
    const Units u = Units::fromSetting(QString::fromLatin1(r.setting));
    EXPECT_EQ(u.DistanceUnit.toStdString(), r.unit);
    EXPECT_EQ(u.UnitFactor, r.factor);
    EXPECT_EQ(u.distanceLabel().toStdString(), r.unit);
    EXPECT_EQ(u.speedLabel().toStdString(), r.speed);
    EXPECT_EQ(u.nmeaUnitLetter(), QChar(r.nmea));
  }
  const Units km = Units::fromSetting("Km");
  EXPECT_NEAR(km.toDisplay(10), 18.52, 1e-5);  // factor is a single: 1.852f
  EXPECT_NEAR(km.fromDisplay(18.52), 10, 1e-5);
  EXPECT_NEAR(km.fromDisplay(km.toDisplay(3.7)), 3.7, 1e-12);
}

TEST(Units, StatusAndInstrumentTexts) {
  const Units nm = Units::fromSetting("Nm"), st = Units::fromSetting("M"), km = Units::fromSetting("Km");
  const struct {
    QString actual;
    const char* expected;
  } rows[] = {
      {FormatSpeed(10, st), "11.5 M/h"}, {FormatSpeed(10, km), "18.5 Km/h"}, {FormatSpeed(10, nm), "10.0 Kts"},
      {FormatSpeed(0, nm), "0.0 Kts"}, {FormatSpeed(6.25f, nm), "6.3 Kts"},
      {FormatWaterSpeed(10, km), "18.5Km/h"}, {FormatWaterSpeed(4.04f, nm), "4.0Kts"},
      {FormatCourse(5), "5.0° T"}, {FormatCourse(359.96f), "360.0° T"}, {FormatDepthFeet(12.35f), "12.4Ft"},
      {FormatTemperature(-1.25f), "-1.3°C"}, {FormatPressure(1013.5f), "1014Mb"},
      {FormatHeading(271.04f), "271.0°"}, {FormatWindSpeed(10), "10.0Kts"},  // wind always in knots
      {FormatWindDirection(340.4f), "340°"}, {FormatDate(QDate(2026, 1, 5)), "01-05-2026"},
      {FormatDate(QDate(2026, 12, 31)), "12-31-2026"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.expected);
    EXPECT_EQ(r.actual.toStdString(), r.expected);
  }
}

// Fix times are local by the settings' offset, so the time panel must not name the
// computer's zone (it showed "14:05:09 UTC" for a time two hours off UTC).
TEST(FormatTime, ShowsTheClockWithoutTheComputersZoneName) {
  const QString text = FormatTime(QTime(14, 5, 9));
  EXPECT_TRUE(text.contains(QStringLiteral("05")) && text.contains(QStringLiteral("09"))) << text.toStdString();
  const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
  for (const QString& name : {zone, QStringLiteral("UTC")})
    EXPECT_TRUE(name.isEmpty() || !text.contains(name)) << text.toStdString();
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
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    float heading;
    float expected;
  } rows[] = {
      {0, 4}, {22.5f, 2}, {11.25f, 3}, {5, 3.6f},  // 4 - 2 * 5/22.5 = 3.556
      {45, 0}, {315, -1}, {326.25f, 0.5f}, {337.5f, 2},
      {348.75f, 3},                               // halfway from the last entry to the first
      {359, 3.9f},                                // 2 + 2 * 21.5/22.5 = 3.911
      {359.99f, 4}, {360, 4}, {720 + 11.25f, 3},  // a full turn is heading 0
      {-11.25f, 3},                               // headings below 0 count from 360
      {330, 1.0f}, {320, -0.3f},                  // -1 + 3 * 15/22.5, -1 + 3 * 5/22.5
      // A hair below 0 wraps to 360.0f in single precision; it must still be read as the
      // top of the table, not sixteen steps past entry 0.
      {-1e-6f, 4}, {360 - 1e-6f, 4},
      {nan, 4}, {inf, 4},  // not a number: no reading outside the table, taken as heading 0
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.heading);
    EXPECT_FLOAT_EQ(c.deviation(r.heading), r.expected);
  }
}

// Results wrap once into 0..360 (360 is brought to 0); a user variation of 0 means the
// receiver's variation, any other wins over it; deviation enters both ways.
TEST(Compass, TrueAndMagneticBearings) {
  const Compass dev090 = tableOf({0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const struct {
    const char* legend;
    Compass compass;
    float user, heading, receiverVariation, toTrue, toMagnetic;
  } rows[] = {
      {"east 10, past north", {}, 10, 355, 0, 5, 345},
      {"east 10, before north", {}, 10, 5, 0, 15, 355},
      {"east 10 to exactly 360", {}, 10, 350, 0, 0, 340},
      {"east 10 from 10", {}, 10, 10, 0, 20, 0},
      {"west 10", {}, -10, 5, 0, 355, 15},
      {"west 10 from 355", {}, -10, 355, 0, 345, 5},
      {"receiver's variation", {}, 0, 100, -3, 97, 103},
      {"no variation at all", {}, 0, 100, 0, 100, 100},
      {"user variation wins", {}, 2, 100, -3, 102, 98},
      {"deviation 3 at 090", dev090, 1, 90, 0, 94, 86},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    Compass c = r.compass;
    c.UserVariation = r.user;
    EXPECT_FLOAT_EQ(c.ToTrue(r.heading, r.receiverVariation), r.toTrue);
    EXPECT_FLOAT_EQ(c.ToMagnetic(r.heading, r.receiverVariation), r.toMagnetic);
  }
}

TEST(LocalTime, OffsetMovesTheHourAndTheDate) {
  const struct {
    int h, m, s, offset;
    QTime time;
    int dayShift;
  } rows[] = {{23, 30, 0, 2, QTime(1, 30), 1},        {12, 0, 0, 0, QTime(12, 0), 0},
              {22, 0, 0, 2, QTime(0, 0), 1},          {21, 59, 59, 2, QTime(23, 59, 59), 0},
              {0, 30, 0, -2, QTime(22, 30), -1},      {1, 0, 0, -1, QTime(0, 0), 0},
              {11, 15, 30, -12, QTime(23, 15, 30), -1}, {12, 0, 0, 13, QTime(1, 0), 1},
              {0, 0, 0, 0, QTime(0, 0), 0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(QStringLiteral("%1:%2:%3 UTC%4").arg(r.h).arg(r.m).arg(r.s).arg(r.offset).toStdString());
    const LocalFix f = toLocalTime(r.h, r.m, r.s, r.offset);
    EXPECT_EQ(f.time, r.time);
    EXPECT_EQ(f.dayShift, r.dayShift);
  }
  for (auto [yy, year] : {std::pair{0, 2000}, {26, 2026}, {29, 2029}, {30, 1930}, {99, 1999}})
    EXPECT_EQ(fullYear(yy), year) << yy;
}

TEST(NavigationState, SentenceTableAndReset) {
  for (int i = 0; i < kSentenceCount; ++i) EXPECT_EQ(sentenceIndex(QString::fromLatin1(kSentenceNames[i])), i);
  EXPECT_EQ(sentenceIndex(u"DBS"), 0);
  EXPECT_EQ(sentenceIndex(u"RMC"), static_cast<int>(Sentence::RMC));
  EXPECT_EQ(sentenceIndex(u"ZDA"), kSentenceCount - 1);
  for (const char16_t* name : {u"XYZ", u"rmc", u"RM", u""}) EXPECT_EQ(sentenceIndex(name), -1);

  // A reset keeps only the position.
  NavigationState s;
  s.Latitude = 52.5f;
  s.Longitude = -4.25f;
  s.SpeedOverGround = s.TripDistance = 6;
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
  EXPECT_EQ(s.received(Sentence::GGA) + s.errors(Sentence::RMC), 0u);
  EXPECT_TRUE(s.Satellites.empty());
  EXPECT_FALSE(s.TripStartTime.isValid());
}

}  // namespace
}  // namespace tavrik
