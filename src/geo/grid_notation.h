#pragma once
// The texts of a position in the five notations of the position control, and the
// reading of what the user typed into its fields. The control widget only hosts the
// fields; every rule of filling, reading, refusing and arrow-key stepping lives here.
//
// Field tags: "LATD", "LATM", "LATS", "LATNS", "LOND", "LONM", "LONS", "LONEW"
// (degrees notations; the seconds only in grid 1), "ZONE", "ZONEDES", "UTMX", "UTMY"
// (UTM), "RDPX", "RDPY" (RD), "NGRSQ", "NGRX", "NGRY" (British National Grid: the
// grid-square letters, easting and northing inside the square).

#include <QChar>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tavrik {

enum class GridKind : int { DegreesMinutes = 0, DegreesMinutesSeconds = 1, Utm = 2, Rd = 3, Ngr = 4 };
inline constexpr int kGridCount = 5;

using PositionFields = QMap<QString, QString>;  // tag -> text

class GridNotation {
 public:
  int grid = 1;        // 0..4 (GridKind); anything else is taken as 1
  int decimals = 2;    // of the last minute or second field, 0..9
  double majoraxis = 6378137.0;  // metres; the map ellipsoid of the grid conversions
  double minoraxis = 6356752.3;
  QString North = QStringLiteral("N"), South = QStringLiteral("S");
  QString East = QStringLiteral("E"), West = QStringLiteral("W");

  int effectiveGrid() const { return grid >= 0 && grid < kGridCount ? grid : 1; }
  // The ellipsoid actually used: a missing or impossible one (0, negative, b > a)
  // stands for the default map ellipsoid.
  double a() const;
  double b() const;

  // Tags of the fields of a notation, in the order they are laid out and read.
  static QStringList fieldTags(int grid);
  static bool isNumericTag(const QString& tag);

  // The fields of the current notation filled from a position. A grid that does not
  // reach the position (the National Grid far from Britain, UTM at a pole) leaves
  // its fields empty.
  PositionFields fill(double latDeg, double lonDeg) const;
  // The display text built from field texts ("52° 22.50' N / 4° 53.25' E", ...);
  // empty when the grid's fields are empty.
  QString displayText(const PositionFields& fields) const;
  QString positionText(double latDeg, double lonDeg) const { return displayText(fill(latDeg, lonDeg)); }
  // One coordinate as the degrees-and-minutes notation writes it ("52° 22.50' N"),
  // without the fields in between: long lists show thousands.
  QString degreesMinutesText(double value, bool latitude) const;

  struct Entry {
    bool accepted = false;  // false: sound the beep and keep the previous position
    double lat = 0;
    double lon = 0;
  };
  // Reads the fields of the current notation with the locale-aware number reader
  // (non-numbers read as 0). Refused: a UTM zone outside 1..60, a designator outside
  // "C".."X", a non-numeric UTM easting or northing, unknown National Grid letters or
  // a figure outside the square, and any result beyond 90 degrees of latitude or 180
  // of longitude.
  Entry read(const PositionFields& fields, QChar decimalSeparator) const;
  Entry read(const PositionFields& fields) const;

  // The designator field may be left with this text ("C".."X", either case).
  static bool designatorAcceptable(const QString& text);

  // One arrow-key step (delta +1 Up, -1 Down) of a field. Degrees stop at 0 and 90
  // (180 for longitude), minutes and seconds stay in 0..<60, the zone in 1..60, the
  // designator runs "C".."X" (the bands, without I and O), the UTM easting in 0..999999
  // and northing in 0..10000000, RD x in 0..<225000 and y in 0..<610000, the National
  // Grid figures in 0..99999; a step past a limit leaves the text as it is.
  // Hemisphere fields switch between their two letters. Non-numeric text counts as 0.
  QString step(const QString& tag, const QString& text, int delta, QChar decimalSeparator) const;
  QString step(const QString& tag, const QString& text, int delta) const;

 private:
  QString minutePattern() const;
  void degreeMinuteTexts(double value, QString& degrees, QString& minutes) const;
};

}  // namespace tavrik
