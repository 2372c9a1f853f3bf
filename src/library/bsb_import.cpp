#include "library/bsb_import.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

#include "chart/chart_loader.h"
#include "chart/chart_record.h"
#include "core/messages.h"

namespace tavrik {

ChartRow bsbChartRow(const KapHeader& h, const ChartGeoreference& georef, const QString& path, int datum) {
  const double w = h.width * kTwipsPerPixel, ht = h.height * kTwipsPerPixel;
  // Chart units to image pixels as the chart window converts a library chart.
  const auto at = [&](double x, double y, double& lat, double& lon) {
    lat = lon = 0;
    const double px = static_cast<float>(x) / kTwipsPerPixel, py = static_cast<float>(y) / kTwipsPerPixel;
    return georef.pixelToLatLon(px, py, lat, lon) >= 0 && std::isfinite(lat) && std::isfinite(lon);
  };
  ChartRow row;
  row.description = libraryDescription(h, path);
  row.bitmap = QFileInfo(path).absoluteFilePath();
  row.mercator = h.projection.contains(QStringLiteral("MERCATOR"), Qt::CaseInsensitive);
  at(0, 0, row.latitude1, row.longitude1);
  at(w, ht, row.latitude2, row.longitude2);
  at(w, 0, row.latitude3, row.longitude3);
  row.x1 = row.y1 = 0;
  row.x2 = w;
  row.y2 = ht;
  row.x3 = w;
  row.y3 = 0;
  row.maxx = w;
  row.maxy = ht;
  // Bounds around the whole border: on a skewed chart the corners are not the extremes.
  constexpr int kStepsPerEdge = 16;
  for (int i = 0; i <= kStepsPerEdge; ++i) {
    const double f = static_cast<double>(i) / kStepsPerEdge;
    for (const auto& [x, y] : {std::pair{f * w, 0.0}, {f * w, ht}, {0.0, f * ht}, {w, f * ht}}) {
      double lat = 0, lon = 0;
      if (!at(x, y, lat, lon)) continue;
      row.latmin = std::min(row.latmin.value_or(lat), lat);
      row.latmax = std::max(row.latmax.value_or(lat), lat);
      row.lonmin = std::min(row.lonmin.value_or(lon), lon);
      row.lonmax = std::max(row.lonmax.value_or(lon), lon);
    }
  }
  ChartRecord scales;
  scales.mercator = true;
  scales.latitude1 = row.latitude1;
  scales.longitude1 = row.longitude1;
  scales.latitude2 = row.latitude2;
  scales.longitude2 = row.longitude2;
  scales.x2 = static_cast<float>(w);
  scales.y2 = static_cast<float>(ht);
  CalibrateScales(scales);
  row.milelat = scales.milelat;
  row.milelon = scales.milelon;
  const auto orNa = [](const QString& t) { return t.trimmed().isEmpty() ? QStringLiteral("N/A") : t.trimmed().left(15); };
  row.Scale = h.scale.trimmed().isEmpty() ? QStringLiteral(" ") : h.scale.trimmed().left(15);
  row.depth = orNa(h.depthUnit);
  row.revised = orNa(h.edition);
  row.datum = datum;
  row.bsb = true;
  return row;
}

ImportOutcome BsbImporter::importFile(const QString& path) {
  ImportOutcome out;
  const auto refused = [&](const QString& why) {
    out.ok = false;
    out.error = MessageText(Msg::CannotLoadBsb) + QStringLiteral(" (") + path + QStringLiteral(")");
    if (!why.isEmpty()) out.warnings << why;
    return out;
  };
  const KapHeaderResult header = readKapHeaderFile(path);
  if (!header.header) return refused(header.error);
  QString why;
  const std::optional<ChartGeoreference> georef = ChartGeoreference::fromHeader(*header.header, &why);
  if (!georef || header.header->width <= 0 || header.header->height <= 0) return refused(why);
  const ChartRow row = bsbChartRow(*header.header, *georef, path, m_options.datum);
  const auto failed = [&](const StoreResult& r) {
    m_db.rollback();
    ImportOutcome f;
    f.ok = false;
    f.error = r.message ? MessageText(r.message) : ErrorReportText(r.error, r.detail);
    return f;
  };
  StoreResult r = m_db.beginTrans();
  if (!r.ok()) return failed(r);
  qint64 key = 0;
  bool added = false;
  r = storeChartRow(m_db, row, m_options.now, &key, &added);
  if (!r.ok()) return failed(r);
  out.rows.push_back({QStringLiteral("Charts"), key, row.description, added});
  if (!m_options.folder.trimmed().isEmpty()) {
    qint64 folder = 0;
    bool folderAdded = false, linked = false;
    r = ensureFolder(m_db, m_options.folder.trimmed(), m_options.now, &folder, &folderAdded);
    if (r.ok()) r = linkChartToFolder(m_db, folder, key, m_options.now, &linked);
    if (!r.ok()) return failed(r);
    if (folderAdded) out.rows.push_back({QStringLiteral("Folders"), folder, m_options.folder.trimmed(), true});
    if (linked) out.rows.push_back({QStringLiteral("Folder charts"), folder, m_options.folder.trimmed() + " / " + row.description, true});
  }
  r = m_db.commitTrans();
  if (!r.ok()) return failed(r);
  return out;
}

}  // namespace tavrik
