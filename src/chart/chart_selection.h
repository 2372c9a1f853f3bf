#pragma once
// Choosing the chart for a position from the stored bounds and vertical scale of each
// chart, without opening any image: the best chart of the database or of the current
// folder, and the neighbouring chart when the user steps off an edge.

#include <QString>
#include <vector>

namespace tavrik {

// One row of `Charts` as the searches see it, in table order.
struct ChartBounds {
  QString description;  // trimmed
  double latmin = 0, latmax = 0, lonmin = 0, lonmax = 0;
  double milelat = 0;
  bool hasBounds = true;  // false when a bound was empty (NULL) in the table
};

enum class ChartRanking {
  Overview,  // smallest milelat wins
  Detail,    // largest milelat wins
};

// `latmin` < lat < `latmax` and `lonmin` < lon < `lonmax`, strict on all sides.
bool ChartContains(const ChartBounds& c, double lat, double lon);

// The in-memory list the searches scan; rows stay in table order so ties keep the
// first chart met.
class ChartIndex {
 public:
  ChartIndex() = default;
  explicit ChartIndex(std::vector<ChartBounds> rows) { reset(std::move(rows)); }
  void reset(std::vector<ChartBounds> rows);
  const std::vector<ChartBounds>& rows() const { return m_rows; }
  bool empty() const { return m_rows.empty(); }

  // Index of the best containing chart, -1 when none contains the position.
  int searchBest(double lat, double lon, ChartRanking ranking) const;
  // `searchnext`: the chart beyond the vessel in direction 'N', 'S', 'E' or 'W',
  // skipping the active chart; -1 when there is none.
  int searchNext(QChar direction, double lat, double lon, const QString& activeDescription) const;

 private:
  std::vector<ChartBounds> m_rows;
  // Row numbers ordered by latmin, so a search skips the rows that begin north of
  // the position.
  std::vector<int> m_byLatmin;
};

}  // namespace tavrik
