#include "log/log_rows.h"

#include <QStringList>

#include "store/sql_text.h"

namespace tavrik {

std::vector<LogRow> readLogRows(Database& db, const QString& selection, StoreResult* result) {
  std::vector<LogRow> out;
  StoreResult r;
  auto rs = db.openRecordset(selection, &r);
  if (r) {
    // Field positions once; a join of Log and its types names each field once.
    const QStringList names = {"description", "date", "latitude", "longitude", "SOG", "COG", "speed", "course",
                               "distance", "temperature", "depth", "pressure", "wind direction", "wind speed",
                               "position", "position lat", "position lon", "memo"};
    std::vector<int> at;
    for (const QString& n : names) at.push_back(rs->fieldIndex(n));
    const auto num = [&](int i) { return at[static_cast<size_t>(i)] < 0 ? 0.0 : rs->value(at[static_cast<size_t>(i)]).toDouble(); };
    const auto txt = [&](int i) { return at[static_cast<size_t>(i)] < 0 ? QString() : rs->value(at[static_cast<size_t>(i)]).toString(); };
    for (; !rs->eof(); rs->moveNext()) {
      LogRow row;
      row.type = txt(0);
      row.date = dbDateFromText(txt(1));
      row.latitude = num(2);
      row.longitude = num(3);
      row.sogKn = num(4);
      row.cogDeg = num(5);
      row.waterSpeedKn = num(6);
      row.headingMagDeg = num(7);
      row.distanceNm = num(8);
      row.temperatureC = num(9);
      row.depthM = num(10);
      row.pressureMb = num(11);
      row.windDirectionDeg = num(12);
      row.windSpeedKn = num(13);
      row.position = txt(14);
      row.positionLat = num(15);
      row.positionLon = num(16);
      row.memo = txt(17);
      out.push_back(std::move(row));
    }
    r = rs->lastResult();
  }
  if (result) *result = r;
  return out;
}

namespace {

QString csvText(const QString& s) {
  if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n')) &&
      !s.contains(QLatin1Char('\r')))
    return s;
  QString q = s;
  q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

QString csvNumber(double v) { return QString::number(v, 'g', 9); }

}  // namespace

QByteArray logCsv(const std::vector<LogRow>& rows) {
  QString out = QStringLiteral(
      "type,time,latitude,longitude,sog_kn,cog_deg,water_speed_kn,heading_mag_deg,trip_nm,water_temperature_c,"
      "depth_m,pressure_mb,wind_direction_deg,wind_speed_kn,position,position_latitude,position_longitude,memo\r\n");
  for (const LogRow& r : rows) {
    const QDateTime withOffset = r.date.toOffsetFromUtc(r.date.offsetFromUtc());
    const QStringList fields = {csvText(r.type),          withOffset.toString(Qt::ISODate),
                                csvNumber(r.latitude),     csvNumber(r.longitude),
                                csvNumber(r.sogKn),        csvNumber(r.cogDeg),
                                csvNumber(r.waterSpeedKn), csvNumber(r.headingMagDeg),
                                csvNumber(r.distanceNm),   csvNumber(r.temperatureC),
                                csvNumber(r.depthM),       csvNumber(r.pressureMb),
                                csvNumber(r.windDirectionDeg), csvNumber(r.windSpeedKn),
                                csvText(r.position),       csvNumber(r.positionLat),
                                csvNumber(r.positionLon),  csvText(r.memo)};
    out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
  }
  return out.toUtf8();
}

}  // namespace tavrik
