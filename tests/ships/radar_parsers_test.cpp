// Radar target sentences through the receive path: the target table they leave,
// the counters, the ageing, and what tavrik-nmea prints for them.

#include <gtest/gtest.h>

#include <cmath>

#include "core/clock.h"
#include "nmea/nmea_decoder.h"
#include "nmea/receiver_rig.h"
#include "ships/decoder_fields.h"
#include "ships/radar_parsers.h"

namespace tavrik {
namespace {

struct RadarRig {
  test::ReceiverRig rig;
  RadarTargets radar;
  RequestFlags flags;
  FakeClock clock;
  RadarParsers parsers{rig.nav, radar, flags, clock};

  RadarRig() {
    parsers.install(rig.rx);
    rig.rx.beginSession();
  }
  void feed(std::initializer_list<const char*> lines) {
    for (const char* l : lines) rig.rx.dispatch(l);
  }
  const RadarTarget* target(int number) const {
    for (const RadarTarget& t : radar.targets)
      if (t.Number == number && !t.LastUpdate.isNull()) return &t;
    return nullptr;
  }
};

// Own position 50N 4W in every case; the distance to the target is checked with the
// plane-sailing formula, which is exact enough over two miles.
double planeDistanceNm(double lat1, double lon1, double lat2, double lon2) {
  const double dLat = (lat2 - lat1) * 60;
  const double dLon = (lon2 - lon1) * 60 * std::cos((lat1 + lat2) / 2 * M_PI / 180);
  return std::hypot(dLat, dLon);
}

TEST(RadarParsers, TtmBearingsDistancesAndRejects) {
  struct Case {
    const char* name;
    std::vector<const char*> before;
    const char* ttm;
    bool accepted;
    float bearing;
    double distanceNm;
  };
  const char* fix = "$GPRMC,120000,A,5000.000,N,00400.000,W,5.0,90.0,071226,,";
  const std::vector<Case> cases = {
      {"relative plus heading of VHW", {fix, "$IIVHW,350.0,T,,M,5.0,N,,K"},
       "$RATTM,01,2.0,30.0,R,10.0,180.0,T,0.5,3.0,N,ALPHA,T,,120000,A", true, 20, 2.0},
      {"relative plus course over ground", {fix},
       "$RATTM,01,2.0,30.0,R,10.0,180.0,T,0.5,3.0,N,ALPHA,T,,120000,A", true, 120, 2.0},
      {"kilometres", {fix}, "$RATTM,01,2.0,45.0,T,10.0,180.0,T,0.5,3.0,K,A,T,,120000,A", true, 45, 1.08},
      {"statute miles", {fix}, "$RATTM,01,2.0,270.0,T,10.0,180.0,T,0.5,3.0,S,A,T,,120000,A", true, 270, 1.738},
      {"too few fields", {fix}, "$RATTM,01,2.0,45.0,T,10.0,180.0,T,0.5,3.0,N,A", false, 0, 0},
      {"target number out of range", {fix}, "$RATTM,1000,2.0,45.0,T,10.0,180.0,T,0.5,3.0,N,A,T,,120000,A", false, 0, 0},
      {"relative with no heading known", {}, "$RATTM,01,2.0,30.0,R,10.0,180.0,T,0.5,3.0,N,A,T,,120000,A", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RadarRig r;
    for (const char* l : c.before) r.rig.rx.dispatch(l);
    r.feed({c.ttm});
    EXPECT_EQ(r.rig.nav.received(Sentence::TTM), 1u);
    EXPECT_EQ(r.rig.nav.errors(Sentence::TTM), c.accepted ? 0u : 1u);
    const RadarTarget* t = r.target(1);
    ASSERT_EQ(t != nullptr, c.accepted);
    if (!t) continue;
    EXPECT_FLOAT_EQ(t->Bearing, c.bearing);
    EXPECT_NEAR(planeDistanceNm(50, -4, t->TargetLatitude, t->TargetLongitude), c.distanceNm, 0.005);
    EXPECT_TRUE(r.flags.radarRedraw);
  }
}

TEST(RadarParsers, TllOfTheSameTargetAgreesWithTtm) {
  RadarRig r;
  r.feed({"$GPRMC,120000,A,5000.000,N,00400.000,W,5.0,90.0,071226,,",
          // 3 nm on 060 true: 1.5' north, 2.598' east / cos 50 = 4.0416' of longitude.
          "$RATTM,07,3.0,60.0,T,0,0,T,0,0,N,ECHO,T,,120000,A", "$RATLL,08,5001.500,N,00355.958,W,ECHO,120000,T,"});
  const RadarTarget* ttm = r.target(7);
  const RadarTarget* tll = r.target(8);
  ASSERT_TRUE(ttm && tll);
  EXPECT_NEAR(ttm->TargetLatitude, tll->TargetLatitude, 0.0003);
  EXPECT_NEAR(ttm->TargetLongitude, tll->TargetLongitude, 0.0003);
  EXPECT_NEAR(tll->Bearing, 60, 0.2);
  EXPECT_NEAR(tll->Distance, 3.0, 0.01);
  EXPECT_EQ(tll->Units, "N");
  EXPECT_EQ(tll->CourseRef, "0");
  r.feed({"$RATLL,08,5001.500,X,00355.958,W,ECHO,120000,T,", "$RATLL,08,5001.500,N"});
  EXPECT_EQ(r.rig.nav.errors(Sentence::TLL), 2u);
}

TEST(RadarParsers, AgeingResetAndRsd) {
  RadarRig r;
  r.feed({"$RATTM,03,1.0,10.0,T,0,0,T,0,0,N,C,T,,120000,A", "$RARSD,,,,,,,,,,,,,,"});
  EXPECT_EQ(r.radar.LastRsdTime, r.clock.now());
  r.flags.radarRedraw = false;
  r.clock.advanceSecs(10);
  EXPECT_FALSE(r.radar.ageTargets(r.clock.now()));
  r.clock.advanceSecs(1);
  EXPECT_TRUE(r.radar.ageTargets(r.clock.now()));
  EXPECT_EQ(r.target(3)->Status, "L");
  // A lost target reported again is tracked again and redrawn.
  r.feed({"$RATTM,03,1.0,10.0,T,0,0,T,0,0,N,C,T,,120000,A"});
  EXPECT_EQ(r.target(3)->Status, "T");
  EXPECT_TRUE(r.flags.radarRedraw);
  // The clock set back an hour: the target falls silent all the same.
  r.clock.advanceSecs(-3600);
  EXPECT_TRUE(r.radar.ageTargets(r.clock.now()));
  r.feed({"$RATTM,03,1.0,10.0,T,0,0,T,0,0,N,C,T,,120000,A"});
  r.rig.rx.endSession();
  r.rig.rx.beginSession();
  EXPECT_EQ(r.radar.targets.size(), 1u);
  EXPECT_EQ(r.target(3), nullptr);
}

TEST(RadarParsers, DecoderPrintsTheTargetRecord) {
  std::string out;
  NmeaDecoder decoder({}, [&](std::string_view s) { out += s; });
  FakeClock clock;
  DecoderShipFields fields(decoder, clock, 1);
  decoder.feed("$RATTM,05,2.0,45.0,T,12.5,200.0,T,0.4,6.5,K,FOX,Q,,120000,A\r\n"
               "$SHIPS,Mary's,233000,311226,5210.5,S,00430.2,W,10,K,45,20,M,270\r\n");
  EXPECT_NE(out.find("{\"sentence\":\"RATTM\",\"Number\":5,\"Distance\":2,\"Units\":\"K\",\"Bearing\":45,"
                     "\"Speed\":12.5,\"Course\":200,\"Cpa\":0.4,\"Tcpa\":6.5,\"Status\":\"Q\",\"Name\":\"FOX\","),
            std::string::npos)
      << out;
  // Local time one hour ahead moves 31 Dec 23:30 UTC into the new year.
  EXPECT_NE(out.find("{\"sentence\":\"SHIPS\",\"Name\":\"Mary's\",\"latitude\":-52.175,\"longitude\":-4.503333"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\"Last updated\":\"2027-01-01T00:30:00\""), std::string::npos) << out;
}

}  // namespace
}  // namespace tavrik
