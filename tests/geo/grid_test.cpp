// The grids against independent implementations: GeographicLib for UTM and the
// National Grid projection, PROJ (cs2cs) for RD (EPSG:28992) and the National Grid
// with its datum (EPSG:27700); and the tavrik-grid filter, run as a user runs it.

#include "geo/grid.h"

#include <GeographicLib/OSGB.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "geo_test_support.h"

using namespace tavrik;

namespace {

constexpr double kA = 6378137.0;
constexpr double kB = 6356752.314245179;  // WGS-84: a (1 - 1/298.257223563)
constexpr double kInternationalA = 6378388.0;
constexpr double kInternationalB = 6356911.946;

struct Pt {
  double lat, lon;
};

}  // namespace

TEST(Utm, AgreesWithGeographicLibAcrossZonesAndHemispheres) {
  const GeographicLib::TransverseMercator tm(kA, 1 / 298.257223563, GeographicLib::Constants::UTM_k0());
  // Single precision: eastings (below 2^20 m) resolve 1/16 m; a northing is stored twice
  // south of the equator (before and after the false northing), each store costing half
  // the spacing of singles there: a quarter metre from 2^22 = 4194304 m, half a metre
  // from 2^23. The series itself adds centimetres at most.
  auto halfSpacing = [](double v) {
    const float f = static_cast<float>(std::fabs(v));
    return (std::nextafter(f, INFINITY) - f) / 2.0;
  };
  // Across zones and both hemispheres, clear of the Norway and Svalbard zone exceptions,
  // at the centre and near both edges of their zones.
  for (double lat : {-79.5, -60.0, -33.9, -4.0, -0.01, 0.0, 0.01, 8.0, 23.4, 45.0, 52.0, 66.6, 83.9})
    for (double lon : {-177.1, -122.4, -71.0, -3.01, 0.01, 5.0, 47.9, 98.99, 151.2, 179.9}) {
      if ((lat >= 56 && lat < 64 && lon >= 3 && lon < 12) || (lat >= 72 && lon >= 0 && lon < 42)) continue;
      SCOPED_TRACE(testing::Message() << lat << ", " << lon);
      const UtmPosition u = UtmFromLatLon(lat, lon, kA, kB);
      EXPECT_EQ(u.zone, GeographicLib::UTMUPS::StandardZone(lat, lon, GeographicLib::UTMUPS::UTM));
      double x, y;
      tm.Forward(6.0 * u.zone - 183, lat, lon, x, y);
      const double north = lat < 0 ? y + 10000000 : y;
      EXPECT_NEAR(u.easting, x + 500000, 0.1);
      EXPECT_NEAR(u.northing, north, halfSpacing(y) + (lat < 0 ? halfSpacing(north) : 0) + 0.02);
      if (std::fabs(lat) > 80) continue;  // UTM ends at 80 S and 84 N; the inverse series is not meant there
      const UtmExact e = UtmFromLatLonExact(lat, lon, kA, kB);
      const LatLon back = LatLonFromUtm(e.zone, e.designator, e.easting, e.northing, kA, kB);
      double lat0, lon0;
      tm.Reverse(6.0 * e.zone - 183, x, y, lat0, lon0);
      // Snyder's inverse series: a few millimetres (1e-7 degrees is 1 cm) at the zone edges.
      EXPECT_NEAR(back.lat, lat0, 2e-7);
      EXPECT_NEAR(back.lon, lon0, 2e-7 / std::cos(lat * M_PI / 180));
    }
}

