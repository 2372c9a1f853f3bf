// The grids against independent implementations: GeographicLib for UTM and the
// National Grid projection, PROJ (cs2cs) for RD (EPSG:28992) and the National Grid
// with its datum (EPSG:27700).

#include <GeographicLib/OSGB.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <cmath>
#include <vector>

#include "geo/grid.h"

using namespace tavrik;

namespace {

constexpr double kA = 6378137.0;
constexpr double kB = 6356752.314245179;  // WGS-84: a (1 - 1/298.257223563)
constexpr double kInternationalA = 6378388.0;
constexpr double kInternationalB = 6356911.946;

struct Pt {
  double lat, lon;
};

// Runs cs2cs once for a batch of points; each output row holds the two converted values.
std::vector<std::pair<double, double>> cs2cs(const QStringList& args, const std::vector<Pt>& in) {
  std::vector<std::pair<double, double>> out;
  if (QStandardPaths::findExecutable(QStringLiteral("cs2cs")).isEmpty()) return out;
  QProcess p;
  p.start(QStringLiteral("cs2cs"), QStringList{QStringLiteral("-f"), QStringLiteral("%.6f")} + args);
  QByteArray input;
  for (const Pt& x : in) input += QByteArray::number(x.lat, 'f', 10) + ' ' + QByteArray::number(x.lon, 'f', 10) + '\n';
  p.write(input);
  p.closeWriteChannel();
  p.waitForFinished(30000);
  for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
    const QList<QByteArray> w = line.simplified().split(' ');
    if (w.size() >= 2) out.emplace_back(w[0].toDouble(), w[1].toDouble());
  }
  return out;
}

// Points across zones and both hemispheres, clear of the Norway and Svalbard zone
// exceptions, at the centre and near both edges of their zones.
std::vector<Pt> utmPoints() {
  std::vector<Pt> pts;
  for (double lat : {-79.5, -60.0, -33.9, -4.0, -0.01, 0.0, 0.01, 8.0, 23.4, 45.0, 52.0, 66.6, 83.9})
    for (double lon : {-177.1, -122.4, -71.0, -3.01, 0.01, 5.0, 47.9, 98.99, 151.2, 179.9}) {
      const bool norway = lat >= 56 && lat < 64 && lon >= 3 && lon < 12;
      const bool svalbard = lat >= 72 && lon >= 0 && lon < 42;
      if (!norway && !svalbard) pts.push_back({lat, lon});
    }
  return pts;
}

}  // namespace

TEST(UtmFromLatLon, AgreesWithGeographicLibAcrossZonesAndHemispheres) {
  const GeographicLib::TransverseMercator tm(kA, 1 / 298.257223563, GeographicLib::Constants::UTM_k0());
  double worstE = 0, worstN = 0;
  for (const Pt& p : utmPoints()) {
    SCOPED_TRACE(testing::Message() << p.lat << ", " << p.lon);
    const UtmPosition u = UtmFromLatLon(p.lat, p.lon, kA, kB);
    EXPECT_EQ(u.zone, GeographicLib::UTMUPS::StandardZone(p.lat, p.lon, GeographicLib::UTMUPS::UTM));
    double x, y;
    tm.Forward(6.0 * u.zone - 183, p.lat, p.lon, x, y);
    x += 500000;
    if (p.lat < 0) y += 10000000;
    worstE = std::max(worstE, std::fabs(u.easting - x));
    worstN = std::max(worstN, std::fabs(u.northing - y));
    // Single precision: eastings (below 2^20 m) resolve 1/16 m; a northing is stored
    // twice south of the equator (before and after the false northing), each store
    // costing half the spacing of singles there: a quarter metre from 2^22 = 4194304 m,
    // half a metre from 2^23. The series itself adds centimetres at most.
    auto halfSpacing = [](double v) {
      const float f = static_cast<float>(std::fabs(v));
      return (std::nextafter(f, INFINITY) - f) / 2.0;
    };
    const double raw = p.lat < 0 ? y - 10000000 : y;
    EXPECT_NEAR(u.easting, x, 0.1);
    EXPECT_NEAR(u.northing, y, halfSpacing(raw) + (p.lat < 0 ? halfSpacing(y) : 0) + 0.02);
  }
  RecordProperty("worst_easting_m", std::to_string(worstE));
  RecordProperty("worst_northing_m", std::to_string(worstN));
}

