#include "chart/chart_selection.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

ChartBounds chart(const char* name, double latmin, double latmax, double lonmin, double lonmax, double milelat) {
  return {QString::fromLatin1(name), latmin, latmax, lonmin, lonmax, milelat, true};
}

TEST(ChartIndex, RankingPicksOverviewOrDetailAndTiesKeepTableOrder) {
  const ChartIndex index({
      chart("wide", 50, 54, 2, 8, 100),
      chart("harbour", 52, 53, 4, 5, 400),
      chart("harbour twin", 52, 53, 4, 5, 400),
      chart("wide twin", 49, 55, 1, 9, 100),
      chart("elsewhere", 10, 11, 4, 5, 50),
  });
  struct Row {
    const char* legend;
    double lat, lon;
    ChartRanking ranking;
    const char* expected;  // nullptr: none
  };
  const Row rows[] = {
      {"overview: smallest milelat, first of the tie", 52.5, 4.5, ChartRanking::Overview, "wide"},
      {"detail: largest milelat, first of the tie", 52.5, 4.5, ChartRanking::Detail, "harbour"},
      {"only the wide charts contain it", 51, 3, ChartRanking::Detail, "wide"},
      {"nothing contains it", 30, 3, ChartRanking::Overview, nullptr},
      {"on latmax of harbour: not inside it", 53, 4.5, ChartRanking::Detail, "wide"},
      {"on latmin of wide: only its twin", 50, 4.5, ChartRanking::Overview, "wide twin"},
      {"on lonmin of harbour: not inside it", 52.5, 4, ChartRanking::Detail, "wide"},
      {"on lonmax of wide: only its twin", 52.5, 8, ChartRanking::Detail, "wide twin"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const int i = index.searchBest(r.lat, r.lon, r.ranking);
    if (!r.expected) {
      EXPECT_EQ(i, -1);
    } else {
      ASSERT_GE(i, 0);
      EXPECT_EQ(index.rows()[i].description, QString::fromLatin1(r.expected));
    }
  }
}

TEST(ChartIndex, ChartsWithoutBoundsOrOutsideTheRankingNeverWin) {
  ChartBounds empty = chart("empty", 0, 0, 0, 0, 0);
  ChartBounds nulls = chart("nulls", 50, 54, 2, 8, 500);
  nulls.hasBounds = false;
  ChartBounds nan = chart("nan", std::nan(""), 54, 2, 8, 800);
  const ChartIndex index({empty, nulls, nan, chart("huge scale", 50, 54, 2, 8, 9999999), chart("zero", 50, 54, 2, 8, 0)});
  EXPECT_EQ(index.searchBest(0, 0, ChartRanking::Overview), -1);
  EXPECT_EQ(index.searchBest(52, 5, ChartRanking::Detail), 3);
  EXPECT_EQ(index.searchBest(52, 5, ChartRanking::Overview), 4);
  EXPECT_EQ(ChartIndex().searchBest(52, 5, ChartRanking::Overview), -1);
}

TEST(ChartIndex, SearchNextFindsTheAdjacentChartInEachDirection) {
  // A 3 x 3 block of one-degree sheets around "centre" (52..53 N, 4..5 E), plus a big
  // overview, in table order.
  const ChartIndex index({
      chart("overview", 40, 60, -10, 20, 10),
      chart("north", 53, 54, 4, 5, 200), chart("south", 51, 52, 4, 5, 200),
      chart("east", 52, 53, 5, 6, 200), chart("west", 52, 53, 3, 4, 200),
      chart("centre", 52, 53, 4, 5, 200), chart("north twin", 53, 54, 4, 5, 300),
  });
  struct Row {
    const char* legend;
    char dir;
    double lat, lon;
    const char* expected;
  };
  const Row rows[] = {
      {"N from near the top: north, first of the twins", 'N', 52.9, 4.5, "north"},
      {"S from near the bottom", 'S', 52.1, 4.5, "south"},
      {"E", 'E', 52.5, 4.9, "east"},
      {"W", 'W', 52.5, 4.1, "west"},
      {"lower-case direction", 's', 52.1, 4.5, "south"},
      {"edges exactly on the vessel are skipped: the overview remains", 'N', 53.0, 4.5, "overview"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const int i = index.searchNext(QChar(r.dir), r.lat, r.lon, QStringLiteral("centre"));
    ASSERT_GE(i, 0);
    EXPECT_EQ(index.rows()[i].description, QString::fromLatin1(r.expected));
  }
  // Without neighbours only the active chart remains, and it is skipped.
  const ChartIndex alone({chart("centre", 52, 53, 4, 5, 200)});
  EXPECT_EQ(alone.searchNext('S', 52.1, 4.5, "centre"), -1);
  EXPECT_EQ(index.searchNext('X', 52.1, 4.5, "centre"), -1);
}

}  // namespace
}  // namespace tavrik