TEST(Utm, WorkedExamplesNorthAndSouth) {
  const UtmExact exact = UtmFromLatLonExact(52, 5, 6378137, 6356752.3);
  EXPECT_EQ(exact.zone, 31);
  EXPECT_EQ(exact.designator, QLatin1Char('U'));
  EXPECT_NEAR(exact.easting, 637294.37, 0.005);
  EXPECT_NEAR(exact.northing, 5762926.80, 0.005);
  const UtmPosition u = UtmFromLatLon(52, 5, 6378137, 6356752.3);
  EXPECT_EQ(u.easting, static_cast<float>(exact.easting));
  EXPECT_EQ(u.northing, 5762927.0f);  // the nearest single, half a metre apart there

  const UtmPosition s = UtmFromLatLon(-4, 20, kA, kB);
  const LatLon p = LatLonFromUtm(s.zone, s.designator, s.easting, s.northing, kA, kB);
  EXPECT_NEAR(p.lat, -4, 1e-5);  // half a metre of single-precision northing
  EXPECT_NEAR(p.lon, 20, 1e-6);
  EXPECT_TRUE(IsSouthernDesignator(QLatin1Char('m')));
  EXPECT_FALSE(IsSouthernDesignator(QLatin1Char('N')));
}

TEST(UtmZoneDesignator, BandsOfEightDegreesWithoutCutOff) {
  const struct {
    double lat;
    char band;
  } rows[] = {{0, 'N'},    {-0.0001, 'M'}, {7.999, 'N'}, {8, 'P'},    {72, 'X'},  {83, 'X'},  {90, 'X'},
              {71.99, 'W'}, {-8, 'M'},    {-8.01, 'L'}, {-64, 'E'},  {-64.01, 'D'}, {-72, 'D'}, {-72.01, 'C'},
              {-80, 'C'},  {-90, 'C'},     {52, 'U'},    {-33.9, 'H'}, {40, 'T'}, {39.99, 'S'}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.lat);
    EXPECT_EQ(UtmZoneDesignator(r.lat), QLatin1Char(r.band));
  }
}

TEST(UtmZone, BoundaryGoesToTheZoneFartherFromThePrimeMeridian) {
  const struct {
    double lon;
    int zone;
  } rows[] = {{0, 31}, {6, 32}, {-6, 29}, {5.999, 31}, {-0.001, 30}, {3, 31}, {-3, 30}, {179.99, 60},
              {180, 60}, {-180, 1}, {-179.99, 1}, {185, 1}, {-174, 1}, {-173.9, 2}, {174, 60}, {-186, 60}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.lon);
    EXPECT_EQ(UtmZone(r.lon), r.zone);
    EXPECT_EQ(UtmFromLatLon(10, r.lon, kA, kB).zone, r.zone);
  }
}

TEST(Rd, OriginBothWaysAndRoundTripUnderAMetre) {
  const LatLon p = LatLonFromRd(155000, 463000);  // the single-precision Amersfoort seconds
  EXPECT_DOUBLE_EQ(p.lat, 187762.203125 / 3600);
  EXPECT_DOUBLE_EQ(p.lon, 19395.5 / 3600);
  EXPECT_NEAR(p.lat, 52.1561667, 1e-6);  // 187762.2" held as a single: 0.1 m north
  EXPECT_NEAR(p.lon, 5.3876389, 1e-7);
  const RdPosition o = RdFromLatLon(52 + 9.0 / 60 + 22.178 / 3600, 5 + 23.0 / 60 + 15.5 / 3600);
  EXPECT_NEAR(o.x, 155000, 0.02);
  EXPECT_NEAR(o.y, 463000, 0.02);
  for (const Pt& q : std::vector<Pt>{{52, 5}, {53.2, 6.5}, {51.4, 3.6}, {50.8, 5.8}}) {
    SCOPED_TRACE(testing::Message() << q.lat << ", " << q.lon);
    const RdPosition rd = RdFromLatLon(q.lat, q.lon);
    const LatLon back = LatLonFromRd(rd.x, rd.y);
    // The inverse's origin differs by 0.025" (0.78 m) of latitude from the forward one.
    EXPECT_NEAR((back.lat - q.lat) * 111200, 0.78, 0.1);
    EXPECT_NEAR((back.lon - q.lon) * 111200 * std::cos(q.lat * M_PI / 180), 0, 0.1);
  }
}

