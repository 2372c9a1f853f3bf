#pragma once
// Filling the active ChartRecord from its `Charts` row and the chart's datum from
// `Datums`. The rows come from the store; this part only interprets them.

#include <QString>

#include <functional>
#include <optional>

#include "chart/chart_record.h"

namespace tavrik {

// The `Charts` columns the record is made of. Bounds are optional because rows made by
// hand or by old imports may leave them empty.
struct ChartRow {
  int chart = 0;
  QString description;
  QString bitmap;
  bool mercator = true;
  double latitude1 = 0, longitude1 = 0, x1 = 0, y1 = 0;
  double latitude2 = 0, longitude2 = 0, x2 = 0, y2 = 0;
  double latitude3 = 0, longitude3 = 0, x3 = 0, y3 = 0;
  double milelat = 0, milelon = 0;
  double maxx = 0, maxy = 0;
  std::optional<double> latmin, lonmin, latmax, lonmax;
  double topMargin = 0, bottomMargin = 0, leftMargin = 0, rightMargin = 0;
  int datum = 0;
  QString Scale, depth, revised;
  bool bsb = false;
};

struct ChartDatumRow {
  int datum = 0;
  int ellipse = 39;
  QString description;
};

// Looks a datum up by key ("Datum = " + key); nullopt when there is no such row.
using ChartDatumLookup = std::function<std::optional<ChartDatumRow>(int datumKey)>;

struct ChartLoadResult {
  ChartRecord record;
  // Empty, or what is wrong with the row for the user (the record is still usable as
  // far as it goes; a degenerate calibration converts every position to point 1).
  QString warning;
  bool boundsMissing = false;  // the row had no bounds; they were computed when possible
};

// The Charts-row filter of a description: "Description = '" + trimmed name + "'",
// with quotes in the name doubled.
QString chartFilter(const QString& description);

// The record of a row: calibration, scales, datum, bounds and texts copied, the datum
// name and ellipsoid looked up ("WGS-84" and 39 when the datum is missing), rotation
// derived with `view`. Empty bounds are computed from the calibration for native
// charts (with the image size and margins of the row) and reported.
ChartLoadResult LoadChartRecord(const ChartRow& row, const ChartDatumLookup& datums, const ChartView& view = {});
// The kind of calibration and its three points, as stored.
void CopyCalibrationPoints(const ChartRow& row, ChartRecord& c);

// Why a record cannot convert positions, or empty when it can.
QString CalibrationProblem(const ChartRecord& c);

}  // namespace tavrik
