// The position, motion and instrument parsers, fed through the receive path.

#include <gtest/gtest.h>

#include <cmath>

#include "core/units.h"
#include "geo/nav_math.h"
#include "nmea/receiver_rig.h"

namespace tavrik::test {
namespace {

// A latitude or longitude held as f32 near 180 degrees resolves to about 1e-5.
constexpr double kF32Deg = 2e-5;

TEST(PositionRule, ReadsDegreesAndMinutesAsTheReceiverWritesThem) {
  struct Row { const char *legend, *lat, *ns, *lon, *ew; bool ok; double latitude, longitude; };
  const Row rows[] = {
      {"four decimals", "5223.4567", "N", "00452.1234", "E", true, 52 + 23.4567 / 60, 4 + 52.1234 / 60},
      {"two decimals padded", "5223.45", "N", "452.12", "W", true, 52 + 23.45 / 60, -(4 + 52.12 / 60)},
      {"one leading digit of degrees", "523.4567", "S", "00452.1234", "E", true, -(5 + 23.4567 / 60), 4 + 52.1234 / 60},
      {"five decimals kept", "5223.45678", "N", "00452.12345", "E", true, 52 + 23.4567 / 60, 4 + 52.1234 / 60},
      {"minutes 60 accepted", "5260.0000", "N", "00400.0000", "E", true, 53, 4},
      {"90 degrees rejected", "9000.0000", "N", "00400.0000", "E", false, 0, 0},
      {"180 degrees rejected", "4500.0000", "N", "18000.0000", "E", false, 0, 0},
      {"minutes over 60 rejected", "4560.0001", "N", "00400.0000", "E", false, 0, 0},
      {"empty position rejected", "", "", "", "", false, 0, 0},
      {"lower-case hemisphere rejected", "4500.0000", "n", "00400.0000", "e", false, 0, 0},
      {"text in the latitude rejected", "52ab.0000", "N", "00400.0000", "E", false, 0, 0},
      {"out-of-range no-fix filler", "36000.0000", "N", "72000.0000", "E", false, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    double lat = 0, lon = 0;
    EXPECT_EQ(readPosition(r.lat, r.ns, r.lon, r.ew, lat, lon), r.ok);
    if (!r.ok) continue;
    EXPECT_NEAR(lat, r.latitude, 1e-9);
    EXPECT_NEAR(lon, r.longitude, 1e-9);
  }
  ReceiverRig rig;  // the datum hook, when set, converts every accepted position
  rig.rx.datumConversion = [](double& lat, double& lon) { lat += 0.001, lon -= 0.002; };
  rig.feed("$GPGLL,5223.4567,N,00452.1234,E,120000,A\r\n");
  EXPECT_NEAR(rig.nav.Latitude, 52 + 23.4567 / 60 + 0.001, kF32Deg);
  EXPECT_NEAR(rig.nav.Longitude, 4 + 52.1234 / 60 - 0.002, kF32Deg);
}

TEST(SentenceParsers, InvalidFixesMoveNothingButTheClock) {
  struct Row { const char* legend; std::string line; Sentence id; QTime time; QString date; };
  const Row rows[] = {
      {"RMC void", "$GPRMC,095255.810,V,2712.6404,S,15303.1201,E,3.00,90.00,080407,5.0,E,A", Sentence::RMC,
       QTime(9, 52, 55), "04-08-2007"},
      {"RMA void", "$LCRMA,V,2712.6404,S,15303.1201,E,,,3.0,90.0,5.0,E", Sentence::RMA, QTime(), ""},
      {"GLL void", "$GPGLL,2712.6404,S,15303.1201,E,095258,V,N", Sentence::GLL, QTime(9, 52, 58), ""},
      {"GGA without fix", "$GPGGA,000416.984,0000.0000,N,00000.0000,E,0,00,50.0,0.0,M,0.0,M,0.0,0000*70",
       Sentence::GGA, QTime(0, 4, 16), ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    ReceiverRig rig;
    NavigationState& n = rig.nav;
    n.Latitude = 10, n.Longitude = 20, n.SpeedOverGround = 1, n.CourseOverGround = 2, n.GpsVariation = 3;
    n.TimeStale = true;
    rig.feed(r.line + "\r\n");
    EXPECT_EQ(rig.received(r.id), 1u);
    EXPECT_EQ(rig.errors(r.id), 0u);
    EXPECT_EQ(std::vector<float>({n.Latitude, n.Longitude, n.SpeedOverGround, n.CourseOverGround, n.GpsVariation}),
              std::vector<float>({10, 20, 1, 2, 3}));
    EXPECT_EQ(n.FixTime, r.time);
    EXPECT_EQ(n.FixDate, r.date);
    // A void RMC or a GGA without fix still sets the clock; GLL time leaves the computer's shown.
    EXPECT_EQ(n.TimeStale, r.id == Sentence::GLL || !r.time.isValid());
  }
}

TEST(SentenceParsers, RmcWritesMotionTimeDateAndPanels) {
  ReceiverRig rig;
  rig.settings.units = Units::fromSetting("Km");
  // Position, time, speed and course of RMC are compared with gpsd on real captures.
  rig.feed("$GPRMC,095305.802,A,2712.6547,S,15303.1350,E,10.0,272.9,080407,10.9,W,A\r\n");
  EXPECT_FLOAT_EQ(rig.nav.GpsVariation, -10.9f);
  EXPECT_EQ(rig.nav.FixTime, QTime(9, 53, 5));
  EXPECT_EQ(rig.panels[Panel::Speed], "18.5 Km/h");
  EXPECT_EQ(rig.panels[Panel::Course], QStringLiteral("272.9° T"));
  EXPECT_EQ(rig.panels[Panel::Time], FormatTime(QTime(9, 53, 5)));
  EXPECT_EQ(rig.panels[Panel::Date], "04-08-2007");
  // Empty latitude: an error, with speed and course of the same sentence kept.
  rig.feed("$GPRMC,095306.802,A,,S,15303.1350,E,7.0,100.0,080407,,,A\r\n");
  EXPECT_EQ(rig.errors(Sentence::RMC), 1u);
  EXPECT_FLOAT_EQ(rig.nav.SpeedOverGround, 7.0f);
  EXPECT_EQ(rig.nav.FixTime, QTime(9, 53, 5)) << "time untouched by a rejected position";
}

TEST(SentenceParsers, TimeAndDateRollOverWithTheLocalOffset) {
  struct Row { const char* legend; int offset; std::string line; QTime time; QString date; };
  const Row rows[] = {
      {"RMC into the next year", 1, "$GPRMC,235959,A,5200.0,N,00400.0,E,0,0,311201,,", QTime(0, 59, 59), "01-01-2002"},
      {"RMC 23:30 plus 2", 2, "$GPRMC,233000,A,5200.0,N,00400.0,E,0,0,311299,,", QTime(1, 30, 0), "01-01-2000"},
      {"RMC back into the previous month", -3, "$GPRMC,013000,A,5200.0,N,00400.0,E,0,0,010324,,", QTime(22, 30, 0),
       "02-29-2024"},
      {"ZDA four-digit year", 1, "$GPZDA,235959.00,31,12,2001,00,00", QTime(0, 59, 59), "01-01-2002"},
      {"ZDA negative offset", -5, "$GPZDA,030000.00,01,01,2010,00,00", QTime(22, 0, 0), "12-31-2009"},
      {"GGA sets time only", 1, "$GPGGA,235959,5200.0,N,00400.0,E,1,04,1.0,0,M,0,M,,", QTime(0, 59, 59), ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    ReceiverRig rig;
    rig.settings.system.localTime = r.offset;
    rig.nav.TimeStale = rig.nav.DateStale = true;
    rig.feed(r.line + "\r\n");
    EXPECT_EQ(rig.nav.FixTime, r.time);
    EXPECT_EQ(rig.nav.FixDate, r.date);
    EXPECT_FALSE(rig.nav.TimeStale);
    EXPECT_EQ(rig.nav.DateStale, r.date.isEmpty());
  }
  ReceiverRig zda;  // a year no integer holds abandons the sentence (found by fuzzing)
  zda.feed("$GPZDA,235959.00,31,12,444444444444444444444444,00,00\r\n");
  EXPECT_EQ(zda.errors(Sentence::ZDA), 1u);
  EXPECT_TRUE(zda.nav.FixDate.isEmpty());
  // GLL time leaving the computer clock shown: MainCycleWithReceiver.
}

TEST(SentenceParsers, GgaAloneDerivesCourseAndSpeedUntilAnotherSourceArrives) {
  ReceiverRig rig;
  // 0.1' of latitude north every 10 s: 0.1 nm in 10 s is 36 knots on course 000.
  const auto gga = [&](const char* time, const char* lat) {
    rig.feed(std::string("$GPGGA,") + time + "," + lat + ",N,00400.0000,E,1,04,1.0,0,M,0,M,,\r\n");
  };
  gga("120000", "5200.0000");
  EXPECT_EQ(rig.nav.SpeedOverGround, 0.0f) << "first GGA after start-up";
  gga("120010", "5200.1000");
  EXPECT_EQ(rig.nav.SpeedOverGround, 0.0f) << "time difference still zero (previous two GGA)";
  gga("120020", "5200.2000");
  CalcRecord c{static_cast<float>(52 + 0.1 / 60), 4, 0, 0, static_cast<float>(52 + 0.2 / 60), 4};
  RhumbCourseDistance(c);
  EXPECT_NEAR(rig.nav.SpeedOverGround, c.Distance / (10 / 3600.0), 1e-3);
  EXPECT_NEAR(rig.nav.SpeedOverGround, 36.0, 0.5);  // the rhumb maths round to 5 decimals
  EXPECT_NEAR(rig.nav.CourseOverGround, 0.0, 0.01);
  EXPECT_EQ(rig.panels[Panel::Speed], FormatSpeed(rig.nav.SpeedOverGround, rig.settings.units));
  rig.feed("$GPVTG,45.0,T,,M,3.0,N,5.6,K\r\n");
  gga("120030", "5200.3000");
  EXPECT_FLOAT_EQ(rig.nav.SpeedOverGround, 3.0f) << "a VTG switches the derivation off";
  EXPECT_FLOAT_EQ(rig.nav.CourseOverGround, 45.0f);
}

TEST(SentenceParsers, GgaFixQualityNamesTheInputSource) {
  struct Row { QString before; const char* quality; QString after; };
  const Row rows[] = {{"Gps", "0", "Nofix "}, {"", "1", "Gps "},    {"Gps", "2", "Dgps "},
                      {"Gps", "6", "Gps"},    {"Test", "1", "Test"}, {"OLE", "2", "OLE"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.before.toStdString() + " quality " + r.quality);
    ReceiverRig rig;
    rig.panels[Panel::InputSource] = r.before;
    rig.feed(std::string("$GPGGA,120000,5200.0000,N,00400.0000,E,") + r.quality + ",04,1.0,0,M,0,M,,\r\n");
    EXPECT_EQ(rig.panels.inputSource(), r.after);
  }
}

TEST(SentenceParsers, GsvStoresEverySatelliteItCarries) {
  ReceiverRig rig;
  rig.feed("$GPGSV,3,1,09,02,15,123,30,05,45,347,45,06,58,198,,07,45,212,20\r\n"
           "$GPGSV,3,2,09,10,44,132,,12,39,002,45,18,13,332,,21,33,266,12\r\n"
           "$GPGSV,3,3,09,24,58,220.5,41*00\r\n");
  EXPECT_EQ(rig.errors(Sentence::GSV), 1u) << "checksum of the last one is wrong";
  rig.feed("$GPGSV,3,3,09,24,58,220.5,41\r\n");
  EXPECT_EQ(rig.errors(Sentence::GSV), 1u) << "a short final message is accepted";
  EXPECT_EQ(rig.nav.SatellitesInView, 9);
  ASSERT_EQ(rig.nav.Satellites.size(), 10u);
  // The satellites of whole groups are compared with gpsd on real captures; the
  // short final message and its fractional azimuth are checked here.
  const SatelliteRecord& last = rig.nav.Satellites[8];
  EXPECT_EQ(std::tuple(last.Prn, last.Elevation, last.Azimuth, last.Snr), std::tuple(24, 58, 220.5f, 41));
  rig.feed("$GPGSV,1,1,00\r\n$GPGSV,9,9,00,99,1,1,1\r\n");
  EXPECT_EQ(rig.nav.SatellitesInView, 0);
  EXPECT_EQ(rig.errors(Sentence::GSV), 2u) << "a message number beyond the announced count";
}

TEST(SentenceParsers, OneSentenceWritesItsFieldsAndPanels) {
  using Value = std::pair<float NavigationState::*, double>;
  struct Row { const char* legend; std::string line; Sentence id; bool accepted;
               std::vector<Value> values; std::vector<std::pair<Panel, QString>> panels; };
  using N = NavigationState;
  const Row rows[] = {
      {"DBT feet and metres", "$IIDBT,12.3,f,3.7,M,2.0,F", Sentence::DBT, true, {{&N::DepthMetres, 3.7}},
       {{Panel::Depth, "12.3Ft"}}},
      {"DBS in the same fields", "$IIDBS,20.0,f,6.1,M,,F", Sentence::DBS, true, {{&N::DepthFeet, 20}}, {}},
      {"MTW", "$IIMTW,17.5,C", Sentence::MTW, true, {{&N::WaterTemperature, 17.5}},
       {{Panel::Temperature, QStringLiteral("17.5°C")}}},
      {"MTW with only its address", "$IIMTW", Sentence::MTW, false, {}, {}},
      {"MMB bars", "$IIMMB,29.9213,I,1.0132,B", Sentence::MMB, true, {{&N::AirPressure, 1013.2}},
       {{Panel::Pressure, "1013Mb"}}},
      {"MMB inches only", "$IIMMB,29.92,I,,B", Sentence::MMB, true, {{&N::AirPressure, 29.92 * 33.8639}}, {}},
      {"HDM", "$IIHDM,238.5,M", Sentence::HDM, true, {{&N::HeadingMagnetic, 238.5}},
       {{Panel::Heading, QStringLiteral("238.5°")}}},
      {"VHW with true heading", "$IIVHW,105.0,T,100.0,M,6.5,N,12.0,K", Sentence::VHW, true,
       {{&N::HeadingTrue, 105}, {&N::WaterSpeed, 6.5}}, {{Panel::WaterSpeed, "6.5Kts"}}},
      {"VHW true heading from the compass", "$IIVHW,,T,100.0,M,6.5,N,12.0,K", Sentence::VHW, true,
       {{&N::HeadingTrue, 102}}, {}},
      {"VHW short", "$IIVHW,,T,100.0,M", Sentence::VHW, false, {}, {}},
      {"text in a numeric field reads 0", "$IIDBT,abc,f,x,M,,F", Sentence::DBT, true, {{&N::DepthFeet, 0}}, {}},
      {"a value no f32 holds is an error", "$IIDBT,1e300,f,1,M,,F", Sentence::DBT, false, {}, {}},
      {"GSA", "$GPGSA,A,3,12,25,21,29,30,,,,,,,,2.6,1.9,1.8*38", Sentence::GSA, true,
       {{&N::Pdop, 2.6}, {&N::Hdop, 1.9}, {&N::Vdop, 1.8}}, {}},
      {"VTG short", "$GPVTG,0.00,T,,M", Sentence::VTG, false, {}, {}},
      {"VWR", "$IIVWR,30.0,L,12.0,N,6.2,M,22.2,K", Sentence::VWR, true, {{&N::WindAngle, 30}, {&N::WindSpeed, 12}},
       {{Panel::WindSpeed, "12.0Kts"}, {Panel::WindDirection, QStringLiteral("330°")}}},
      {"RMB never moves the vessel", "$GPRMB,A,0.66,L,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,V",
       Sentence::RMB, true, {{&N::Latitude, 0}, {&N::Longitude, 0}}, {}},
      {"RMB with an empty destination fails the position check", "$GPRMB,A,,,,,,,,,,,,V", Sentence::RMB, false,
       {}, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    ReceiverRig rig;
    rig.settings.compass.UserVariation = 2;
    rig.feed(r.line + "\r\n");
    EXPECT_EQ(rig.received(r.id), 1u);
    EXPECT_EQ(rig.errors(r.id), r.accepted ? 0u : 1u);
    for (const auto& [field, value] : r.values) EXPECT_FLOAT_EQ(rig.nav.*field, static_cast<float>(value));
    for (const auto& [panel, text] : r.panels) EXPECT_EQ(rig.panels[panel], text);
    EXPECT_EQ(rig.nav.WindSide, r.id == Sentence::VWR ? "L" : "");
    if (r.id == Sentence::GSA) {
      EXPECT_EQ(rig.nav.FixMode, "A");
      EXPECT_EQ(rig.nav.FixType, 3);
    }
  }
}

TEST(SentenceParsers, VwrDirectionFollowsTheMagneticHeading) {
  struct Row { const char* legend; float heading; const char* fields; float direction; };
  const Row rows[] = {
      {"left of the bow wraps below 0", 10, "30.0,L,12.0", 340},
      {"right wraps past 360", 350, "45.0,R,12.0", 35},
      {"side with blanks", 100, "20.0, L ,12.0", 80},
      {"dead astern", 0, "180.0,R,5.0", 180},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    ReceiverRig rig;
    rig.nav.HeadingMagnetic = r.heading;
    rig.feed(std::string("$IIVWR,") + r.fields + ",N,6.2,M,22.2,K\r\n");
    EXPECT_FLOAT_EQ(rig.nav.WindDirection, r.direction);
  }
}

TEST(SentenceParsers, HscLocksAndUnlocksTheLogbookAndFallsSilentAfterTenCycles) {
  ReceiverRig rig;
  rig.nav.Latitude = 52.5f;
  rig.nav.Longitude = 4.25f;
  rig.feed("$APHSC,,T,120.0,M\r\n$APHSC,,T,120.0,M\r\n$APHSC,,T,121.0,M\r\n");
  auto events = rig.rx.takeLogbookEvents();
  ASSERT_EQ(events.size(), 2u) << "one event per change of the heading to steer";
  EXPECT_EQ(events[0].text, "Autopilot locked on 120.0");
  EXPECT_EQ(events[1].text, "Autopilot locked on 121.0");
  EXPECT_EQ(events[1].type, "Autopilot");
  EXPECT_TRUE(events[1].text2.isEmpty());
  EXPECT_EQ(events[1].latitude, 52.5f);
  EXPECT_EQ(events[1].longitude, 4.25f);
  EXPECT_TRUE(rig.rx.takeLogbookEvents().empty());
  rig.feed("$APHSC,,T,-1,M\r\n");
  events = rig.rx.takeLogbookEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].text, "Autopilot unlocked");
  // The autopilot falls silent: after more than ten cycles the heading to steer is
  // cleared and the next HSC locks again.
  rig.feed("$APHSC,,T,121.0,M\r\n");
  EXPECT_FLOAT_EQ(rig.nav.SteerHeading, 121.0f);
  for (int i = 0; i < 10; ++i) rig.rx.tick();
  EXPECT_FLOAT_EQ(rig.nav.SteerHeading, 121.0f) << "ten cycles are not more than ten";
  rig.rx.tick();
  EXPECT_FLOAT_EQ(rig.nav.SteerHeading, -1.0f);
  rig.feed("$APHSC,,T,121.0,M\r\n");
  events = rig.rx.takeLogbookEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].text, "Autopilot locked on 121.0");
  // Events nobody takes are bounded, the newest kept.
  std::string hunting;
  for (int i = 0; i < 500; ++i) hunting += "$APHSC,,T," + std::to_string(100 + i % 2) + ".0,M\r\n";
  rig.feed(hunting);
  events = rig.rx.takeLogbookEvents();
  ASSERT_EQ(events.size(), ParserState::kMaxPendingLogEvents);
  EXPECT_EQ(events.back().text, "Autopilot locked on 101.0");
}

TEST(SentenceParsers, VlwTripAddsDifferencesAndRebasesAfterAReset) {
  ReceiverRig rig;
  rig.nav.TripDistance = 5;
  rig.feed("$IIVLW,1000.0,N,1.0,N\r\n");
  EXPECT_FLOAT_EQ(rig.nav.TripDistance, 5.0f) << "the first reading adds nothing";
  rig.feed("$IIVLW,1000.4,N,1.4,N\r\n$IIVLW,1001.0,N,2.0,N\r\n");
  EXPECT_NEAR(rig.nav.TripDistance, 6.0, 1e-4);  // f32 sums of readings near 1000
  EXPECT_FLOAT_EQ(rig.nav.LogTotal, 1001.0f);
  rig.nav.received(Sentence::VLW) = 0;  // the data-loss check of the main timer
  rig.feed("$IIVLW,1100.0,N,0,N\r\n");
  EXPECT_NEAR(rig.nav.TripDistance, 6.0, 1e-4) << "no jump after a gap";
}

}  // namespace
}  // namespace tavrik::test
