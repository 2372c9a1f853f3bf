#include "transfer/gpx.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>

namespace tavrik {
namespace {

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
        p.time = QDateTime::fromString(m_xml.readElementText().trimmed(), Qt::ISODateWithMs);
        if (p.time.isValid()) p.time = p.time.toUTC();
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

size_t GpxTrack::pointCount() const {
  size_t n = 0;
  for (const auto& s : segments) n += s.size();
  return n;
}

bool readGpx(QIODevice& in, GpxDocument& out, QString& error) {
  out = GpxDocument{};
  GpxDocument doc;
  if (!Reader(in).read(doc, error)) return false;
  out = std::move(doc);
  return true;
}

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
  if (!readGpx(f, out, error)) {
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
