// The target table and CPA/TCPA. The oracle for CPA is GeographicLib: both vessels
// stepped along their geodesics second by second, the least distance and its time.

#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>
#include <random>

#include "ais/ais_encoder.h"
#include "ais/ais_reception.h"

namespace tavrik::test {
namespace {

constexpr double kMetresPerNm = 1852.0;

CpaResult geodesicCpa(const OwnVessel& own, double lat, double lon, double speed, double course) {
  const GeographicLib::Geodesic& g = GeographicLib::Geodesic::WGS84();
  CpaResult best{1e9, 0};
  for (int s = 0; s <= 3 * 3600; s += 2) {
    double la1, lo1, la2, lo2, d;
    g.Direct(own.latitude, own.longitude, own.course, own.speed * kMetresPerNm * s / 3600.0, la1, lo1);
    g.Direct(lat, lon, course, speed * kMetresPerNm * s / 3600.0, la2, lo2);
    g.Inverse(la1, lo1, la2, lo2, d);
    if (d / kMetresPerNm < best.cpaNm) best = {d / kMetresPerNm, s / 60.0};
  }
  return best;
}

TEST(AisTargets, CpaAndTcpaAgreeWithVesselsSteppedAlongGeodesics) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0, 1);
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const OwnVessel own{true, -60 + 120 * u(rng), -179 + 358 * u(rng), 2 + 20 * u(rng), 360 * u(rng)};
    // A target within 8 nm heading roughly towards the own vessel's track.
    const double bearing = 360 * u(rng), range = 1 + 7 * u(rng);
    double lat, lon;
    GeographicLib::Geodesic::WGS84().Direct(own.latitude, own.longitude, bearing, range * kMetresPerNm, lat, lon);
    const double speed = 2 + 20 * u(rng), course = std::fmod(bearing + 180 + 60 * (u(rng) - 0.5) + 360, 360);
    const CpaResult ours = closestApproach(own, lat, lon, speed, course);
    const CpaResult oracle = geodesicCpa(own, lat, lon, speed, course);
    if (oracle.tcpaMinutes <= 0) {
      EXPECT_LE(ours.tcpaMinutes, 0.05);
      continue;
    }
    EXPECT_NEAR(ours.cpaNm, oracle.cpaNm, 0.01 + 0.002 * range);
    EXPECT_NEAR(ours.tcpaMinutes, oracle.tcpaMinutes, 0.1 + 0.01 * oracle.tcpaMinutes);
  }
}

TEST(AisTargets, TableMergesMessagesSortsByRangeRaisesTheAlarmAndLosesSilentTargets) {
  AisReception r;
  const OwnVessel own{true, 52.0, 4.0, 6, 0};  // north at 6 knots
  qint64 now = 1000;
  for (const std::string& s : staticReport(244000001, "WAVE RIDER", "PD1234")) r.feed(s, now);
  r.feed(positionReport(1, 244000001, 52.05, 4.0, 6, 180), now);       // 3 nm ahead, head-on: CPA 0 in 15 min
  r.feed(positionReport(18, 244000002, 52.0, 4.02, 0, 0), now);        // 0.74 nm abeam, stopped
  r.feed(positionReport(3, 244000003, 51.9, 4.0, 1, 180), now);        // astern, opening
  r.feed(nmeaWithChecksum("!AIVDO,1,1,,A," + positionReport(1, 244000009, 52, 4, 6, 0).substr(14, 28) + ",0"), now);
  AisAlarmLimits limits{0.5, 20};
  r.tick(own, limits, now);
  ASSERT_EQ(r.targets.size(), 3u) << "the own vessel's VDO is no target";
  const auto order = r.targets.byRange();
  std::vector<uint32_t> mmsis;
  for (const AisTarget* t : order) mmsis.push_back(t->mmsi);
  EXPECT_EQ(mmsis, (std::vector<uint32_t>{244000002, 244000001, 244000003}));
  const AisTarget* a = r.targets.find(244000001);
  EXPECT_EQ(a->name.toStdString(), "WAVE RIDER");
  EXPECT_EQ(a->callsign.toStdString(), "PD1234");
  EXPECT_EQ(a->destination.toStdString(), "ROTTERDAM");
  EXPECT_EQ(a->length, 120);
  EXPECT_EQ(a->beam, 15);
  EXPECT_EQ(a->shiptype, 70);
  EXPECT_NEAR(a->rangeNm, 3.0, 0.01);
  EXPECT_NEAR(a->bearing, 0.0, 0.1);
  EXPECT_NEAR(a->cpaNm, 0.0, 0.01);
  EXPECT_NEAR(a->tcpaMinutes, 15.0, 0.1);
  EXPECT_EQ(r.targets.find(244000002)->kind, AisTargetKind::ClassB);
  EXPECT_EQ(r.targets.dangerous(), (std::vector<uint32_t>{244000001}));
  EXPECT_TRUE(r.alarm.sounding());
  r.alarm.acknowledge();
  r.tick(own, limits, now);
  EXPECT_FALSE(r.alarm.sounding()) << "acknowledged";
  limits.tcpaMinutes = 10;  // the head-on meeting is further off than the limit
  r.tick(own, limits, now);
  EXPECT_TRUE(r.targets.dangerous().empty());
  limits.tcpaMinutes = 20;
  r.tick(own, limits, now);
  EXPECT_TRUE(r.alarm.sounding()) << "back inside the limits: a new alarm";

  now += AisTargets::kLostAfterMs - 1;
  r.feed(positionReport(18, 244000002, 52.0, 4.02, 0, 0), now);
  r.tick(own, limits, now + 1);
  ASSERT_EQ(r.targets.size(), 1u) << "only the target heard again stays";
  EXPECT_NE(r.targets.find(244000002), nullptr);
}

}  // namespace
}  // namespace tavrik::test