TEST(RdDatumShift, DirectionsUndoEachOther) {
  double lat = 52.1, lon = 5.1;
  RdDatumShift(lat, lon, -1, kInternationalA, kInternationalB);
  EXPECT_GT(std::hypot(lat - 52.1, (lon - 5.1) * 0.61) * 111200, 15);  // ED50 lies some 20 m off
  RdDatumShift(lat, lon, +1, 0, 0);
  EXPECT_NEAR(lat, 52.1, 2e-6);  // single-precision steps, a few decimetres
  EXPECT_NEAR(lon, 5.1, 2e-6);
}

TEST(Grids, AgreeWithProj) {
  std::vector<Pt> netherlands, britain;
  for (double lat = 50.8; lat <= 53.5; lat += 0.3)
    for (double lon = 3.4; lon <= 7.2; lon += 0.4) netherlands.push_back({lat, lon});
  for (double lat = 50.0; lat < 60.5; lat += 0.7)
    for (double lon = -7.5; lon < 2.0; lon += 0.9) britain.push_back({lat, lon});
  const struct {
    const char* legend;
    const char *from, *to;
    const std::vector<Pt>& points;
    double metres;
    std::function<std::pair<double, double>(const Pt&)> grid;
  } rows[] = {
      // EPSG:4289 (Amersfoort geographic) to EPSG:28992 is the projection alone: the
      // approximation's own error over the country.
      {"RD polynomial against the stereographic on Bessel", "EPSG:4289", "EPSG:28992", netherlands, 1.0,
       [](const Pt& p) {
         const RdPosition rd = RdFromLatLon(p.lat, p.lon);
         return std::pair(rd.x, rd.y);
       }},
      // The fixed shift carries International 1924 (ED50) coordinates onto the RD Bessel:
      // PROJ's ED50 to RD (through WGS 84 with ED50 to WGS 84 (1) and Amersfoort to WGS 84)
      // is itself good to some metres.
      {"RD datum shift from ED50", "EPSG:4230", "EPSG:28992", netherlands, 5.0,
       [](const Pt& p) {
         double lat = p.lat, lon = p.lon;
         RdDatumShift(lat, lon, -1, kInternationalA, kInternationalB);
         const RdPosition rd = RdFromLatLon(lat, lon);
         EXPECT_EQ(rd.x, RdFromMapLatLon(p.lat, p.lon, kInternationalA, kInternationalB).x);
         return std::pair(rd.x, rd.y);
       }},
      // PROJ without the RDNAPTRANS grid uses Amersfoort to WGS 84 (4) or (3), a metre.
      {"RD from WGS 84", "EPSG:4326", "EPSG:28992", netherlands, 1.0,
       [](const Pt& p) {
         const RdPosition rd = RdFromMapLatLon(p.lat, p.lon, 0, 0);
         const LatLon back = MapLatLonFromRd(rd.x, rd.y, 0, 0);
         EXPECT_NEAR((back.lat - p.lat) * 111200, 0.78, 0.15);  // the inverse's origin
         EXPECT_NEAR(back.lon, p.lon, 2e-6);
         return std::pair(rd.x, rd.y);
       }},
      // Without the OSTN15 grid PROJ transforms WGS 84 to OSGB36 with "OSGB36 to WGS 84
      // (6)" (EPSG:1314), the Ordnance Survey's published Helmert parameters, rounded: that
      // rounding moves points by centimetres.
      {"National Grid from WGS 84", "EPSG:4326", "EPSG:27700", britain, 0.1,
       [](const Pt& p) {
         const NationalGridEN en = NationalGridFromLatLon(p.lat, p.lon, kA, kB);
         const LatLon back = LatLonFromNationalGrid(en.easting, en.northing, kA, kB);
         // Forward and inverse series meet within a few millimetres (5e-8 degrees).
         EXPECT_NEAR(back.lat, p.lat, 5e-8);
         EXPECT_NEAR(back.lon, p.lon, 5e-8);
         return std::pair(en.easting, en.northing);
       }},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    QByteArray input;
    for (const Pt& p : r.points)
      input += QByteArray::number(p.lat, 'f', 10) + ' ' + QByteArray::number(p.lon, 'f', 10) + '\n';
    const auto proj = test::projRows("cs2cs", {"-f", "%.6f", r.from, r.to}, input);
    if (proj.empty()) GTEST_SKIP() << "cs2cs not available";
    for (size_t i = 0; i < r.points.size(); ++i) {
      SCOPED_TRACE(testing::Message() << r.points[i].lat << ", " << r.points[i].lon);
      const auto [x, y] = r.grid(r.points[i]);
      EXPECT_LT(std::hypot(x - proj[i][0], y - proj[i][1]), r.metres);
    }
  }
}

