// Any bytes as a GPX file: the scanner must not crash, must leave nothing behind when
// it refuses, and whatever it reads Qt's XML reader must read the same.

#include <QBuffer>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "transfer/gpx_scan.h"

namespace {

bool samePoint(const tavrik::GpxPoint& a, const tavrik::GpxPoint& b) {
  const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
  return same(a.lat, b.lat) && same(a.lon, b.lon) && a.elevation == b.elevation && a.time == b.time &&
         a.name == b.name && a.description == b.description && a.symbol == b.symbol;
}

bool samePoints(const std::vector<tavrik::GpxPoint>& a, const std::vector<tavrik::GpxPoint>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!samePoint(a[i], b[i])) return false;
  return true;
}

bool sameDocument(const tavrik::GpxDocument& a, const tavrik::GpxDocument& b) {
  if (!samePoints(a.waypoints, b.waypoints) || a.routes.size() != b.routes.size() || a.tracks.size() != b.tracks.size())
    return false;
  for (size_t i = 0; i < a.routes.size(); ++i)
    if (a.routes[i].name != b.routes[i].name || a.routes[i].description != b.routes[i].description ||
        !samePoints(a.routes[i].points, b.routes[i].points))
      return false;
  for (size_t i = 0; i < a.tracks.size(); ++i) {
    if (a.tracks[i].name != b.tracks[i].name || a.tracks[i].description != b.tracks[i].description ||
        a.tracks[i].segments.size() != b.tracks[i].segments.size())
      return false;
    for (size_t s = 0; s < a.tracks[i].segments.size(); ++s)
      if (!samePoints(a.tracks[i].segments[s], b.tracks[i].segments[s])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  tavrik::GpxDocument scanned, qt;
  QString scanError, qtError;
  const tavrik::GpxScan result = tavrik::scanGpx(bytes, scanned, scanError);
  if (result != tavrik::GpxScan::Read) {
    if (!scanned.waypoints.empty() || !scanned.routes.empty() || !scanned.tracks.empty() || scanError.isEmpty())
      __builtin_trap();
    return 0;
  }
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  if (!tavrik::readGpxWithQt(buffer, qt, qtError) || !sameDocument(scanned, qt)) __builtin_trap();
  return 0;
}