TEST(LatLonFromUtm, AgreesWithGeographicLibAcrossZonesAndHemispheres) {
  const GeographicLib::TransverseMercator tm(kA, 1 / 298.257223563, GeographicLib::Constants::UTM_k0());
  for (const Pt& p : utmPoints()) {
    SCOPED_TRACE(testing::Message() << p.lat << ", " << p.lon);
    if (std::fabs(p.lat) > 80) continue;  // UTM ends at 80 S and 84 N; the series is not meant there
    const UtmExact u = UtmFromLatLonExact(p.lat, p.lon, kA, kB);
    const LatLon back = LatLonFromUtm(u.zone, u.designator, u.easting, u.northing, kA, kB);
    double x, y, lat, lon;
    tm.Forward(6.0 * u.zone - 183, p.lat, p.lon, x, y);
    tm.Reverse(6.0 * u.zone - 183, x, y, lat, lon);
    // Snyder's inverse series: a few millimetres (1e-7 degrees is 1 cm) at the zone edges.
    EXPECT_NEAR(back.lat, lat, 2e-7);
    EXPECT_NEAR(back.lon, lon, 2e-7 / std::cos(p.lat * M_PI / 180));
  }
}

TEST(UtmFromLatLon, WorkedExampleAt52North5East) {
  const UtmExact exact = UtmFromLatLonExact(52, 5, 6378137, 6356752.3);
  EXPECT_EQ(exact.zone, 31);
  EXPECT_EQ(exact.designator, QLatin1Char('U'));
  EXPECT_NEAR(exact.easting, 637294.37, 0.005);
  EXPECT_NEAR(exact.northing, 5762926.80, 0.005);
  const UtmPosition u = UtmFromLatLon(52, 5, 6378137, 6356752.3);
  EXPECT_EQ(u.easting, static_cast<float>(exact.easting));
  EXPECT_EQ(u.northing, static_cast<float>(exact.northing));
  EXPECT_EQ(u.northing, 5762927.0f);  // the nearest single, half a metre apart there
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

TEST(LatLonFromUtm, SouthernDesignatorRoundTrips) {
  const UtmPosition u = UtmFromLatLon(-4, 20, kA, kB);
  EXPECT_EQ(u.designator, QLatin1Char('M'));
  EXPECT_GT(u.northing, 9000000);
  const LatLon p = LatLonFromUtm(u.zone, u.designator, u.easting, u.northing, kA, kB);
  EXPECT_NEAR(p.lat, -4, 1e-5);  // half a metre of single-precision northing
  EXPECT_NEAR(p.lon, 20, 1e-6);
  EXPECT_TRUE(IsSouthernDesignator(QLatin1Char('m')));
  EXPECT_FALSE(IsSouthernDesignator(QLatin1Char('N')));
}

TEST(LatLonFromRd, OriginIsTheSinglePrecisionAmersfoortSeconds) {
  const LatLon p = LatLonFromRd(155000, 463000);
  EXPECT_DOUBLE_EQ(p.lat, 187762.203125 / 3600);
  EXPECT_DOUBLE_EQ(p.lon, 19395.5 / 3600);
  EXPECT_NEAR(p.lat, 52.1561667, 1e-6);  // 187762.2" held as a single: 0.1 m north
  EXPECT_NEAR(p.lon, 5.3876389, 1e-7);
}

TEST(RdFromLatLon, ForwardOriginAndRoundTripUnderAMetre) {
  const RdPosition o = RdFromLatLon(52 + 9.0 / 60 + 22.178 / 3600, 5 + 23.0 / 60 + 15.5 / 3600);
  EXPECT_NEAR(o.x, 155000, 0.02);
  EXPECT_NEAR(o.y, 463000, 0.02);
  for (const Pt& p : std::vector<Pt>{{52, 5}, {53.2, 6.5}, {51.4, 3.6}, {50.8, 5.8}}) {
    SCOPED_TRACE(testing::Message() << p.lat << ", " << p.lon);
    const RdPosition rd = RdFromLatLon(p.lat, p.lon);
    const LatLon back = LatLonFromRd(rd.x, rd.y);
    // The inverse's origin differs by 0.025" (0.78 m) of latitude from the forward one.
    EXPECT_NEAR((back.lat - p.lat) * 111200, 0.78, 0.1);
    EXPECT_NEAR((back.lon - p.lon) * 111200 * std::cos(p.lat * M_PI / 180), 0, 0.1);
  }
}

namespace {
std::vector<Pt> netherlands() {
  std::vector<Pt> pts;
  for (double lat = 50.8; lat <= 53.5; lat += 0.3)
    for (double lon = 3.4; lon <= 7.2; lon += 0.4) pts.push_back({lat, lon});
  return pts;
}
}  // namespace

TEST(RdFromLatLon, PolynomialAgreesWithProjStereographicOnBessel) {
  // EPSG:4289 (Amersfoort geographic) to EPSG:28992 is the projection alone.
  const std::vector<Pt> pts = netherlands();
  const auto proj = cs2cs({"EPSG:4289", "EPSG:28992"}, pts);
  if (proj.size() != pts.size()) GTEST_SKIP() << "cs2cs not available";
  double worst = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    SCOPED_TRACE(testing::Message() << pts[i].lat << ", " << pts[i].lon);
    const RdPosition rd = RdFromLatLon(pts[i].lat, pts[i].lon);
    const double d = std::hypot(rd.x - proj[i].first, rd.y - proj[i].second);
    worst = std::max(worst, d);
    EXPECT_LT(d, 1.0);  // the approximation's own error over the country
  }
  RecordProperty("worst_m", std::to_string(worst));
}