TEST(NationalGridFromOsgb36, OrdnanceSurveyWorkedExample) {
  // The Ordnance Survey's worked example: 52°39'27.2531"N 1°43'4.5177"E on OSGB36.
  const double lat = 52 + 39.0 / 60 + 27.2531 / 3600, lon = 1 + 43.0 / 60 + 4.5177 / 3600;
  const NationalGridEN en = NationalGridFromOsgb36(lat, lon);
  EXPECT_NEAR(en.easting, 651409.903, 0.001);
  EXPECT_NEAR(en.northing, 313177.270, 0.001);
  const LatLon back = Osgb36FromNationalGrid(651409.903, 313177.270);
  EXPECT_NEAR(back.lat, lat, 1e-8);
  EXPECT_NEAR(back.lon, lon, 1e-8);
  NgrReference ref;
  ASSERT_TRUE(NgrFromNationalGrid(en, ref));
  EXPECT_EQ(NgrText(ref), QStringLiteral("TG 51410 13177"));
}

TEST(NationalGridFromOsgb36, AgreesWithGeographicLibOsgb) {
  for (double lat = 49.9; lat < 61; lat += 1.1)
    for (double lon = -8; lon < 2.5; lon += 1.3) {
      SCOPED_TRACE(testing::Message() << lat << ", " << lon);
      const NationalGridEN en = NationalGridFromOsgb36(lat, lon);
      double x, y;
      GeographicLib::OSGB::Forward(lat, lon, x, y);
      // The OS series is good to a millimetre within 3 degrees of 2 W, a few at 6.
      EXPECT_NEAR(en.easting, x, 0.005);
      EXPECT_NEAR(en.northing, y, 0.005);
    }
}

