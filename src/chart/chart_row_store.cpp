#include "chart/chart_row_store.h"

#include "core/messages.h"

namespace tavrik {

ChartRow chartRowFromRecordset(Recordset& rs) {
  ChartRow r;
  auto bound = [&](const char* f) -> std::optional<double> {
    if (rs.isNull(QString::fromLatin1(f))) return std::nullopt;
    return rs.number(QString::fromLatin1(f));
  };
  r.chart = static_cast<int>(rs.integer("chart"));
  r.description = rs.text("description");
  r.bitmap = rs.text("bitmap");
  r.mercator = rs.flag("mercator");
  r.latitude1 = rs.number("latitude1");
  r.longitude1 = rs.number("longitude1");
  r.x1 = rs.number("x1");
  r.y1 = rs.number("y1");
  r.latitude2 = rs.number("latitude2");
  r.longitude2 = rs.number("longitude2");
  r.x2 = rs.number("x2");
  r.y2 = rs.number("y2");
  r.latitude3 = rs.number("Latitude3");
  r.longitude3 = rs.number("Longitude3");
  r.x3 = rs.number("X3");
  r.y3 = rs.number("Y3");
  r.milelat = rs.number("milelat");
  r.milelon = rs.number("milelon");
  r.maxx = rs.number("maxx");
  r.maxy = rs.number("maxy");
  r.latmin = bound("latmin");
  r.lonmin = bound("lonmin");
  r.latmax = bound("latmax");
  r.lonmax = bound("lonmax");
  r.topMargin = rs.number("Top_margin");
  r.bottomMargin = rs.number("Bottom_margin");
  r.leftMargin = rs.number("Left_margin");
  r.rightMargin = rs.number("Right_margin");
  r.datum = static_cast<int>(rs.integer("datum"));
  r.Scale = rs.text("Scale");
  r.depth = rs.text("Depth");
  r.revised = rs.text("Revised");
  r.bsb = rs.flag("BSB");
  return r;
}

std::optional<ChartRow> findChartRow(Database& db, const QString& description, StoreResult* result) {
  StoreResult res;
  std::unique_ptr<Recordset> rs = db.openRecordset(QStringLiteral("Charts"), &res);
  if (!rs || !res.ok()) {
    if (result) *result = res;
    return std::nullopt;
  }
  rs->findFirst(chartFilter(description));
  if (rs->noMatch()) {
    if (result) {
      *result = rs->lastResult();
      if (result->ok()) result->message = Msg::ChartDoesNotExist;
      result->detail = description.trimmed();
    }
    return std::nullopt;
  }
  if (result) *result = {};
  return chartRowFromRecordset(*rs);
}

ChartDatumLookup chartDatumLookup(Database& db) {
  return [&db](int key) -> std::optional<ChartDatumRow> {
    std::unique_ptr<Recordset> rs = db.openRecordset(QStringLiteral("Datums"));
    if (!rs) return std::nullopt;
    rs->findFirst(QStringLiteral("Datum = ") + QString::number(key));
    if (rs->noMatch()) return std::nullopt;
    return ChartDatumRow{key, static_cast<int>(rs->integer("ellipse")), rs->text("description")};
  };
}

std::optional<ChartLoadResult> LoadChartRecord(Database& db, const QString& description, const ChartView& view,
                                               StoreResult* result) {
  const std::optional<ChartRow> row = findChartRow(db, description, result);
  if (!row) return std::nullopt;
  return LoadChartRecord(*row, chartDatumLookup(db), view);
}

}  // namespace tavrik
