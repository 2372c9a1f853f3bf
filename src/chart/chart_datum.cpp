#include "chart/chart_datum.h"

#include <QRegularExpression>
#include <QStringList>

#include "core/number_format.h"
#include "geo/datum_catalogue.h"

namespace tavrik {
namespace {

// Upper-case words without punctuation, region in brackets and filler words:
// "North American 1927 (CONUS)" -> "NORTHAMERICAN1927".
QString canonical(const QString& name) {
  static const QRegularExpression brackets(QStringLiteral("\\([^)]*\\)"));
  static const QRegularExpression nonWord(QStringLiteral("[^A-Z0-9]+"));
  QString s = name.toUpper();
  s.remove(brackets);
  QStringList words = s.split(nonWord, Qt::SkipEmptyParts);
  words.removeAll(QStringLiteral("DATUM"));
  words.removeAll(QStringLiteral("OF"));
  words.removeAll(QStringLiteral("THE"));
  const QString joined = words.join(QString());
  static const QList<QStringList> aliases{
      {"WGS84", "WORLDGEODETICSYSTEM1984", "WGS1984"},
      {"WGS72", "WORLDGEODETICSYSTEM1972", "WGS1972"},
      {"NAD83", "NAD1983", "NORTHAMERICAN1983"},
      {"NAD27", "NAD1927", "NORTHAMERICAN1927"},
      {"ED50", "ED1950", "EUROPEAN1950"},
      {"ED79", "ED1979", "EUROPEAN1979"},
      {"OSGB36", "OSGB1936", "OSGB", "ORDNANCESURVEYGB1936", "ORDNANCESURVEYGREATBRITAIN1936"},
  };
  for (const QStringList& a : aliases)
    if (a.contains(joined)) return a.first();
  return joined;
}

int preference(const QString& description) {
  const QString u = description.toUpper();
  if (!u.contains('(')) return 0;
  if (u.contains(QStringLiteral("(MEAN")) || u.contains(QStringLiteral("(CONUS"))) return 1;
  return 2;
}

QString seconds(double v) { return formatNumber(v, u"0.00") + '"'; }

}  // namespace

std::vector<DatumName> builtinDatumNames() {
  std::vector<DatumName> out;
  for (const DatumRow& r : builtinDatums())
    if (r.datum != kDefaultDatum) out.push_back({r.datum, QString::fromLatin1(r.description)});
  return out;
}

std::optional<DatumName> matchDatumName(const QString& name, const std::vector<DatumName>& rows) {
  const QString wanted = name.trimmed();
  if (wanted.isEmpty()) return std::nullopt;
  for (const DatumName& r : rows)
    if (r.description.trimmed().compare(wanted, Qt::CaseInsensitive) == 0) return r;
  const QString key = canonical(wanted);
  if (key.isEmpty()) return std::nullopt;
  std::optional<DatumName> best;
  for (const DatumName& r : rows) {
    if (canonical(r.description) != key) continue;
    if (!best || preference(r.description) < preference(best->description)) best = r;
  }
  return best;
}

ChartFileDatum chartFileDatum(const KapHeader& h, const std::vector<DatumName>& rows) {
  ChartFileDatum d;
  const QString given = h.datum.trimmed();
  const std::optional<DatumName> match = matchDatumName(given, rows);
  if (h.datumShiftLat != 0 || h.datumShiftLon != 0) {
    // The chart states its own offset from WGS-84: positions reach it in WGS-84.
    const std::optional<DatumName> wgs = matchDatumName(QStringLiteral("WGS84"), rows);
    d.datum = wgs ? wgs->datum : kWgs84Datum;
    d.datumName = wgs ? wgs->description.trimmed() : QStringLiteral("WGS-84");
    d.shiftLat = h.datumShiftLat / 3600.0;
    d.shiftLon = h.datumShiftLon / 3600.0;
    d.text = QStringLiteral("%1 (chart %2), shifted to %3 by DTM/ %4 N, %5 E")
                 .arg(match ? match->description.trimmed() : QStringLiteral("unknown"),
                      given.isEmpty() ? QStringLiteral("-") : given, d.datumName, seconds(h.datumShiftLat),
                      seconds(h.datumShiftLon));
    return d;
  }
  if (match) {
    d.datum = match->datum;
    d.datumName = match->description.trimmed();
    d.text = QStringLiteral("%1 (chart %2)").arg(d.datumName, given);
    return d;
  }
  d.datumName = given.isEmpty() ? QStringLiteral("not given") : given;
  d.text = given.isEmpty() ? QStringLiteral("not given by the chart; positions are not converted")
                           : QStringLiteral("unknown datum \"%1\"; positions are not converted").arg(given);
  return d;
}

}  // namespace tavrik