TEST(NgrReference, LettersOfTheSquares) {
  const struct {
    double e, n;
    const char* text;
  } rows[] = {
      {0, 0, "SV 00000 00000"},           {442290, 111341, "SU 42290 11341"},
      {530071, 179558, "TQ 30071 79558"}, {216666, 771263, "NN 16666 71263"},
      {651410, 313177, "TG 51410 13177"}, {499999.4, 1199999, "HU 99999 99999"},
      {999999, 1499999, "JE 99999 99999"}, {500000, 500000, "OV 00000 00000"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    NgrReference ref;
    ASSERT_TRUE(NgrFromNationalGrid({r.e, r.n}, ref));
    EXPECT_EQ(NgrText(ref), QString::fromLatin1(r.text));
    NationalGridEN en;
    ASSERT_TRUE(NationalGridFromNgr(ref, en));
    EXPECT_EQ(en.easting, std::round(r.e));
    EXPECT_EQ(en.northing, std::round(r.n));
  }
  NgrReference ref;
  EXPECT_FALSE(NgrFromNationalGrid({-1, 50}, ref));
  EXPECT_FALSE(NgrFromNationalGrid({1000000, 50}, ref));
  EXPECT_FALSE(NgrFromNationalGrid({50, 1500000}, ref));
  EXPECT_FALSE(NgrFromNationalGrid({NAN, 50}, ref));
}

TEST(ParseNgrText, AcceptsTheUsualWritings) {
  const struct {
    const char* text;
    bool ok;
    const char* letters;
    double e, n;
  } rows[] = {
      {"SU 12345 67890", true, "SU", 12345, 67890}, {"su1234567890", true, "SU", 12345, 67890},
      {"  NN 166 712 ", true, "NN", 16600, 71200},  {"TG5141", true, "TG", 51000, 41000},
      {"SU", false, "", 0, 0},                       {"SI 12345 67890", false, "", 0, 0},
      {"AA 12345 67890", false, "", 0, 0},           {"SU 123456 7890", false, "", 0, 0},
      {"SU 12345", false, "", 0, 0},                 {"", false, "", 0, 0},
      {"SU 12a45 67890", false, "", 0, 0},           {"SU12345", false, "", 0, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    NgrReference ref;
    ASSERT_EQ(ParseNgrText(QString::fromLatin1(r.text), ref), r.ok);
    if (!r.ok) continue;
    EXPECT_EQ(ref.letters, QString::fromLatin1(r.letters));
    EXPECT_EQ(ref.easting, r.e);
    EXPECT_EQ(ref.northing, r.n);
  }
}

// Each row's output is what the line gave before (a bad line is reported by number and
// the rest goes on); usage errors end with status 2.
TEST(TavrikGrid, ConvertsEachGridBothWays) {
  const struct {
    const char* legend;
    QStringList args;
    const char* input;
    const char* output;
    int status;
    const char* err;
  } rows[] = {
      {"utm", {"utm"}, "52 5\n-4 20\n", "31 U 637294.38 5762927.00\n34 M 388988.69 9557805.00\n", 0, ""},
      {"utm inverse", {"utm", "--inverse"}, "31 U 637294.37 5762926.81\n", "51.99999997 5.00000006\n", 0, ""},
      {"utm on the International ellipsoid", {"utm", "--a", "6378388", "--b", "6356911.946"}, "52 5\n",
       "31 U 637301.00 5763046.50\n", 0, ""},
      {"rd", {"rd"}, "52 5\n", "128410.09 445806.50\n", 0, ""},
      {"rd inverse", {"rd", "--inverse"}, "155000 463000\n", "52.15517928 5.38720358\n", 0, ""},
      {"ngr", {"ngr"}, "50.9 -1.4\n", "SU 42290 11341\n", 0, ""},
      {"ngr inverse", {"ngr", "--inverse"}, "SU 42290 11341\nsu4229011341\n",
       "50.90000381 -1.39999508\n50.90000381 -1.39999508\n", 0, ""},
      {"blank lines and commas", {"utm"}, "\n52, 5\n\n", "31 U 637294.38 5762927.00\n", 0, ""},
      {"words", {"utm"}, "52 5\nnorth of here\n-4 20\n",
       "31 U 637294.38 5762927.00\n34 M 388988.69 9557805.00\n", 1, "line 2"},
      {"latitude beyond the pole", {"utm"}, "95 5\n52 5\n", "31 U 637294.38 5762927.00\n", 1, "line 1"},
      {"zone 61", {"utm", "--inverse"}, "61 U 500000 5000000\n31 U 637294.37 5762926.81\n",
       "51.99999997 5.00000006\n", 1, "line 1"},
      {"designator Y", {"utm", "--inverse"}, "31 U 637294.37 5762926.81\n31 Y 1 1\n", "51.99999997 5.00000006\n",
       1, "line 2"},
      {"outside the National Grid", {"ngr"}, "0 0\n", "", 1, "line 1"},
      {"unknown square", {"ngr", "--inverse"}, "XX 1 1\n", "", 1, "line 1"},
      {"rd one number", {"rd", "--inverse"}, "155000\n", "", 1, "line 1"},
      {"no grid", {}, "", "", 2, ""}, {"unknown grid", {"mgrs"}, "", "", 2, ""},
      {"axis without a value", {"utm", "--a"}, "", "", 2, ""}, {"axis not a number", {"utm", "--a", "x"}, "", "", 2, ""},
      {"minor axis above the major", {"utm", "--a", "6356752", "--b", "6378137"}, "", "", 2, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    const test::ProgramRun res = test::runProgram(test::tool("tavrik-grid"), r.args, r.input);
    EXPECT_EQ(res.status, r.status) << qPrintable(res.err);
    EXPECT_EQ(res.out, QString::fromLatin1(r.output));
    if (r.status == 0) { EXPECT_TRUE(res.err.isEmpty()) << qPrintable(res.err); }
    EXPECT_TRUE(res.err.contains(QLatin1String(r.err))) << qPrintable(res.err);
  }
}
