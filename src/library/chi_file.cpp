#include "library/chi_file.h"

#include <QFile>

#include <cmath>

#include "chart/chart_record.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "library/file_names.h"
#include "library/library_texts.h"

namespace tavrik {
namespace {

const char* const kHeaders[] = {"TAVRIK Chart Information 1.0", "TAVRIK Chart Information 2.0",
                                "Tavrik Pro Chart Information 3.0", "Tavrik Pro Digital Wave Chart Information 1.0"};
constexpr ChiVersion kHeaderVersions[] = {ChiVersion::V1, ChiVersion::V2, ChiVersion::V3, ChiVersion::WaveAtlas};

// Lines end in CR LF; a lone CR or LF ends one too, as the old line reader had it.
QStringList splitLines(const QByteArray& bytes) {
  QString text = fromAnsi(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// A number of the file, strictly: the whole text (blanks around it aside).
bool readNumber(const QString& text, double* out) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// Versions 1.0 and 2.0: the fixed columns (0-based start, width).
struct Column {
  int start, width;
  double ChartRow::*field;
};
const Column kNumberColumns[] = {
    {50, 10, &ChartRow::latitude1}, {60, 10, &ChartRow::longitude1}, {70, 10, &ChartRow::latitude2},
    {80, 10, &ChartRow::longitude2}, {130, 10, &ChartRow::milelat}, {140, 10, &ChartRow::milelon},
    {150, 6, &ChartRow::x1},         {156, 6, &ChartRow::y1},        {162, 6, &ChartRow::x2},
    {168, 6, &ChartRow::y2},         {174, 6, &ChartRow::maxx},      {180, 6, &ChartRow::maxy}};
struct BoundColumn {
  int start;
  std::optional<double> ChartRow::*field;
};
const BoundColumn kBoundColumns[] = {
    {90, &ChartRow::latmin}, {100, &ChartRow::lonmin}, {110, &ChartRow::latmax}, {120, &ChartRow::lonmax}};

ChiError parseFixedLine(const QString& line, int lineNumber, ChiVersion version, ChiChart* out) {
  const auto bad = [&](int start, int width) {
    return ChiError{ChiError::Kind::BadNumber, lineNumber,
                    library_text::notANumber(QStringLiteral("Column %1").arg(start + 1), line.mid(start, width).trimmed())};
  };
  ChartRow& row = out->row;
  out->line = lineNumber;
  row.description = line.left(50).trimmed();
  for (const Column& c : kNumberColumns)
    if (!readNumber(line.mid(c.start, c.width), &(row.*c.field))) return bad(c.start, c.width);
  for (const BoundColumn& c : kBoundColumns) {
    double v = 0;
    if (!readNumber(line.mid(c.start, 10), &v)) return bad(c.start, 10);
    row.*c.field = v;
  }
  double datum = 0;
  if (!readNumber(line.mid(186, 7), &datum)) return bad(186, 7);
  out->datumKey = static_cast<int>(datum);
  if (version == ChiVersion::V2) {
    out->datumDescription = line.mid(193, 50).trimmed();
    out->imageName = line.mid(243).trimmed();
  } else {
    out->imageName = line.mid(193).trimmed();
  }
  // Values these versions do not carry.
  row.mercator = true;
  row.latitude3 = row.longitude3 = 0;
  row.x3 = row.y3 = -1;
  row.topMargin = row.bottomMargin = row.leftMargin = row.rightMargin = 0;
  row.Scale = row.depth = QStringLiteral(" ");
  row.bsb = false;
  return {};
}

ChiError blockError(ChiKeyReader::Status status, int line) {
  switch (status) {
    case ChiKeyReader::Status::EndOfFile: return {ChiError::Kind::UnexpectedEndOfFile, line, {}};
    case ChiKeyReader::Status::End: return {ChiError::Kind::UnexpectedEnd, line, {}};
    default: return {ChiError::Kind::SyntaxError, line, {}};
  }
}

// One block of version 3.0, the reader standing before its first key.
ChiError parseBlock(ChiKeyReader& reader, ChiChart* out) {
  ChartRow& row = out->row;
  QString value;
  const auto text = [&](const char* key, QString* into) -> ChiError {
    const auto s = reader.readKey(QString::fromLatin1(key), &value);
    if (s != ChiKeyReader::Status::Ok) return blockError(s, reader.lineNumber());
    *into = value;
    return {};
  };
  const auto number = [&](const char* key, double* into) -> ChiError {
    const auto s = reader.readKey(QString::fromLatin1(key), &value);
    if (s != ChiKeyReader::Status::Ok) return blockError(s, reader.lineNumber());
    if (!readNumber(value, into))
      return {ChiError::Kind::BadNumber, reader.lineNumber(), library_text::notANumber(QString::fromLatin1(key), value)};
    return {};
  };
#define TAVRIK_CHI_STEP(expr) \
  if (ChiError e = (expr); e.failed()) return e
  TAVRIK_CHI_STEP(text("Description", &row.description));
  out->line = reader.lineNumber();
  TAVRIK_CHI_STEP(text("ImageName", &out->imageName));
  QString mercator;
  TAVRIK_CHI_STEP(text("Mercator", &mercator));
  row.mercator = mercator.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
  TAVRIK_CHI_STEP(number("Latitude1", &row.latitude1));
  TAVRIK_CHI_STEP(number("Longitude1", &row.longitude1));
  TAVRIK_CHI_STEP(number("Latitude2", &row.latitude2));
  TAVRIK_CHI_STEP(number("Longitude2", &row.longitude2));
  if (!row.mercator) {
    TAVRIK_CHI_STEP(number("Latitude3", &row.latitude3));
    TAVRIK_CHI_STEP(number("Longitude3", &row.longitude3));
  }
  TAVRIK_CHI_STEP(number("X1", &row.x1));
  TAVRIK_CHI_STEP(number("Y1", &row.y1));
  TAVRIK_CHI_STEP(number("X2", &row.x2));
  TAVRIK_CHI_STEP(number("Y2", &row.y2));
  if (!row.mercator) {
    TAVRIK_CHI_STEP(number("X3", &row.x3));
    TAVRIK_CHI_STEP(number("Y3", &row.y3));
  }
  double width = 0, height = 0;
  TAVRIK_CHI_STEP(number("Width", &width));
  TAVRIK_CHI_STEP(number("Height", &height));
  row.maxx = width * kTwipsPerPixel;
  row.maxy = height * kTwipsPerPixel;
  TAVRIK_CHI_STEP(number("TopMargin", &row.topMargin));
  TAVRIK_CHI_STEP(number("BottomMargin", &row.bottomMargin));
  TAVRIK_CHI_STEP(number("LeftMargin", &row.leftMargin));
  TAVRIK_CHI_STEP(number("RightMargin", &row.rightMargin));
  TAVRIK_CHI_STEP(text("Scale", &row.Scale));
  TAVRIK_CHI_STEP(text("Depth", &row.depth));
  TAVRIK_CHI_STEP(text("RevisionDate", &row.revised));
  TAVRIK_CHI_STEP(text("Datum", &out->datumDescription));
#undef TAVRIK_CHI_STEP
  for (;;) {
    const auto s = reader.readKey(QStringLiteral("Folder"), &value);
    if (s == ChiKeyReader::Status::End) break;
    if (s != ChiKeyReader::Status::Ok) return blockError(s, reader.lineNumber());
    out->folders << value;
  }
  row.bsb = false;
  return {};
}

QString padded(const QString& text, int width) { return text.left(width).leftJustified(width, u' '); }

}  // namespace

QString ChiError::message(const QString& path) const {
  switch (kind) {
    case Kind::None: return {};
    case Kind::NotChartInformation: return MessageText(Msg::NotChartInformationFile);
    case Kind::SyntaxError: return library_text::syntaxErrorIn() + path;
    case Kind::UnexpectedEndOfFile: return library_text::unexpectedEndOfFile() + path;
    case Kind::UnexpectedEnd: return library_text::unexpectedEnd() + path;
    case Kind::BadNumber: return QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(detail);
  }
  return {};
}

ChiVersion chiVersionOfHeader(const QString& firstLine) {
  QString line = firstLine;
  if (line.endsWith(u'\r')) line.chop(1);
  for (size_t i = 0; i < std::size(kHeaders); ++i)
    if (line == QLatin1String(kHeaders[i])) return kHeaderVersions[i];
  return ChiVersion::Invalid;
}

ChiVersion detectChiVersion(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return ChiVersion::Invalid;
  QByteArray line = f.readLine(256);
  while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
  return chiVersionOfHeader(fromAnsi(line));
}

ChiKeyReader::Status ChiKeyReader::readKey(const QString& expectedKey, QString* value) {
  while (m_next < m_lines.size() && m_lines[m_next].trimmed().isEmpty()) ++m_next;
  if (m_next >= m_lines.size()) return Status::EndOfFile;
  const QString& line = m_lines[m_next++];
  if (line.trimmed().compare(QStringLiteral("end"), Qt::CaseInsensitive) == 0) return Status::End;
  const qsizetype eq = line.indexOf(u'=');
  if (eq < 0 || line.left(eq).trimmed().compare(expectedKey, Qt::CaseInsensitive) != 0) return Status::SyntaxError;
  *value = line.mid(eq + 1).trimmed();
  return Status::Ok;
}

bool ChiKeyReader::atEnd() {
  while (m_next < m_lines.size() && m_lines[m_next].trimmed().isEmpty()) ++m_next;
  return m_next >= m_lines.size();
}

ChiFile parseChi(const QByteArray& bytes) {
  ChiFile file;
  const QStringList lines = splitLines(bytes);
  file.version = lines.isEmpty() ? ChiVersion::Invalid : chiVersionOfHeader(lines.first());
  if (file.version == ChiVersion::Invalid) {
    file.error = {ChiError::Kind::NotChartInformation, 1, {}};
    return file;
  }
  if (file.version == ChiVersion::V1 || file.version == ChiVersion::V2) {
    for (int i = 1; i < lines.size(); ++i) {
      if (lines[i].trimmed().isEmpty()) continue;
      ChiChart chart;
      file.error = parseFixedLine(lines[i], i + 1, file.version, &chart);
      if (file.error.failed()) return file;
      file.charts.push_back(std::move(chart));
    }
    return file;
  }
  ChiKeyReader reader(lines, 1);
  while (!reader.atEnd()) {
    ChiChart chart;
    file.error = parseBlock(reader, &chart);
    if (file.error.failed()) return file;
    file.charts.push_back(std::move(chart));
  }
  return file;
}

QByteArray chiHeader(ChiVersion version) {
  for (size_t i = 0; i < std::size(kHeaders); ++i)
    if (kHeaderVersions[i] == version) return QByteArray(kHeaders[i]) + "\r\n";
  return {};
}

QString chiLineV2(const ChiChart& chart) {
  const ChartRow& r = chart.row;
  const auto deg = [](double v) { return formatNumber(v, u"+000.00000;-000.00000").replace(u',', u'.'); };
  const auto units = [](double v) { return formatNumber(v, u"000000"); };
  QString line = padded(r.description, 50);
  line += deg(r.latitude1) + deg(r.longitude1) + deg(r.latitude2) + deg(r.longitude2);
  line += deg(r.latmin.value_or(0)) + deg(r.lonmin.value_or(0)) + deg(r.latmax.value_or(0)) + deg(r.lonmax.value_or(0));
  line += deg(r.milelat) + deg(r.milelon);
  line += units(r.x1) + units(r.y1) + units(r.x2) + units(r.y2) + units(r.maxx) + units(r.maxy);
  line += formatNumber(static_cast<double>(r.datum), u"0000000");
  line += padded(chart.datumDescription, 50);
  line += chart.imageName;
  return line;
}

QString chiBlockV3(const ChiChart& chart) {
  const ChartRow& r = chart.row;
  QString out = QStringLiteral("\r\n");
  const auto put = [&out](const char* key, QString value) {
    // A line break inside a stored text would end the value early.
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    out += QString::fromLatin1(key) + QStringLiteral(" = ") + value + QStringLiteral("\r\n");
  };
  const auto num = [](double v) { return strNumber(v); };
  put("Description", r.description);
  put("ImageName", chart.imageName);
  put("Mercator", r.mercator ? QStringLiteral("True") : QStringLiteral("False"));
  put("Latitude1", num(r.latitude1));
  put("Longitude1", num(r.longitude1));
  put("Latitude2", num(r.latitude2));
  put("Longitude2", num(r.longitude2));
  if (!r.mercator) {
    put("Latitude3", num(r.latitude3));
    put("Longitude3", num(r.longitude3));
  }
  put("X1", num(r.x1));
  put("Y1", num(r.y1));
  put("X2", num(r.x2));
  put("Y2", num(r.y2));
  if (!r.mercator) {
    put("X3", num(r.x3));
    put("Y3", num(r.y3));
  }
  put("Width", strNumber(static_cast<int>(std::lround(r.maxx / kTwipsPerPixel))));
  put("Height", strNumber(static_cast<int>(std::lround(r.maxy / kTwipsPerPixel))));
  put("TopMargin", num(r.topMargin));
  put("BottomMargin", num(r.bottomMargin));
  put("LeftMargin", num(r.leftMargin));
  put("RightMargin", num(r.rightMargin));
  put("Scale", r.Scale.trimmed());
  put("Depth", r.depth.trimmed());
  put("RevisionDate", r.revised.trimmed());
  put("Datum", chart.datumDescription);
  for (const QString& f : chart.folders) put("Folder", f);
  out += QStringLiteral("End\r\n");
  return out;
}

}  // namespace tavrik
