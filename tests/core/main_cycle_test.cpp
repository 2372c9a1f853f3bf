#include "core/main_cycle.h"

#include <gtest/gtest.h>

#include "core/clock_setter.h"
#include "core/units.h"

namespace tavrik {
namespace {

struct CycleFixture {
  NavigationState nav;
  StatusPanels panels;
  RequestFlags requests;
  RadarTargets radar;
  AppSettings settings;
  FakeClock clock{QDateTime(QDate(2026, 3, 14), QTime(9, 30, 0))};
  MainCycle cycle{nav, panels, requests, radar, settings, clock};

  // n ticks a second apart; with data, each is preceded by what the receive cycle does.
  void ticks(int n, bool data = false) {
    for (int i = 0; i < n; ++i) {
      if (data) nav.DataReceived = true;
      clock.advanceSecs(1);
      cycle.tick();
    }
  }
};

TEST(MainCycle, NoDataForTenTicksEmptiesInputPanelAndShowsTheClock) {
  CycleFixture f;
  f.panels[Panel::InputSource] = "Gps";
  f.panels[Panel::Time] = "fix time";
  f.panels[Panel::Date] = "01-01-2001";
  f.nav.received(Sentence::VLW) = 4;
  f.ticks(9);
  EXPECT_EQ(f.panels[Panel::InputSource], "Gps") << "nine silent ticks are not yet a loss";
  EXPECT_EQ(f.panels[Panel::Time], "fix time");
  f.ticks(1);
  EXPECT_TRUE(f.panels[Panel::InputSource].isEmpty());
  EXPECT_TRUE(f.nav.TimeStale && f.nav.DateStale);
  EXPECT_EQ(f.nav.received(Sentence::VLW), 0u) << "the next VLW must re-base the trip";
  EXPECT_EQ(f.panels[Panel::Time], FormatTime(f.clock.now().time()));
  EXPECT_EQ(f.panels[Panel::Date], "03-14-2026");
  // The panels keep following the clock, across midnight too.
  f.clock.set(QDateTime(QDate(2026, 3, 14), QTime(23, 59, 59)));
  f.ticks(1);
  EXPECT_EQ(f.panels[Panel::Time], FormatTime(QTime(0, 0, 0)));
  EXPECT_EQ(f.panels[Panel::Date], "03-15-2026");
}

TEST(MainCycle, DataEveryTenTicksKeepsTheInputPanel) {
  CycleFixture f;
  f.panels[Panel::InputSource] = "Gps";
  for (int i = 0; i < 5; ++i) {
    f.nav.DataReceived = true;  // what the receive cycle does
    f.ticks(10);
    EXPECT_FALSE(f.nav.DataReceived) << "cleared by every tenth tick";
  }
  EXPECT_EQ(f.panels[Panel::InputSource], "Gps");
  EXPECT_FALSE(f.nav.TimeStale);
}

TEST(MainCycle, GllOnlyReceiverKeepsTheComputerClockShown) {
  CycleFixture f;
  f.nav.TimeStale = f.nav.DateStale = true;  // as after a loss of data or a stop
  for (int s = 0; s < 30; ++s) {
    // A GLL sentence sets the fix time and the time panel but leaves TimeStale set.
    f.nav.FixTime = QTime(7, 0, s);
    f.panels[Panel::Time] = FormatTime(f.nav.FixTime);
    f.ticks(1, true);
    EXPECT_EQ(f.panels[Panel::Time], FormatTime(f.clock.now().time())) << s;
  }
}

TEST(MainCycle, TripIntegratesSpeedWhileNoLogIsReceived) {
  CycleFixture f;
  f.nav.SpeedOverGround = 6;
  f.ticks(3600, true);
  // 3600 single-precision additions of 1/600: rounding stays far below 0.001 Nm.
  EXPECT_NEAR(f.nav.TripDistance, 6.0, 1e-3);
  // A counted VLW stops the integration: the log reports the trip.
  f.nav.received(Sentence::VLW) = 1;
  f.ticks(600, true);
  EXPECT_NEAR(f.nav.TripDistance, 6.0, 1e-3);
  // Ten silent ticks forget the VLW count, so the speed counts again.
  f.ticks(10);
  EXPECT_EQ(f.nav.received(Sentence::VLW), 0u);
  f.ticks(600);
  EXPECT_NEAR(f.nav.TripDistance, 7.0, 2e-3);
}

TEST(MainCycle, TripStartsAtTheFirstTickWithData) {
  CycleFixture f;
  f.nav.Latitude = 52.5f;
  f.nav.Longitude = 4.25f;
  f.ticks(3);
  EXPECT_TRUE(f.nav.TripStartTime.isNull()) << "no data yet";
  f.ticks(1, true);
  const QDateTime started = f.clock.now();
  EXPECT_EQ(f.nav.TripStartTime, started);
  f.nav.Latitude = 53;  // later positions do not move the start
  f.ticks(5, true);
  EXPECT_EQ(f.nav.TripStartTime, started);
  EXPECT_FLOAT_EQ(f.nav.TripStartLatitude, 52.5f);
  EXPECT_FLOAT_EQ(f.nav.TripStartLongitude, 4.25f);
}

TEST(MainCycle, StepsRunInOrderAndHooksSeeTheRequest) {
  CycleFixture f;
  std::vector<QString> order;
  f.cycle.hooks.gotoRequest = [&] {
    order.push_back("goto");
    f.requests.gotoLatitude = f.requests.gotoLongitude = 0;
  };
  f.cycle.hooks.positionText = [&](double, double) {
    order.push_back("position");
    return "P";
  };
  f.cycle.hooks.writePendingLog = [&] { order.push_back("log"); };
  f.cycle.hooks.serviceModem = [&] { order.push_back("modem"); };
  f.nav.FixTime = QTime(9, 30);
  f.ticks(1);
  EXPECT_EQ(order, (std::vector<QString>{"position", "log", "modem"})) << "no go-to request yet";
  EXPECT_EQ(f.panels[Panel::Position], "P");
  order.clear();
  f.requests.gotoLatitude = 52;
  f.ticks(1);
  EXPECT_EQ(order.front(), "goto");
}

TEST(MainCycle, SilentRadarTargetsTurnLostAndOldRsdCountsVanish) {
  CycleFixture f;
  const QDateTime t0 = f.clock.now();
  f.radar.targets.resize(3);
  f.radar.targets[1].Number = 1;
  f.radar.targets[1].Status = "T";
  f.radar.targets[1].LastUpdate = t0;
  f.radar.targets[2].Number = 2;
  f.radar.targets[2].Status = "Q";
  f.radar.targets[2].LastUpdate = t0.addSecs(5);
  f.radar.LastRsdTime = t0;
  f.nav.received(Sentence::RSD) = 12;
  f.nav.errors(Sentence::RSD) = 2;
  f.ticks(10);  // 10 s: not yet "more than ten"
  EXPECT_EQ(f.radar.targets[1].Status, "T");
  EXPECT_EQ(f.nav.received(Sentence::RSD), 12u);
  EXPECT_FALSE(f.requests.radarRedraw);
  f.ticks(1);  // 11 s
  EXPECT_EQ(f.radar.targets[1].Status, "L");
  EXPECT_EQ(f.radar.targets[2].Status, "Q") << "heard 5 s later";
  EXPECT_TRUE(f.requests.radarRedraw);
  EXPECT_EQ(f.nav.received(Sentence::RSD) + f.nav.errors(Sentence::RSD), 0u);
  EXPECT_TRUE(f.radar.targets[0].Status.isEmpty()) << "the empty record is never aged";
  f.requests.radarRedraw = false;
  f.ticks(5);
  EXPECT_EQ(f.radar.targets[2].Status, "L");
  EXPECT_TRUE(f.requests.radarRedraw);
  f.requests.radarRedraw = false;
  f.ticks(3);
  EXPECT_FALSE(f.requests.radarRedraw) << "a lost target is not lost again";
}

TEST(MainCycle, PositionPanelShowsTheFixInDegreesAndMinutesOrThatThereIsNone) {
  const struct {
    const char* legend;
    float lat, lon;
    const char* decimals;
    bool fixed, stale;
    const char* text;
  } rows[] = {
      {"north east", 52.375f, 4.8875f, "2", true, false, "52° 22.50' N / 4° 53.25' E"},
      {"south west, three decimals", -33.5f, -70.25f, "3", true, false, "33° 30.000' S / 70° 15.000' W"},
      {"minutes rounding up to 60 carry into the degree", 52.99999999f, 0, "2", true, false, "53° 0.00' N / 0° 0.00' E"},
      {"the stored position before any fix", 52.375f, 4.8875f, "2", false, false, "No fix"},
      {"data lost or communication stopped", 52.375f, 4.8875f, "2", true, true, "No fix"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    CycleFixture f;
    f.settings.Decimals = QLatin1String(r.decimals);
    f.nav.Latitude = r.lat;
    f.nav.Longitude = r.lon;
    if (r.fixed) f.nav.FixTime = QTime(9, 29, 59);
    f.nav.TimeStale = r.stale;
    f.ticks(1);
    EXPECT_EQ(f.panels[Panel::Position], QString::fromUtf8(r.text));
  }
}

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
