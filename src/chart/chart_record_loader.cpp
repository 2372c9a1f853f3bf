#include "chart/chart_record_loader.h"

#include <QStringList>

#include <cmath>

#include "store/sql_text.h"

namespace tavrik {
namespace {
constexpr int kDefaultEllipse = 39;
const char* const kDefaultDatumName = "WGS-84";

bool finite(double v) { return std::isfinite(v); }
}  // namespace

QString chartFilter(const QString& description) {
  return sqlEquals(QStringLiteral("Description"), description.trimmed());
}

QString CalibrationProblem(const ChartRecord& c) {
  if (c.bsb) return {};  // the raster library converts
  const double values[] = {c.latitude1, c.longitude1, c.x1, c.y1, c.latitude2, c.longitude2, c.x2, c.y2,
                           c.latitude3, c.longitude3, c.x3, c.y3, c.milelat, c.milelon};
  for (double v : values)
    if (!finite(v)) return QStringLiteral("the chart calibration holds an invalid number");
  if (c.mercator) {
    if (c.latitude1 == c.latitude2 || c.longitude1 == c.longitude2 || c.milelat == 0 || c.milelon == 0)
      return QStringLiteral("the Mercator calibration of this chart is incomplete (equal points or zero scale)");
    return {};
  }
  auto cross = [](double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
  };
  if (cross(c.longitude1, c.latitude1, c.longitude2, c.latitude2, c.longitude3, c.latitude3) == 0 ||
      cross(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3) == 0)
    return QStringLiteral("the three calibration points of this chart lie on one line");
  return {};
}

void CopyCalibrationPoints(const ChartRow& row, ChartRecord& c) {
  c.mercator = row.mercator;
  c.latitude1 = row.latitude1;
  c.longitude1 = row.longitude1;
  c.x1 = static_cast<float>(row.x1);
  c.y1 = static_cast<float>(row.y1);
  c.latitude2 = row.latitude2;
  c.longitude2 = row.longitude2;
  c.x2 = static_cast<float>(row.x2);
  c.y2 = static_cast<float>(row.y2);
  c.latitude3 = row.latitude3;
  c.longitude3 = row.longitude3;
  c.x3 = static_cast<float>(row.x3);
  c.y3 = static_cast<float>(row.y3);
}

ChartLoadResult LoadChartRecord(const ChartRow& row, const ChartDatumLookup& datums, const ChartView& view) {
  ChartLoadResult out;
  ChartRecord& c = out.record;
  c.description = row.description.trimmed();
  CopyCalibrationPoints(row, c);
  c.milelat = row.milelat;
  c.milelon = row.milelon;
  c.datum = row.datum;
  c.Scale = row.Scale.trimmed();
  c.depth = row.depth.trimmed();
  c.revised = row.revised.trimmed();
  c.bsb = row.bsb;

  const std::optional<ChartDatumRow> d = datums ? datums(row.datum) : std::nullopt;
  c.datumName = d ? d->description.trimmed() : QString::fromLatin1(kDefaultDatumName);
  c.ellipse = d ? d->ellipse : kDefaultEllipse;

  QStringList warnings;
  const QString problem = CalibrationProblem(c);
  if (!problem.isEmpty()) warnings << problem;

  const bool haveBounds = row.latmin && row.lonmin && row.latmax && row.lonmax && finite(*row.latmin) &&
                          finite(*row.lonmin) && finite(*row.latmax) && finite(*row.lonmax);
  if (haveBounds) {
    c.latmin = *row.latmin;
    c.lonmin = *row.lonmin;
    c.latmax = *row.latmax;
    c.lonmax = *row.lonmax;
  } else {
    out.boundsMissing = true;
    if (!c.bsb && problem.isEmpty() && row.maxx > 0 && row.maxy > 0) {
      ComputeBounds(c, {row.maxx, row.maxy, row.topMargin, row.bottomMargin, row.leftMargin, row.rightMargin});
      warnings << QStringLiteral("the chart has no stored bounds; they were computed from its calibration");
    } else {
      warnings << QStringLiteral("the chart has no stored bounds; chart search will not find it");
    }
  }
  c.rotation = DeriveRotation(c, view);
  if (!std::isfinite(c.rotation)) c.rotation = 0;
  out.warning = warnings.join("; ");
  return out;
}

}  // namespace tavrik