TEST(RdDatumShift, IsTheShiftBetweenEd50AndTheRdBessel) {
  // The fixed shift carries International 1924 (ED50) coordinates onto the RD Bessel:
  // PROJ's ED50 to RD (EPSG:4230 to EPSG:28992, through WGS 84 with ED50 to WGS 84 (1)
  // and Amersfoort to WGS 84) is itself good to some metres.
  const std::vector<Pt> pts = netherlands();
  const auto proj = cs2cs({"EPSG:4230", "EPSG:28992"}, pts);
  if (proj.size() != pts.size()) GTEST_SKIP() << "cs2cs not available";
  double worst = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    SCOPED_TRACE(testing::Message() << pts[i].lat << ", " << pts[i].lon);
    double lat = pts[i].lat, lon = pts[i].lon;
    RdDatumShift(lat, lon, -1, kInternationalA, kInternationalB);
    const RdPosition rd = RdFromLatLon(lat, lon);
    EXPECT_EQ(rd.x, RdFromMapLatLon(pts[i].lat, pts[i].lon, kInternationalA, kInternationalB).x);
    const double d = std::hypot(rd.x - proj[i].first, rd.y - proj[i].second);
    worst = std::max(worst, d);
    EXPECT_LT(d, 5.0);
  }
  RecordProperty("worst_m", std::to_string(worst));
}

TEST(RdDatumShift, DirectionsUndoEachOther) {
  double lat = 52.1, lon = 5.1;
  RdDatumShift(lat, lon, -1, kInternationalA, kInternationalB);
  EXPECT_GT(std::hypot(lat - 52.1, (lon - 5.1) * 0.61) * 111200, 15);  // ED50 lies some 20 m off
  RdDatumShift(lat, lon, +1, 0, 0);
  EXPECT_NEAR(lat, 52.1, 2e-6);  // single-precision steps, a few decimetres
  EXPECT_NEAR(lon, 5.1, 2e-6);
}

TEST(RdFromMapLatLon, Wgs84PositionsAgreeWithProjEpsg28992) {
  // PROJ without the RDNAPTRANS grid uses Amersfoort to WGS 84 (4) or (3), a metre.
  const std::vector<Pt> pts = netherlands();
  const auto proj = cs2cs({"EPSG:4326", "EPSG:28992"}, pts);
  if (proj.size() != pts.size()) GTEST_SKIP() << "cs2cs not available";
  double worst = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    SCOPED_TRACE(testing::Message() << pts[i].lat << ", " << pts[i].lon);
    const RdPosition rd = RdFromMapLatLon(pts[i].lat, pts[i].lon, 0, 0);
    const double d = std::hypot(rd.x - proj[i].first, rd.y - proj[i].second);
    worst = std::max(worst, d);
    EXPECT_LT(d, 1.0);
    const LatLon back = MapLatLonFromRd(rd.x, rd.y, 0, 0);
    EXPECT_NEAR((back.lat - pts[i].lat) * 111200, 0.78, 0.15);  // the inverse's origin
    EXPECT_NEAR(back.lon, pts[i].lon, 2e-6);
  }
  RecordProperty("worst_m", std::to_string(worst));
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

TEST(NationalGridFromLatLon, AgreesWithProjEpsg27700ThroughTheHelmertShift) {
  // Without the OSTN15 grid PROJ transforms WGS 84 to OSGB36 with "OSGB36 to WGS 84
  // (6)" (EPSG:1314), the Ordnance Survey's published Helmert parameters, rounded.
  std::vector<Pt> pts;
  for (double lat = 50.0; lat < 60.5; lat += 0.7)
    for (double lon = -7.5; lon < 2.0; lon += 0.9) pts.push_back({lat, lon});
  const auto proj = cs2cs({"EPSG:4326", "EPSG:27700"}, pts);
  if (proj.size() != pts.size()) GTEST_SKIP() << "cs2cs not available";
  double worst = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    SCOPED_TRACE(testing::Message() << pts[i].lat << ", " << pts[i].lon);
    const NationalGridEN en = NationalGridFromLatLon(pts[i].lat, pts[i].lon, kA, kB);
    const double d = std::hypot(en.easting - proj[i].first, en.northing - proj[i].second);
    worst = std::max(worst, d);
    // The rounding of the published parameters in EPSG:1314 moves points by centimetres.
    EXPECT_LT(d, 0.1);
    const LatLon back = LatLonFromNationalGrid(en.easting, en.northing, kA, kB);
    // Forward and inverse series meet within a few millimetres (5e-8 degrees).
    EXPECT_NEAR(back.lat, pts[i].lat, 5e-8);
    EXPECT_NEAR(back.lon, pts[i].lon, 5e-8);
  }
  RecordProperty("worst_m", std::to_string(worst));
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
