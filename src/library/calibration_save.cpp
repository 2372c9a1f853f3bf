#include "library/calibration_save.h"

#include "chart/chart_record.h"
#include "chart/chart_row_store.h"
#include "store/sql_text.h"

namespace tavrik {

CalibrationSave prepareCalibrationSave(const CalibrationForm& f) {
  CalibrationSave out;
  CalibrationInput in;
  in.description = f.description;
  in.bitmapLoaded = !f.bitmap.isEmpty();
  in.datumSelected = f.datum.has_value();
  ChartRecord& c = in.record;
  c.mercator = f.mercator;
  c.latitude1 = f.latitude[0];
  c.longitude1 = f.longitude[0];
  c.latitude2 = f.latitude[1];
  c.longitude2 = f.longitude[1];
  c.latitude3 = f.latitude[2];
  c.longitude3 = f.longitude[2];
  c.x1 = static_cast<float>(f.x[0]);
  c.y1 = static_cast<float>(f.y[0]);
  c.x2 = static_cast<float>(f.x[1]);
  c.y2 = static_cast<float>(f.y[1]);
  c.x3 = static_cast<float>(f.x[2]);
  c.y3 = static_cast<float>(f.y[2]);
  const CalibrationCheck check = CheckCalibration(in);
  out.message = check.message;
  out.askConsistency = check.askConsistency;
  if (out.message) return out;
  c.milelat = f.mercator ? check.milelat : 0;
  c.milelon = f.mercator ? check.milelon : 0;
  ComputeBounds(c, {f.maxx, f.maxy, f.topMargin, f.bottomMargin, f.leftMargin, f.rightMargin});

  ChartRow& r = out.row;
  r.description = f.description.trimmed();
  r.bitmap = f.bitmap;
  r.mercator = f.mercator;
  r.latitude1 = f.latitude[0];
  r.longitude1 = f.longitude[0];
  r.latitude2 = f.latitude[1];
  r.longitude2 = f.longitude[1];
  r.latitude3 = f.latitude[2];
  r.longitude3 = f.longitude[2];
  r.x1 = f.x[0];
  r.y1 = f.y[0];
  r.x2 = f.x[1];
  r.y2 = f.y[1];
  r.x3 = f.x[2];
  r.y3 = f.y[2];
  r.milelat = c.milelat;
  r.milelon = c.milelon;
  r.maxx = f.maxx;
  r.maxy = f.maxy;
  r.topMargin = f.topMargin;
  r.bottomMargin = f.bottomMargin;
  r.leftMargin = f.leftMargin;
  r.rightMargin = f.rightMargin;
  r.latmin = c.latmin;
  r.lonmin = c.lonmin;
  r.latmax = c.latmax;
  r.lonmax = c.lonmax;
  r.datum = *f.datum;
  r.Scale = f.scale;
  r.depth = f.depth;
  r.revised = f.revised;
  r.bsb = false;
  return out;
}

std::optional<CalibrationForm> calibrationOfBitmap(Database& db, const QString& bitmap) {
  std::unique_ptr<Recordset> rs =
      db.openRecordset(QStringLiteral("SELECT * FROM Charts WHERE ") + sqlEquals(QStringLiteral("Bitmap"), bitmap));
  if (rs->eof()) return std::nullopt;
  const ChartRow r = chartRowFromRecordset(*rs);
  CalibrationForm f;
  f.description = r.description;
  f.bitmap = r.bitmap;
  f.mercator = r.mercator;
  const double lat[3] = {r.latitude1, r.latitude2, r.latitude3}, lon[3] = {r.longitude1, r.longitude2, r.longitude3};
  const double x[3] = {r.x1, r.x2, r.x3}, y[3] = {r.y1, r.y2, r.y3};
  for (int i = 0; i < 3; ++i) {
    f.latitude[i] = lat[i];
    f.longitude[i] = lon[i];
    f.x[i] = x[i];
    f.y[i] = y[i];
  }
  f.maxx = r.maxx;
  f.maxy = r.maxy;
  f.topMargin = r.topMargin;
  f.bottomMargin = r.bottomMargin;
  f.leftMargin = r.leftMargin;
  f.rightMargin = r.rightMargin;
  f.datum = r.datum;
  f.scale = r.Scale.trimmed();
  f.depth = r.depth.trimmed();
  f.revised = r.revised.trimmed();
  return f;
}

}  // namespace tavrik
