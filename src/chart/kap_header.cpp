#include "chart/kap_header.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace tavrik {
namespace {

// Real headers are a few kilobytes; one with many outline points stays far below this.
constexpr qint64 kMaxHeaderBytes = 4 * 1024 * 1024;
constexpr int kMaxPaletteIndex = 255;

bool toNumber(const QString& text, double& out) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// "a,b,c" -> numbers; false when any field is not a number.
bool numberList(const QString& body, QVector<double>& out) {
  out.clear();
  const QStringList parts = body.split(',', Qt::KeepEmptyParts);
  for (const QString& p : parts) {
    if (p.trimmed().isEmpty()) continue;  // a trailing comma
    double v = 0;
    if (!toNumber(p, v)) return false;
    out.append(v);
  }
  return true;
}

// KEY=value pairs; values may themselves hold commas, so split only at a comma that
// begins the next KEY=.
QMap<QString, QString> keyValues(const QString& body) {
  static const QRegularExpression sep(QStringLiteral(",(?=\\s*[A-Z][A-Z0-9]=)"));
  QMap<QString, QString> out;
  for (const QString& part : body.split(sep)) {
    const int eq = part.indexOf('=');
    if (eq <= 0) continue;
    const QString key = part.left(eq).trimmed().toUpper();
    if (!out.contains(key)) out.insert(key, part.mid(eq + 1).trimmed());
  }
  return out;
}

// A whole number in int range, else 0 (casting anything else is undefined).
int wholeNumber(double v) { return v >= -1e9 && v <= 1e9 ? static_cast<int>(v) : 0; }

KapPolynomial polynomial(const QVector<double>& v) {
  KapPolynomial p;
  if (v.isEmpty()) return p;
  const int order = wholeNumber(v[0]);
  const int terms = order == 1 ? 3 : order == 2 ? 6 : order == 3 ? 10 : 0;
  if (terms == 0 || v[0] != order || v.size() < 1 + terms) return p;
  p.order = order;
  p.coefficients = v.mid(1, terms);
  return p;
}

// Header lines as records: continuation lines (leading blanks) joined to their
// record, comments dropped.
QStringList headerRecords(const QString& text) {
  QStringList records;
  for (const QString& raw : text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts)) {
    if (raw.startsWith('!')) continue;  // comment
    if ((raw.startsWith(' ') || raw.startsWith('\t')) && !records.isEmpty()) {
      QString& last = records.last();
      const QString more = raw.trimmed();
      if (more.isEmpty()) continue;
      if (!last.endsWith(',')) last += ',';
      last += more;
      continue;
    }
    records.append(raw.trimmed());
  }
  return records;
}

}  // namespace

bool KapPolynomial::valid() const {
  const int terms = order == 1 ? 3 : order == 2 ? 6 : order == 3 ? 10 : 0;
  return terms > 0 && coefficients.size() == terms;
}

