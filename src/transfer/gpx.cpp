#include "transfer/gpx.h"

#include "transfer/gpx_scan.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

namespace tavrik {
namespace {

// "2026-06-02T10:15:30Z" or with a fraction: what loggers write, read without Qt's
// general date parser (a long track has a time on every point). Text is a QString or
// UTF-8 bytes.
char16_t unit(QChar c) { return c.unicode(); }
char16_t unit(char c) { return static_cast<unsigned char>(c); }

template <typename Text>
std::optional<QDateTime> loggerTime(const Text& text) {
  const auto at = [&text](qsizetype i) { return unit(text[i]); };
  const auto digits = [&at](qsizetype from, qsizetype n, int& out) {
    out = 0;
    for (qsizetype i = from; i < from + n; ++i) {
      const char16_t c = at(i);
      if (c < '0' || c > '9') return false;
      out = out * 10 + (c - '0');
    }
    return true;
  };
  int y, mo, d, h, mi, sec, ms = 0;
  const qsizetype n = static_cast<qsizetype>(text.size());
  if (n < 20 || at(n - 1) != 'Z' || at(4) != '-' || at(7) != '-' || at(10) != 'T' || at(13) != ':' || at(16) != ':' ||
      !digits(0, 4, y) || !digits(5, 2, mo) || !digits(8, 2, d) || !digits(11, 2, h) || !digits(14, 2, mi) ||
      !digits(17, 2, sec))
    return std::nullopt;
  bool plain = n == 20;
  if (n > 21 && at(19) == '.') {
    plain = true;
    for (qsizetype i = 20; i < n - 1; ++i)
      if (at(i) < '0' || at(i) > '9') plain = false;
    const qsizetype places = std::min<qsizetype>(n - 21, 3);
    int fraction = 0;
    if (plain && digits(20, places, fraction)) ms = places == 1 ? fraction * 100 : places == 2 ? fraction * 10 : fraction;
  }
  const QDate date(y, mo, d);
  const QTime time(h, mi, sec, ms);
  if (plain && date.isValid() && time.isValid()) return QDateTime(date, time, Qt::UTC);
  return std::nullopt;
}

class Reader {
 public:
  explicit Reader(QIODevice& in) : m_xml(&in) {}

  bool read(GpxDocument& doc, QString& error) {
    if (!m_xml.readNextStartElement() || m_xml.name() != QLatin1String("gpx")) {
      error = m_xml.hasError() ? xmlError() : QStringLiteral("not a GPX file (no <gpx> element)");
      return false;
    }
    while (m_error.isEmpty() && m_xml.readNextStartElement()) {
      const auto n = m_xml.name();
      if (n == QLatin1String("wpt")) {
        GpxPoint p;
        if (point(p)) doc.waypoints.push_back(std::move(p));
      } else if (n == QLatin1String("rte")) {
        route(doc);
      } else if (n == QLatin1String("trk")) {
        track(doc);
      } else {
        m_xml.skipCurrentElement();  // metadata, extensions, other programs' elements
      }
    }
    if (m_error.isEmpty() && m_xml.hasError()) m_error = xmlError();
    error = m_error;
    return m_error.isEmpty();
  }

 private:
  QString xmlError() const {
    return QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(m_xml.errorString());
  }
  void fail(const QString& text) {
    if (m_error.isEmpty()) m_error = QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(text);
  }
  // At a wpt, rtept or trkpt start: reads it to its end.
  bool point(GpxPoint& p) {
    bool okLat = false, okLon = false;
    const auto attrs = m_xml.attributes();
    p.lat = attrs.value(QLatin1String("lat")).toDouble(&okLat);
    p.lon = attrs.value(QLatin1String("lon")).toDouble(&okLon);
    if (!okLat || !okLon || !std::isfinite(p.lat) || !std::isfinite(p.lon) || std::abs(p.lat) > 90 ||
        std::abs(p.lon) > 180) {
      fail(QStringLiteral("<%1> has no valid lat and lon (lat \"%2\", lon \"%3\")")
               .arg(m_xml.name().toString(), attrs.value(QLatin1String("lat")).toString(),
                    attrs.value(QLatin1String("lon")).toString()));
      return false;
    }
    while (m_xml.readNextStartElement()) {
      const auto n = m_xml.name();
      if (n == QLatin1String("name")) p.name = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("desc")) p.description = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("cmt") && p.description.isEmpty()) p.description = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("sym")) p.symbol = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("ele")) {
        bool ok = false;
        const double e = m_xml.readElementText().trimmed().toDouble(&ok);
        if (ok && std::isfinite(e)) p.elevation = e;
      } else if (n == QLatin1String("time")) {
        p.time = gpxTime(m_xml.readElementText().trimmed());
      } else m_xml.skipCurrentElement();
    }
    return m_error.isEmpty();
  }
  void route(GpxDocument& doc) {
    GpxRoute r;
    while (m_error.isEmpty() && m_xml.readNextStartElement()) {
      const auto n = m_xml.name();
      if (n == QLatin1String("name")) r.name = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("desc")) r.description = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("rtept")) {
        GpxPoint p;
        if (point(p)) r.points.push_back(std::move(p));
      } else m_xml.skipCurrentElement();
    }
    doc.routes.push_back(std::move(r));
  }
  void track(GpxDocument& doc) {
    GpxTrack t;
    while (m_error.isEmpty() && m_xml.readNextStartElement()) {
      const auto n = m_xml.name();
      if (n == QLatin1String("name")) t.name = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("desc")) t.description = m_xml.readElementText().trimmed();
      else if (n == QLatin1String("trkseg")) {
        std::vector<GpxPoint> seg;
        while (m_error.isEmpty() && m_xml.readNextStartElement()) {
          if (m_xml.name() == QLatin1String("trkpt")) {
            GpxPoint p;
            if (point(p)) seg.push_back(std::move(p));
          } else {
            m_xml.skipCurrentElement();
          }
        }
        if (!seg.empty()) t.segments.push_back(std::move(seg));
      } else m_xml.skipCurrentElement();
    }
    doc.tracks.push_back(std::move(t));
  }

  QXmlStreamReader m_xml;
  QString m_error;
};

