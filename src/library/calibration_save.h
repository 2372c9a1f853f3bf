#pragma once
// What the calibration tool saves: the checks in the order the user meets them, the
// `Charts` row with its derived values, and the values of an image calibrated before.

#include <QString>

#include <optional>

#include "chart/chart_record_loader.h"
#include "store/database.h"

namespace tavrik {

// The tool's fields; positions and sizes in chart units (15 per image pixel).
struct CalibrationForm {
  QString description;
  QString bitmap;  // empty: no image loaded
  bool mercator = true;
  double latitude[3] = {}, longitude[3] = {};
  double x[3] = {}, y[3] = {};
  double maxx = 0, maxy = 0;
  double topMargin = 0, bottomMargin = 0, leftMargin = 0, rightMargin = 0;
  std::optional<int> datum;
  QString scale, depth, revised;
};

struct CalibrationSave {
  int message = 0;              // Msg:: number to show; 0 when the checks passed
  bool askConsistency = false;  // ask Msg::NotMercatorProceed first
  ChartRow row;                 // the row to store (derived values included)
};
CalibrationSave prepareCalibrationSave(const CalibrationForm& form);

// The form of the `Charts` row whose bitmap is `bitmap` ("Bitmap = '...'"), for
// correcting a chart calibrated before; nullopt when there is none.
std::optional<CalibrationForm> calibrationOfBitmap(Database& db, const QString& bitmap);

}  // namespace tavrik