KapHeaderResult readKapHeader(QByteArrayView raw) {
  KapHeaderResult result;
  // Old NOS charts (.NO1) store every byte plus 9: "NOS/" reads "WX\8".
  QByteArray decoded;
  QByteArrayView bytes = raw;
  const QByteArrayView start = raw.first(std::min<qsizetype>(raw.size(), 1024));
  if (!start.contains("BSB/") && !start.contains("NOS/") && start.contains("WX\\8")) {
    const qsizetype n = std::min<qsizetype>(raw.size(), kMaxHeaderBytes);
    decoded.resize(n);
    for (qsizetype i = 0; i < n; ++i) decoded[i] = static_cast<char>(static_cast<uint8_t>(raw[i]) - 9);
    bytes = decoded;
  }
  const qsizetype end = bytes.indexOf('\x1a');
  if (end < 0) {
    result.error = bytes.size() >= kMaxHeaderBytes
                       ? QStringLiteral("the chart header is too long")
                       : QStringLiteral("the file has no chart header end (not a BSB/KAP chart or truncated)");
    return result;
  }
  const QStringList records = headerRecords(QString::fromLatin1(bytes.first(end).data(), end));

  KapHeader h;
  h.headerLength = end;
  bool sawBsb = false;
  for (const QString& rec : records) {
    const int slash = rec.indexOf('/');
    if (slash <= 0) continue;
    const QString tag = rec.left(slash).trimmed().toUpper();
    const QString body = rec.mid(slash + 1);
    QVector<double> v;
    if (tag == "BSB" || tag == "NOS") {
      sawBsb = true;
      const auto kv = keyValues(body);
      h.name = kv.value("NA");
      h.number = kv.value("NU");
      const QStringList ra = kv.value("RA").split(',');
      double w = 0, hh = 0;
      if (ra.size() >= 2 && toNumber(ra[0], w) && toNumber(ra[1], hh)) {
        h.width = w >= 1 && w <= 1e6 ? static_cast<int>(w) : 0;
        h.height = hh >= 1 && hh <= 1e6 ? static_cast<int>(hh) : 0;
      }
    } else if (tag == "KNP") {
      const auto kv = keyValues(body);
      h.scale = kv.value("SC");
      h.datum = kv.value("GD");
      h.projection = kv.value("PR");
      h.projectionParameter = kv.value("PP");
      h.depthUnit = kv.value("UN");
      h.soundingDatum = kv.value("SD");
    } else if (tag == "CED") {
      h.edition = keyValues(body).value("ED");
    } else if (tag == "VER") {
      h.version = body.trimmed();
    } else if (tag == "REF") {
      if (numberList(body, v) && v.size() >= 5)
        h.references.append({wholeNumber(v[0]), v[1], v[2], v[3], v[4]});
    } else if (tag == "PLY") {
      if (numberList(body, v) && v.size() >= 3) h.outline.append({v[1], v[2]});
    } else if (tag == "WPX") {
      if (numberList(body, v)) h.wpx = polynomial(v);
    } else if (tag == "WPY") {
      if (numberList(body, v)) h.wpy = polynomial(v);
    } else if (tag == "PWX") {
      if (numberList(body, v)) h.pwx = polynomial(v);
    } else if (tag == "PWY") {
      if (numberList(body, v)) h.pwy = polynomial(v);
    } else if (tag == "ERR") {
      if (numberList(body, v)) h.errors.append(v);
    } else if (tag == "DTM") {
      if (numberList(body, v) && v.size() >= 2) {
        h.datumShiftLat = v[0];
        h.datumShiftLon = v[1];
      }
    } else if (kapPaletteNames().contains(tag)) {
      if (numberList(body, v) && v.size() >= 4 && v[0] >= 0 && v[0] <= kMaxPaletteIndex) {
        QVector<QRgb>& pal = h.palettes[tag];
        const int index = static_cast<int>(v[0]);
        if (pal.size() <= index) pal.resize(index + 1, qRgb(0, 0, 0));
        auto c = [](double x) { return static_cast<int>(std::clamp(x, 0.0, 255.0)); };
        pal[index] = qRgb(c(v[1]), c(v[2]), c(v[3]));
      }
    }
  }
  if (!sawBsb) {
    result.error = QStringLiteral("the file has no BSB/ record (not a BSB/KAP chart)");
    return result;
  }
  if (h.width <= 0 || h.height <= 0) {
    result.error = QStringLiteral("the chart header gives no valid image size (BSB/RA=)");
    return result;
  }
  result.header = std::move(h);
  return result;
}

KapHeaderResult readKapHeaderFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    KapHeaderResult r;
    r.error = f.exists() ? QStringLiteral("cannot read %1: %2").arg(path, f.errorString())
                         : QStringLiteral("file not found: %1").arg(path);
    return r;
  }
  // Read in steps until the terminator shows up, so a big chart is not read whole.
  QByteArray bytes;
  while (bytes.size() < kMaxHeaderBytes) {
    const QByteArray more = f.read(64 * 1024);
    if (more.isEmpty()) break;
    bytes += more;
    if (more.contains('\x1a')) break;
  }
  return readKapHeader(bytes);
}

ChartSetResult readChartSetFile(const QString& path) {
  ChartSetResult result;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    result.error = f.exists() ? QStringLiteral("cannot read %1: %2").arg(path, f.errorString())
                              : QStringLiteral("file not found: %1").arg(path);
    return result;
  }
  QByteArray bytes = f.read(kMaxHeaderBytes);
  if (const qsizetype end = bytes.indexOf('\x1a'); end >= 0) bytes.truncate(end);
  ChartSet set;
  bool sawChart = false;
  const QDir folder = QFileInfo(path).absoluteDir();
  const QStringList present = folder.entryList(QDir::Files);
  static const QRegularExpression panelTag(QStringLiteral("^K\\d+$"));
  for (const QString& rec : headerRecords(QString::fromLatin1(bytes))) {
    const int slash = rec.indexOf('/');
    if (slash <= 0) continue;
    const QString tag = rec.left(slash).trimmed().toUpper();
    const auto kv = keyValues(rec.mid(slash + 1));
    if (tag == "CHT") {
      sawChart = true;
      set.name = kv.value("NA").trimmed();
      set.number = kv.value("NU").trimmed();
    } else if (panelTag.match(tag).hasMatch()) {
      ChartSetPanel panel{kv.value("NA").trimmed(), kv.value("NU").trimmed(), kv.value("TY").trimmed(),
                          kv.value("FN").trimmed(), {}};
      // Sets are copied between systems that disagree on letter case.
      for (const QString& name : present)
        if (!panel.file.isEmpty() && name.compare(QFileInfo(panel.file).fileName(), Qt::CaseInsensitive) == 0)
          panel.path = folder.filePath(name);
      set.panels.append(panel);
    }
  }
  if (!sawChart && set.panels.isEmpty()) {
    result.error = QStringLiteral("%1 is not a BSB chart-set file (no CHT/ or panel records)").arg(QFileInfo(path).fileName());
    return result;
  }
  result.set = std::move(set);
  return result;
}

}  // namespace tavrik