void writePoint(QXmlStreamWriter& w, const char* element, const GpxPoint& p, bool full) {
  w.writeStartElement(QLatin1String(element));
  w.writeAttribute(QStringLiteral("lat"), QString::number(p.lat, 'f', 8));
  w.writeAttribute(QStringLiteral("lon"), QString::number(p.lon, 'f', 8));
  // Element order is fixed by the GPX 1.1 schema.
  if (p.elevation) w.writeTextElement(QStringLiteral("ele"), QString::number(*p.elevation, 'f', 2));
  if (p.time.isValid()) w.writeTextElement(QStringLiteral("time"), p.time.toUTC().toString(Qt::ISODateWithMs));
  if (full && !p.name.isEmpty()) w.writeTextElement(QStringLiteral("name"), p.name);
  if (full && !p.description.isEmpty()) w.writeTextElement(QStringLiteral("desc"), p.description);
  if (full && !p.symbol.isEmpty()) w.writeTextElement(QStringLiteral("sym"), p.symbol);
  w.writeEndElement();
}

}  // namespace

std::optional<QDateTime> gpxLoggerTime(std::string_view text) { return loggerTime(text); }

QDateTime gpxTime(const QString& text) {
  if (const auto t = loggerTime(text)) return *t;
  const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
  return t.isValid() ? t.toUTC() : t;
}

size_t GpxTrack::pointCount() const {
  size_t n = 0;
  for (const auto& s : segments) n += s.size();
  return n;
}

bool readGpxWithQt(QIODevice& in, GpxDocument& out, QString& error) {
  out = GpxDocument{};
  GpxDocument doc;
  if (!Reader(in).read(doc, error)) return false;
  out = std::move(doc);
  return true;
}

namespace {
bool readGpxBytes(const QByteArray& bytes, GpxDocument& out, QString& error) {
  if (scanGpx(bytes, out, error) == GpxScan::Read) return true;
  // Whatever the scanner refuses Qt's reader decides: a broken file gets its message,
  // and nothing it reads is lost to a scanner stricter than it.
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  return readGpxWithQt(buffer, out, error);
}
}  // namespace

bool readGpx(QIODevice& in, GpxDocument& out, QString& error) { return readGpxBytes(in.readAll(), out, error); }

bool readGpxFile(const QString& path, GpxDocument& out, QString& error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
    return false;
  }
  if (f.size() > kGpxFileLimit) {
    error = QStringLiteral("%1 is too large for a GPX file (%2 MB, at most %3 MB)")
                .arg(path)
                .arg(f.size() / (1024 * 1024))
                .arg(kGpxFileLimit / (1024 * 1024));
    return false;
  }
  // Whole: the scanner works on all the bytes, and Qt's reader is several times slower
  // pulling from a file.
  if (!readGpxBytes(f.readAll(), out, error)) {
    error = QFileInfo(path).fileName() + QStringLiteral(", ") + error;
    return false;
  }
  return true;
}

void writeGpx(QIODevice& out, const GpxDocument& doc) {
  QXmlStreamWriter w(&out);
  w.setAutoFormatting(true);
  w.setAutoFormattingIndent(1);
  w.writeStartDocument();
  w.writeStartElement(QStringLiteral("gpx"));
  w.writeDefaultNamespace(QStringLiteral("http://www.topografix.com/GPX/1/1"));
  w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
  w.writeAttribute(QStringLiteral("creator"), QStringLiteral("Tavrik"));
  for (const GpxPoint& p : doc.waypoints) writePoint(w, "wpt", p, true);
  for (const GpxRoute& r : doc.routes) {
    w.writeStartElement(QStringLiteral("rte"));
    if (!r.name.isEmpty()) w.writeTextElement(QStringLiteral("name"), r.name);
    if (!r.description.isEmpty()) w.writeTextElement(QStringLiteral("desc"), r.description);
    for (const GpxPoint& p : r.points) writePoint(w, "rtept", p, true);
    w.writeEndElement();
  }
  for (const GpxTrack& t : doc.tracks) {
    w.writeStartElement(QStringLiteral("trk"));
    if (!t.name.isEmpty()) w.writeTextElement(QStringLiteral("name"), t.name);
    if (!t.description.isEmpty()) w.writeTextElement(QStringLiteral("desc"), t.description);
    for (const auto& seg : t.segments) {
      w.writeStartElement(QStringLiteral("trkseg"));
      for (const GpxPoint& p : seg) writePoint(w, "trkpt", p, false);
      w.writeEndElement();
    }
    w.writeEndElement();
  }
  w.writeEndElement();
  w.writeEndDocument();
}

bool writeGpxFile(const QString& path, const GpxDocument& doc, QString& error) {
  // Written aside and renamed: a failed write leaves the old file as it was.
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) {
    error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
    return false;
  }
  writeGpx(f, doc);
  if (!f.commit()) {
    error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
    return false;
  }
  return true;
}

}  // namespace tavrik
