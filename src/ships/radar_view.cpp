#include "ships/radar_view.h"

#include "core/main_cycle.h"
#include "core/number_format.h"

namespace tavrik {

QString radarStatusText(const QString& status) {
  const QString s = status.trimmed().toUpper();
  if (s == QLatin1String("Q")) return QStringLiteral("Querying");
  if (s == QLatin1String("T")) return QStringLiteral("Tracking");
  if (s == QLatin1String("L")) return QStringLiteral("Lost");
  return status;
}

QString radarUnitLetter(const QString& units) {
  const QString u = units.trimmed().toUpper();
  if (u == QLatin1String("K")) return QStringLiteral("K");
  if (u == QLatin1String("S") || u == QLatin1String("M")) return QStringLiteral("M");
  return QStringLiteral("N");
}

RadarTargetTexts radarTargetTexts(const RadarTarget& t, int positionDecimals) {
  RadarTargetTexts x;
  const QString unit = radarUnitLetter(t.Units);
  x.number = QString::number(t.Number);
  x.status = radarStatusText(t.Status);
  x.distance = formatNumber(t.Distance, u"#0.00") + QLatin1Char(' ') + unit;
  // The parsers store the bearing true whatever reference it arrived with, so the
  // reference shown is that of the value shown.
  x.bearing = formatNumber(t.Bearing, u"##0.0") + QStringLiteral("° T");
  x.speed = formatNumber(t.Speed, u"#0.0");
  x.course = formatNumber(t.Course, u"##0.0") + QStringLiteral("° ") + t.CourseRef;
  x.cpa = formatNumber(t.Cpa, u"#0.00") + QLatin1Char(' ') + unit;
  x.tcpa = formatNumber(t.Tcpa, u"#0.0");
  x.name = t.Name;
  x.reference = t.Reference;
  x.position = degreesMinutesText(t.TargetLatitude, t.TargetLongitude, positionDecimals);
  x.lastUpdate = t.LastUpdate.isNull() ? QString() : t.LastUpdate.time().toString(QStringLiteral("HH:mm:ss"));
  return x;
}

std::vector<int> reportedTargetIndexes(const RadarTargets& table) {
  std::vector<int> out;
  for (size_t i = 0; i < table.targets.size(); ++i)
    if (!table.targets[i].LastUpdate.isNull()) out.push_back(static_cast<int>(i));
  return out;
}

}  // namespace tavrik
