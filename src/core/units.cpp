#include "core/units.h"

#include <QLocale>

#include "core/number_format.h"

namespace tavrik {

Units Units::fromSetting(const QString& setting) {
  Units u;
  if (setting == QLatin1String("M")) {
    u.DistanceUnit = "M";
    u.UnitFactor = 1.15078f;
  } else if (setting == QLatin1String("Km")) {
    u.DistanceUnit = "Km";
    u.UnitFactor = 1.852f;
  }
  return u;
}

QString Units::distanceLabel() const { return DistanceUnit; }

QString Units::speedLabel() const {
  if (DistanceUnit == QLatin1String("M")) return QStringLiteral("M/h");
  if (DistanceUnit == QLatin1String("Km")) return QStringLiteral("Km/h");
  return QStringLiteral("Kts");
}

QChar Units::nmeaUnitLetter() const {
  if (DistanceUnit == QLatin1String("M")) return 'M';
  if (DistanceUnit == QLatin1String("Km")) return 'K';
  return 'N';
}

QString FormatSpeed(float knots, const Units& units) {
  return formatNumber(knots * units.UnitFactor, u"#0.0 ") + units.speedLabel();
}

QString FormatCourse(float degrees) { return formatNumber(degrees, u"#0.0") + QStringLiteral("° T"); }

QString FormatTime(const QTime& time) {
  // The system's long time format without its zone name: fix times carry the
  // local-time offset of the settings, not the computer's zone.
  static const QString format = [] {
    const QString f = QLocale::system().timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : f) {
      if (c == '\'') quoted = !quoted;
      if (!quoted && c == 't') continue;
      out += c;
    }
    return out.simplified();
  }();
  return QLocale::system().toString(time, format);
}

QString FormatDate(const QDate& date) { return date.toString(QStringLiteral("MM-dd-yyyy")); }

QString FormatDepthFeet(float feet) { return formatNumber(feet, u"0.0") + QStringLiteral("Ft"); }
QString FormatTemperature(float c) { return formatNumber(c, u"0.0") + QStringLiteral("°C"); }
QString FormatPressure(float mb) { return formatNumber(mb, u"0") + QStringLiteral("Mb"); }
QString FormatHeading(float deg) { return formatNumber(deg, u"0.0") + QStringLiteral("°"); }
QString FormatWaterSpeed(float knots, const Units& units) {
  return formatNumber(knots * units.UnitFactor, u"0.0") + units.speedLabel();
}
QString FormatWindSpeed(float knots) { return formatNumber(knots, u"0.0") + QStringLiteral("Kts"); }
QString FormatWindDirection(float deg) { return formatNumber(deg, u"0") + QStringLiteral("°"); }

}  // namespace tavrik
