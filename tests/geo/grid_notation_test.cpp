#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "geo/grid.h"
#include "geo/grid_notation.h"

using namespace tavrik;

namespace {
GridNotation notation(int grid, int decimals = 2) {
  GridNotation n;
  n.grid = grid;
  n.decimals = decimals;
  return n;
}
}  // namespace

TEST(GridNotation, DisplayTextOfEachNotation) {
  const struct {
    const char* legend;
    int grid, decimals;
    double lat, lon;
    const char* text;
  } rows[] = {
      {"degrees and minutes, south", 0, 2, -33.5, 151.25, "33° 30.00' S / 151° 15.00' E"},
      {"degrees and minutes", 0, 2, 52.375, 4.8875, "52° 22.50' N / 4° 53.25' E"},
      {"minutes rounding up to a whole degree", 0, 2, 52.999999999, -0.9999999, "53° 0.00' N / 1° 0.00' W"},
      {"no decimals", 0, 0, 52.375, 4.8875, "52° 23' N / 4° 53' E"},
      {"degrees, minutes, seconds", 1, 2, 52.375, 4.8875, "52° 22' 30.00'' N / 4° 53' 15.00'' E"},
      {"seconds rounding up to a whole minute", 1, 1, 10.0 + 59.99999 / 3600, 0, "10° 1' 0.0'' N / 0° 0' 0.0'' E"},
      {"UTM", 2, 2, 52, 5, "31 U 637294 x 5762927"},
      {"UTM south", 2, 2, -4, 20, "34 M 388989 x 9557805"},
      {"RD", 3, 2, 52.0, 5.0, "128410 x 445807"},
      {"National Grid", 4, 2, 50.9, -1.4, "SU 42290 x 11341"},
      {"National Grid far from Britain is empty", 4, 2, 0, 0, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    const GridNotation n = notation(r.grid, r.decimals);
    EXPECT_EQ(n.positionText(r.lat, r.lon), QString::fromUtf8(r.text));
  }
}

TEST(GridNotation, FieldsOfEachNotation) {
  const PositionFields f = notation(1).fill(-33.5, -70.25);
  EXPECT_EQ(f.keys(), (QStringList{"LATD", "LATM", "LATNS", "LATS", "LOND", "LONEW", "LONM", "LONS"}));
  EXPECT_EQ(f["LATNS"], "S");
  EXPECT_EQ(f["LONEW"], "W");
  EXPECT_EQ(f["LONM"], "15");
  EXPECT_EQ(f["LONS"], "0.00");
  const PositionFields u = notation(2).fill(52, 5);
  EXPECT_EQ(u["ZONE"], "31");
  EXPECT_EQ(u["ZONEDES"], "U");
  const PositionFields g = notation(4).fill(50.9, -1.4);
  EXPECT_EQ(g["NGRSQ"], "SU");
  EXPECT_EQ(g["NGRX"], "42290");
}

TEST(GridNotation, NoNotationShowsNotANumber) {
  for (int grid = 0; grid < kGridCount; ++grid)
    for (double lat : std::initializer_list<double>{90.0, -90.0, 0.0, 89.9999, NAN, INFINITY})
      for (double lon : std::initializer_list<double>{180.0, -180.0, 0.0, 1e300, NAN}) {
        SCOPED_TRACE(testing::Message() << grid << " " << lat << " " << lon);
        GridNotation n = notation(grid);
        n.majoraxis = 0;  // a missing ellipsoid stands for the default
        const QString text = n.positionText(lat, lon);
        EXPECT_FALSE(text.contains("nan", Qt::CaseInsensitive)) << qPrintable(text);
        EXPECT_FALSE(text.contains("inf", Qt::CaseInsensitive)) << qPrintable(text);
      }
}

TEST(GridNotation, ReadsEntries) {
  const struct {
    const char* legend;
    int grid;
    PositionFields fields;
    QChar sep;
    double lat, lon;
  } rows[] = {
      {"degrees and minutes", 0, {{"LATD", "52"}, {"LATM", "22.5"}, {"LATNS", "N"}, {"LOND", "4"}, {"LONM", "53.25"}, {"LONEW", "E"}}, '.', 52.375, 4.8875},
      {"south and west, lower case", 0, {{"LATD", "33"}, {"LATM", "30"}, {"LATNS", "s"}, {"LOND", "70"}, {"LONM", "15"}, {"LONEW", "w"}}, '.', -33.5, -70.25},
      {"comma decimal separator", 0, {{"LATD", "52"}, {"LATM", "22,5"}, {"LATNS", "N"}, {"LOND", "4"}, {"LONM", "0"}, {"LONEW", "E"}}, ',', 52.375, 4},
      {"non-numbers read as 0", 0, {{"LATD", "52"}, {"LATM", "abc"}, {"LATNS", "N"}, {"LOND", "x"}, {"LONM", ""}, {"LONEW", "?"}}, '.', 52, 0},
      {"seconds", 1, {{"LATD", "52"}, {"LATM", "22"}, {"LATS", "30"}, {"LATNS", "N"}, {"LOND", "4"}, {"LONM", "53"}, {"LONS", "15"}, {"LONEW", "E"}}, '.', 52.375, 4.8875},
      {"UTM", 2, {{"ZONE", "31"}, {"ZONEDES", "U"}, {"UTMX", "637294.37"}, {"UTMY", "5762926.80"}}, '.', 52, 5},
      {"UTM lower-case designator, comma", 2, {{"ZONE", " 31 "}, {"ZONEDES", "u"}, {"UTMX", "637294,37"}, {"UTMY", "5762926,80"}}, ',', 52, 5},
      {"UTM south", 2, {{"ZONE", "34"}, {"ZONEDES", "M"}, {"UTMX", "388988.67"}, {"UTMY", "9557805.03"}}, '.', -4, 20},
      {"RD", 3, {{"RDPX", "128410.09"}, {"RDPY", "445806.51"}}, '.', 52.000007, 5.0},
      {"National Grid", 4, {{"NGRSQ", "su"}, {"NGRX", "42290"}, {"NGRY", "11341"}}, '.', 50.9, -1.4},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    const GridNotation::Entry e = notation(r.grid).read(r.fields, r.sep);
    ASSERT_TRUE(e.accepted);
    EXPECT_NEAR(e.lat, r.lat, 1e-5);  // UTM and grid entries are whole or centi-metres
    EXPECT_NEAR(e.lon, r.lon, 1e-5);
  }
}

// Each row spoils a valid entry of its notation (which is accepted as it stands): beyond
// 90 or 180, a huge number; zones 0 and 61, not whole; designators outside C..X; figures
// not numbers, beyond the pole or outside the square; unknown square letters.
TEST(GridNotation, RefusesEntries) {
  std::map<int, PositionFields> valid = {
      {0, {{"LATD", "1"}, {"LATM", "0"}, {"LATNS", "N"}, {"LOND", "180"}, {"LONM", "0"}, {"LONEW", "E"}}},
      {2, {{"ZONE", "31"}, {"ZONEDES", "U"}, {"UTMX", "637294"}, {"UTMY", "5762927"}}},
      {4, {{"NGRSQ", "SU"}, {"NGRX", "42290"}, {"NGRY", "11341"}}},
  };
  const struct {
    int grid;
    PositionFields change;
  } rows[] = {
      {0, {{"LATD", "91"}}},  {0, {{"LONM", "1"}}},  {0, {{"LATD", "1e308"}, {"LATM", "1e308"}, {"LOND", "0"}}},
      {2, {{"ZONE", "61"}}},  {2, {{"ZONE", "0"}}},  {2, {{"ZONE", "abc"}}},      {2, {{"ZONE", "31.5"}}},
      {2, {{"ZONEDES", "Y"}}}, {2, {{"ZONEDES", "B"}}}, {2, {{"ZONEDES", ""}}},   {2, {{"UTMX", "6372x"}}},
      {2, {{"UTMY", ""}}},    {2, {{"UTMY", "1e9"}}},  {4, {{"NGRSQ", "XX"}}},    {4, {{"NGRX", "100000"}}},
      {4, {{"NGRX", "-1"}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.grid << " " << qPrintable(r.change.firstKey()) << "="
                                    << qPrintable(r.change.first()));
    ASSERT_TRUE(notation(r.grid).read(valid[r.grid], '.').accepted);
    PositionFields spoilt = valid[r.grid];
    spoilt.insert(r.change);
    EXPECT_FALSE(notation(r.grid).read(spoilt, '.').accepted);
  }
}

TEST(GridNotation, ArrowKeySteps) {
  const struct {
    const char* legend;
    int grid;
    const char* tag;
    const char* text;
    int delta;
    const char* result;
  } rows[] = {
      {"degrees up", 0, "LATD", "52", 1, "53"}, {"latitude stops at 90", 0, "LATD", "90", 1, "90"},
      {"longitude reaches 180", 0, "LOND", "179", 1, "180"}, {"degrees stop at 0", 0, "LOND", "0", -1, "0"},
      {"non-number counts as 0", 0, "LATD", "abc", 1, "1"},
      {"minutes keep their decimals", 0, "LATM", "22.5", 1, "23.50"},
      {"minutes stay below 60", 0, "LATM", "59.50", 1, "59.50"},
      {"minutes down", 0, "LONM", "0.25", -1, "0.25"}, {"whole minutes in grid 1", 1, "LATM", "22", -1, "21"},
      {"seconds stay below 60", 1, "LONS", "59", 1, "59"}, {"seconds up", 1, "LATS", "30", 1, "31.00"},
      {"hemisphere switches", 0, "LATNS", "N", 1, "S"},
      {"hemisphere switches back", 0, "LATNS", "S", -1, "N"}, {"east to west", 0, "LONEW", "E", -1, "W"},
      {"zone up", 2, "ZONE", "31", 1, "32"}, {"zone stops at 60", 2, "ZONE", "60", 1, "60"},
      {"zone stops at 1", 2, "ZONE", "1", -1, "1"}, {"designator skips I", 2, "ZONEDES", "H", 1, "J"},
      {"designator skips O down", 2, "ZONEDES", "P", -1, "N"},
      {"designator stops at X", 2, "ZONEDES", "X", 1, "X"},
      {"designator stops at C", 2, "ZONEDES", "C", -1, "C"},
      {"designator Y steps down to X", 2, "ZONEDES", "Y", -1, "X"},
      {"designator empty up gives C", 2, "ZONEDES", "", 1, "C"},
      {"easting metre", 2, "UTMX", "637294", 1, "637295"}, {"northing down", 2, "UTMY", "0", -1, "0"},
      {"RD x stops below 225000", 3, "RDPX", "224999", 1, "224999"},
      {"RD x up", 3, "RDPX", "224998", 1, "224999"},
      {"RD y stops below 610000", 3, "RDPY", "609999", 1, "609999"},
      {"RD y up", 3, "RDPY", "463000", 1, "463001"},
      {"National Grid figure keeps five digits", 4, "NGRX", "00999", 1, "01000"},
      {"National Grid figure stops at 99999", 4, "NGRY", "99999", 1, "99999"},
      {"National Grid letters do not step", 4, "NGRSQ", "SU", 1, "SU"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(notation(r.grid).step(r.tag, r.text, r.delta, '.'), QString::fromLatin1(r.result));
  }
}

TEST(GridNotation, DesignatorAcceptable) {
  for (const char* ok : {"C", "X", "u", " M "}) EXPECT_TRUE(GridNotation::designatorAcceptable(ok)) << ok;
  for (const char* bad : {"Y", "B", "", "UU", "1", "z"}) EXPECT_FALSE(GridNotation::designatorAcceptable(bad)) << bad;
}
