#include "geo/grid_notation.h"

#include <QLocale>
#include <cmath>

#include "core/number_format.h"
#include "geo/grid.h"

namespace tavrik {
namespace {

constexpr char kBandLetters[] = "CDEFGHJKLMNPQRSTUVWX";

QChar systemDecimal() { return QLocale::system().decimalPoint().at(0); }

bool localeNumeric(const QString& text, QChar sep) {
  QString t = text;
  if (sep != QLatin1Char('.')) {
    const qsizetype at = t.indexOf(sep);
    if (at >= 0) t[at] = QLatin1Char('.');
  }
  return isNumeric(t);
}

// Half away from zero, as display values have always been rounded.
double roundAway(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(v * scale) / scale;
}

QString decimalsPattern(int decimals) {
  return decimals <= 0 ? QStringLiteral("#0") : QStringLiteral("#0.") + QString(decimals, QLatin1Char('0'));
}

int clampDecimals(int d) { return d < 0 ? 0 : (d > 9 ? 9 : d); }

}  // namespace

double GridNotation::a() const {
  if (!(majoraxis > 0) || !std::isfinite(majoraxis) || !(minoraxis > 0) || minoraxis > majoraxis)
    return kWgs84MajorAxis;
  return majoraxis;
}

double GridNotation::b() const {
  if (!(majoraxis > 0) || !std::isfinite(majoraxis) || !(minoraxis > 0) || minoraxis > majoraxis)
    return kDefaultMinorAxis;
  return minoraxis;
}

QStringList GridNotation::fieldTags(int g) {
  switch (g) {
    case 0: return {"LATD", "LATM", "LATNS", "LOND", "LONM", "LONEW"};
    case 2: return {"ZONE", "ZONEDES", "UTMX", "UTMY"};
    case 3: return {"RDPX", "RDPY"};
    case 4: return {"NGRSQ", "NGRX", "NGRY"};
    default: return {"LATD", "LATM", "LATS", "LATNS", "LOND", "LONM", "LONS", "LONEW"};
  }
}

bool GridNotation::isNumericTag(const QString& tag) {
  return tag != QLatin1String("LATNS") && tag != QLatin1String("LONEW") && tag != QLatin1String("ZONEDES") &&
         tag != QLatin1String("NGRSQ");
}

QString GridNotation::minutePattern() const { return decimalsPattern(clampDecimals(decimals)); }

void GridNotation::degreeMinuteTexts(double value, QString& degrees, QString& minutes) const {
  const double v = std::fabs(value);
  double deg = std::floor(v);
  double min = roundAway((v - deg) * 60, clampDecimals(decimals));
  if (min >= 60) {  // 59.999 shown with two decimals is a whole degree more
    deg += 1;
    min -= 60;
  }
  degrees = formatNumber(deg, u"0");
  minutes = formatNumber(min, minutePattern());
}

QString GridNotation::degreesMinutesText(double value, bool latitude) const {
  if (!std::isfinite(value)) return QStringLiteral("° ' ");  // as the empty fields show
  QString degrees, minutes;
  degreeMinuteTexts(value, degrees, minutes);
  return degrees + QStringLiteral("° ") + minutes + QStringLiteral("' ") +
         (latitude ? (value < 0 ? South : North) : (value < 0 ? West : East));
}

PositionFields GridNotation::fill(double lat, double lon) const {
  PositionFields f;
  const int g = effectiveGrid();
  for (const QString& tag : fieldTags(g)) f[tag] = QString();
  if (!std::isfinite(lat) || !std::isfinite(lon)) return f;
  const int dec = clampDecimals(decimals);
  if (g == 0 || g == 1) {
    auto angle = [&](double value, const QString& prefix) {
      const double v = std::fabs(value);
      double deg = std::floor(v);
      if (g == 0) {
        degreeMinuteTexts(value, f[prefix + "D"], f[prefix + "M"]);
      } else {
        double totalSec = roundAway((v - deg) * 3600, dec);
        if (totalSec >= 3600) {
          deg += 1;
          totalSec -= 3600;
        }
        double min = std::floor(totalSec / 60 + 1e-12);
        double sec = roundAway(totalSec - min * 60, dec);
        if (sec >= 60) {
          min += 1;
          sec -= 60;
        }
        if (sec < 0) sec = 0;
        f[prefix + "D"] = formatNumber(deg, u"0");
        f[prefix + "M"] = formatNumber(min, u"0");
        f[prefix + "S"] = formatNumber(sec, minutePattern());
      }
    };
    angle(lat, QStringLiteral("LAT"));
    angle(lon, QStringLiteral("LON"));
    f["LATNS"] = lat < 0 ? South : North;
    f["LONEW"] = lon < 0 ? West : East;
  } else if (g == 2) {
    const UtmPosition u = UtmFromLatLon(lat, lon, a(), b());
    if (std::isfinite(u.easting) && std::isfinite(u.northing)) {
      f["ZONE"] = QString::number(u.zone);
      f["ZONEDES"] = QString(u.designator);
      f["UTMX"] = formatNumber(u.easting, u"0");
      f["UTMY"] = formatNumber(u.northing, u"0");
    }
  } else if (g == 3) {
    const RdPosition rd = RdFromMapLatLon(lat, lon, a(), b());
    if (std::isfinite(rd.x) && std::isfinite(rd.y)) {
      f["RDPX"] = formatNumber(rd.x, u"0");
      f["RDPY"] = formatNumber(rd.y, u"0");
    }
  } else {
    NgrReference ref;
    if (NgrFromNationalGrid(NationalGridFromLatLon(lat, lon, a(), b()), ref)) {
      f["NGRSQ"] = ref.letters;
      f["NGRX"] = formatNumber(ref.easting, u"00000");
      f["NGRY"] = formatNumber(ref.northing, u"00000");
    }
  }
  return f;
}

QString GridNotation::displayText(const PositionFields& f) const {
  const QString deg = QStringLiteral("° ");
  switch (effectiveGrid()) {
    case 0:
      return f.value("LATD") + deg + f.value("LATM") + "' " + f.value("LATNS") + " / " + f.value("LOND") + deg +
             f.value("LONM") + "' " + f.value("LONEW");
    case 2:
      if (f.value("ZONE").isEmpty() && f.value("UTMX").isEmpty()) return {};
      return f.value("ZONE") + ' ' + f.value("ZONEDES") + ' ' + f.value("UTMX") + " x " + f.value("UTMY");
    case 3:
      if (f.value("RDPX").isEmpty() && f.value("RDPY").isEmpty()) return {};
      return f.value("RDPX") + " x " + f.value("RDPY");
    case 4:
      if (f.value("NGRSQ").isEmpty()) return {};
      return f.value("NGRSQ") + ' ' + f.value("NGRX") + " x " + f.value("NGRY");
    default:
      return f.value("LATD") + deg + f.value("LATM") + "' " + f.value("LATS") + "'' " + f.value("LATNS") + " / " +
             f.value("LOND") + deg + f.value("LONM") + "' " + f.value("LONS") + "'' " + f.value("LONEW");
  }
}

bool GridNotation::designatorAcceptable(const QString& text) {
  const QString t = text.trimmed();
  return t.size() == 1 && IsUtmDesignator(t[0]);
}

GridNotation::Entry GridNotation::read(const PositionFields& f) const { return read(f, systemDecimal()); }

GridNotation::Entry GridNotation::read(const PositionFields& f, QChar sep) const {
  auto num = [&](const char* tag) { return parseLocaleNumber(f.value(QLatin1String(tag)), sep); };
  auto same = [](const QString& field, const QString& letter) {
    return !letter.isEmpty() && field.trimmed().compare(letter, Qt::CaseInsensitive) == 0;
  };
  Entry e;
  const int g = effectiveGrid();
  if (g == 0 || g == 1) {
    e.lat = num("LATD") + num("LATM") / 60 + (g == 1 ? num("LATS") / 3600 : 0);
    e.lon = num("LOND") + num("LONM") / 60 + (g == 1 ? num("LONS") / 3600 : 0);
    if (same(f.value("LATNS"), South)) e.lat = -e.lat;
    if (same(f.value("LONEW"), West)) e.lon = -e.lon;
  } else if (g == 2) {
    const double zone = num("ZONE");
    const QString des = f.value("ZONEDES").trimmed();
    if (!(zone >= 1 && zone <= 60) || zone != std::floor(zone) || !designatorAcceptable(des) ||
        !localeNumeric(f.value("UTMX"), sep) || !localeNumeric(f.value("UTMY"), sep))
      return e;
    const LatLon p = LatLonFromUtm(static_cast<int>(zone), des[0].toUpper(), num("UTMX"), num("UTMY"), a(), b());
    e.lat = p.lat;
    e.lon = p.lon;
  } else if (g == 3) {
    const LatLon p = MapLatLonFromRd(num("RDPX"), num("RDPY"), a(), b());
    e.lat = p.lat;
    e.lon = p.lon;
  } else {
    NgrReference ref;
    ref.letters = f.value("NGRSQ").trimmed().toUpper();
    ref.easting = num("NGRX");
    ref.northing = num("NGRY");
    if (!(ref.easting >= 0 && ref.easting < 100000) || !(ref.northing >= 0 && ref.northing < 100000)) return e;
    NationalGridEN en;
    if (!NationalGridFromNgr(ref, en)) return e;
    const LatLon p = LatLonFromNationalGrid(en.easting, en.northing, a(), b());
    e.lat = p.lat;
    e.lon = p.lon;
  }
  if (!std::isfinite(e.lat) || !std::isfinite(e.lon) || std::fabs(e.lat) > 90 || std::fabs(e.lon) > 180)
    return Entry{};
  e.accepted = true;
  return e;
}

QString GridNotation::step(const QString& tag, const QString& text, int delta) const {
  return step(tag, text, delta, systemDecimal());
}

QString GridNotation::step(const QString& tag, const QString& text, int delta, QChar sep) const {
  const int d = delta < 0 ? -1 : 1;
  if (tag == QLatin1String("LATNS")) return text.trimmed().compare(North, Qt::CaseInsensitive) == 0 ? South : North;
  if (tag == QLatin1String("LONEW")) return text.trimmed().compare(East, Qt::CaseInsensitive) == 0 ? West : East;
  if (tag == QLatin1String("ZONEDES")) {
    const QString t = text.trimmed().toUpper();
    const char c = t.size() == 1 ? t[0].toLatin1() : 0;
    const QByteArray bands(kBandLetters);
    int at = bands.indexOf(c);
    if (at < 0) {
      // Not a band letter: step onto the nearest band in the direction asked.
      if (c == 0) return d > 0 ? QStringLiteral("C") : text;
      int next = -1;
      if (d > 0) {
        for (int i = 0; i < bands.size(); ++i)
          if (bands[i] > c) { next = i; break; }
      } else {
        for (int i = bands.size() - 1; i >= 0; --i)
          if (bands[i] < c) { next = i; break; }
      }
      return next < 0 ? text : QString(QLatin1Char(bands[next]));
    }
    at += d;
    if (at < 0 || at >= bands.size()) return text;
    return QString(QLatin1Char(bands[at]));
  }
  if (tag == QLatin1String("NGRSQ")) return text;

  const double v = parseLocaleNumber(text, sep) + d;
  const int g = effectiveGrid();
  double lo = 0, hi = 0;
  bool hiOpen = false;
  QString pattern = QStringLiteral("#0.#########");
  if (tag == QLatin1String("LATD")) hi = 90;
  else if (tag == QLatin1String("LOND")) hi = 180;
  else if (tag == QLatin1String("LATM") || tag == QLatin1String("LONM")) {
    hi = 60, hiOpen = true;
    pattern = g == 0 ? minutePattern() : pattern;
  } else if (tag == QLatin1String("LATS") || tag == QLatin1String("LONS")) {
    hi = 60, hiOpen = true;
    pattern = minutePattern();
  } else if (tag == QLatin1String("ZONE")) lo = 1, hi = 60;
  else if (tag == QLatin1String("UTMX")) hi = 999999;
  else if (tag == QLatin1String("UTMY")) hi = 10000000;
  else if (tag == QLatin1String("RDPX")) hi = 225000, hiOpen = true;
  else if (tag == QLatin1String("RDPY")) hi = 610000, hiOpen = true;
  else if (tag == QLatin1String("NGRX") || tag == QLatin1String("NGRY")) {
    hi = 99999;
    pattern = QStringLiteral("00000");
  } else {
    return text;
  }
  if (v < lo || v > hi || (hiOpen && v >= hi)) return text;
  return formatNumber(v, pattern);
}

}  // namespace tavrik
