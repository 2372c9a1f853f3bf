#pragma once
// Log entries as the list, the printout and the CSV export read them: one struct per
// row of a selection, and the CSV text of a selection.

#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <vector>

#include "store/database.h"

namespace tavrik {

struct LogRow {
  QString type;
  QDateTime date;
  double latitude = 0, longitude = 0;
  double sogKn = 0, cogDeg = 0, waterSpeedKn = 0, headingMagDeg = 0, distanceNm = 0;
  double temperatureC = 0, depthM = 0, pressureMb = 0, windDirectionDeg = 0, windSpeedKn = 0;
  QString position;
  double positionLat = 0, positionLon = 0;
  QString memo;
};

// Every row of a selection text (LogQuery); *result tells why when it fails.
std::vector<LogRow> readLogRows(Database& db, const QString& selection, StoreResult* result = nullptr);

// CSV (RFC 4180, UTF-8, one header row): times ISO 8601 with their UTC offset,
// numbers with a point, texts quoted when they hold a comma, quote or line break.
QByteArray logCsv(const std::vector<LogRow>& rows);

}  // namespace tavrik
