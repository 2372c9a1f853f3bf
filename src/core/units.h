#pragma once
// The units setting ("Nm", "M" statute, "Km"): one factor for distance and speed.
// Stored distances are nautical miles and speeds knots; only display and entry
// convert with UnitFactor.

#include <QString>
#include <QTime>

namespace tavrik {

struct Units {
  QString DistanceUnit = QStringLiteral("Nm");
  float UnitFactor = 1.0f;

  // "Nm" 1.0, "M" 1.15078, "Km" 1.852; anything else is taken as "Nm".
  static Units fromSetting(const QString& setting);
  QString distanceLabel() const;  // "Nm", "M", "Km"
  QString speedLabel() const;     // "Kts", "M/h", "Km/h"
  QChar nmeaUnitLetter() const;   // "N", "M", "K"
  double toDisplay(double nmOrKnots) const { return nmOrKnots * UnitFactor; }
  double fromDisplay(double value) const { return value / UnitFactor; }
};

// Status panel and instrument texts.
QString FormatSpeed(float knots, const Units& units);  // "#0.0 " + speed label
QString FormatCourse(float degrees);                   // "#0.0" + "° T"
QString FormatTime(const QTime& time);                 // the system's long time format
QString FormatDate(const QDate& date);                 // "mm-dd-yyyy"

QString FormatDepthFeet(float feet);                    // "0.0" + "Ft"
QString FormatTemperature(float celsius);              // "0.0" + "°C"
QString FormatPressure(float millibar);                // "0" + "Mb"
QString FormatHeading(float degrees);                  // "0.0" + "°"
QString FormatWaterSpeed(float knots, const Units& units);  // "0.0" + speed label
QString FormatWindSpeed(float knots);                  // "0.0" + "Kts"
QString FormatWindDirection(float degrees);            // "0" + "°"

}  // namespace tavrik
