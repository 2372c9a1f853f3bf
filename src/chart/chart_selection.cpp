#include "chart/chart_selection.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tavrik {

bool ChartContains(const ChartBounds& c, double lat, double lon) {
  return c.hasBounds && c.latmin < lat && lat < c.latmax && c.lonmin < lon && lon < c.lonmax;
}

void ChartIndex::reset(std::vector<ChartBounds> rows) {
  m_rows = std::move(rows);
  for (ChartBounds& c : m_rows) {
    if (!std::isfinite(c.latmin) || !std::isfinite(c.latmax) || !std::isfinite(c.lonmin) ||
        !std::isfinite(c.lonmax) || !std::isfinite(c.milelat))
      c.hasBounds = false;
    // Rows without bounds sort last and never contain anything.
    if (!c.hasBounds) c.latmin = c.latmax = c.lonmin = c.lonmax = 0;
  }
  m_byLatmin.resize(m_rows.size());
  std::iota(m_byLatmin.begin(), m_byLatmin.end(), 0);
  std::stable_sort(m_byLatmin.begin(), m_byLatmin.end(),
                   [this](int a, int b) {
                     const ChartBounds &ca = m_rows[a], &cb = m_rows[b];
                     if (ca.hasBounds != cb.hasBounds) return ca.hasBounds;
                     return ca.latmin < cb.latmin;
                   });
}

int ChartIndex::searchBest(double lat, double lon, ChartRanking ranking) const {
  // Only rows with latmin < lat can contain the position: they are a prefix of the
  // latmin order. Among the containing ones the ranking decides, ties by table order.
  const auto end = std::partition_point(m_byLatmin.begin(), m_byLatmin.end(),
                                        [&](int i) { return m_rows[i].hasBounds && m_rows[i].latmin < lat; });
  int best = -1;
  double bestScale = ranking == ChartRanking::Overview ? 9999999.0 : 0.0;
  for (auto it = m_byLatmin.begin(); it != end; ++it) {
    const int i = *it;
    const ChartBounds& c = m_rows[i];
    if (!ChartContains(c, lat, lon)) continue;
    const bool better = ranking == ChartRanking::Overview ? c.milelat < bestScale : c.milelat > bestScale;
    // The table-order scan keeps the first of equal scales: the lowest row number.
    const bool tieEarlier = best >= 0 && c.milelat == bestScale && i < best;
    if (better || tieEarlier) {
      best = i;
      bestScale = c.milelat;
    }
  }
  return best;
}

int ChartIndex::searchNext(QChar direction, double lat, double lon, const QString& active) const {
  const QChar d = direction.toUpper();
  int best = -1;
  double bestScore = 0;
  for (int i = 0; i < static_cast<int>(m_rows.size()); ++i) {
    const ChartBounds& c = m_rows[i];
    if (!c.hasBounds || c.description == active) continue;
    double score;
    if (d == 'N' || d == 'S') {
      if (!(c.lonmin < lon && lon < c.lonmax)) continue;
      if (d == 'N' ? !(c.latmax > lat) : !(c.latmin < lat)) continue;
      score = std::fabs((d == 'N' ? c.latmin : c.latmax) - lat);
    } else if (d == 'E' || d == 'W') {
      if (!(c.latmin < lat && lat < c.latmax)) continue;
      if (d == 'E' ? !(c.lonmax > lon) : !(c.lonmin < lon)) continue;
      score = std::fabs((d == 'E' ? c.lonmin : c.lonmax) - lon);
    } else {
      return -1;
    }
    // The near edge closest to the vessel is the adjacent chart; an edge exactly on
    // the vessel says nothing about the direction and is skipped.
    if (score == 0) continue;
    if (best < 0 || score < bestScore) {
      best = i;
      bestScore = score;
    }
  }
  return best;
}

}  // namespace tavrik
