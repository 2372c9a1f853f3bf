#include "chart/demo_chart.h"

#include <cmath>
#include <vector>

#include "chart/kap_file_writer.h"

namespace tavrik {
namespace {

constexpr double kA = 6378137.0;
constexpr double kE = 0.0818191908426215;  // WGS-84 first eccentricity
constexpr double kRad = 3.14159265358979323846 / 180.0;

// Palette layout: 1..24 sea shades (shallow to deep), then the drawing colours.
constexpr int kShades = 24;
constexpr uint8_t kMinorGrid = 25, kMajorGrid = 26, kBorder = 27, kContour = 28;
constexpr int kBitDepth = 5;

QVector<QRgb> makePalette(double dim) {
  QVector<QRgb> p(kContour + 1, qRgb(0, 0, 0));
  auto d = [dim](int c) { return static_cast<int>(std::lround(c * dim)); };
  for (int i = 0; i < kShades; ++i) {
    const double t = double(i) / (kShades - 1);
    p[1 + i] = qRgb(d(static_cast<int>(214 - 130 * t)), d(static_cast<int>(236 - 110 * t)),
                    d(static_cast<int>(250 - 60 * t)));
  }
  p[kMinorGrid] = qRgb(d(120), d(140), d(160));
  p[kMajorGrid] = qRgb(d(40), d(50), d(70));
  p[kBorder] = qRgb(d(10), d(10), d(10));
  p[kContour] = qRgb(d(70), d(110), d(170));
  return p;
}

QVector<QRgb> nightPalette() {
  QVector<QRgb> p = makePalette(1.0);
  for (QRgb& c : p) c = qRgb(qRed(c) / 5, qGreen(c) / 8, qBlue(c) / 6);  // dark, reddish tint kept low
  return p;
}

}  // namespace

double mercatorNorthing(double latDeg) {
  const double s = std::sin(latDeg * kRad);
  return kA * (std::atanh(s) - kE * std::atanh(kE * s));
}

double latitudeFromNorthing(double n) {
  // Fixed point on the conformal latitude; converges to double precision in a few steps.
  const double t = std::exp(-n / kA);
  double phi = 3.14159265358979323846 / 2 - 2 * std::atan(t);
  for (int i = 0; i < 15; ++i) {
    const double es = kE * std::sin(phi);
    phi = 3.14159265358979323846 / 2 - 2 * std::atan(t * std::pow((1 - es) / (1 + es), kE / 2));
  }
  return phi / kRad;
}

void seaChartPixel(const SeaChartSpec& s, double lat, double lon, double& x, double& y) {
  const double nTop = mercatorNorthing(s.latNorth), nBottom = mercatorNorthing(s.latSouth);
  x = (lon - s.lonWest) / (s.lonEast - s.lonWest) * s.width;
  y = (nTop - mercatorNorthing(lat)) / (nTop - nBottom) * s.height;
}

KapHeader seaChartHeader(const SeaChartSpec& s) {
  KapHeader h;
  h.name = s.name;
  h.number = s.number;
  h.width = s.width;
  h.height = s.height;
  // Scale from the pixel size at mid latitude on a 254 dpi scan.
  const double metresPerPixel = (s.lonEast - s.lonWest) * kRad * kA * std::cos((s.latNorth + s.latSouth) / 2 * kRad) / s.width;
  h.scale = QString::number(std::lround(metresPerPixel / (0.0254 / 254) / 1000) * 1000);
  h.datum = QStringLiteral("WGS84");
  h.projection = QStringLiteral("MERCATOR");
  h.projectionParameter = QString::number((s.latNorth + s.latSouth) / 2, 'f', 2);
  h.depthUnit = QStringLiteral("METERS");
  h.soundingDatum = QStringLiteral("LOWEST ASTRONOMICAL TIDE");
  h.edition = QStringLiteral("2026-12-07");
  int n = 0;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      const double lat = s.latNorth - (s.latNorth - s.latSouth) * (0.05 + 0.3 * i);
      const double lon = s.lonWest + (s.lonEast - s.lonWest) * (0.05 + 0.3 * j);
      double x = 0, y = 0;
      seaChartPixel(s, lat, lon, x, y);
      // Reference points are marked on whole pixels: take the position of that pixel.
      const double px = std::round(x), py = std::round(y);
      const double nTop = mercatorNorthing(s.latNorth), nBottom = mercatorNorthing(s.latSouth);
      const double plat = latitudeFromNorthing(nTop - py / s.height * (nTop - nBottom));
      const double plon = s.lonWest + px / s.width * (s.lonEast - s.lonWest);
      h.references.append({++n, px, py, plat, plon});
    }
  }
  h.outline = {{s.latNorth, s.lonWest}, {s.latNorth, s.lonEast}, {s.latSouth, s.lonEast}, {s.latSouth, s.lonWest}};
  h.palettes["RGB"] = makePalette(1.0);
  h.palettes["DAY"] = makePalette(1.0);
  h.palettes["DSK"] = makePalette(0.6);
  h.palettes["NGT"] = nightPalette();
  return h;
}

bool writeSeaChart(const QString& path, const SeaChartSpec& s, QString* error) {
  const KapHeader h = seaChartHeader(s);
  // Which columns and rows carry grid lines (minor 2 pixels, major 3), wide enough to
  // survive a zoomed-out view.
  std::vector<uint8_t> colLine(s.width, 0), rowLine(s.height, 0);
  const double step = s.gridMinutes / 60.0;
  for (int k = static_cast<int>(std::ceil(s.lonWest / step)); k * step <= s.lonEast; ++k) {
    double x = 0, y = 0;
    seaChartPixel(s, s.latNorth, k * step, x, y);
    const bool major = k % 6 == 0;
    for (int dx = 0; dx < (major ? 3 : 2); ++dx) {
      const int c = static_cast<int>(std::floor(x)) + dx;
      if (c >= 0 && c < s.width) colLine[c] = major ? kMajorGrid : kMinorGrid;
    }
  }
  for (int k = static_cast<int>(std::ceil(s.latSouth / step)); k * step <= s.latNorth; ++k) {
    double x = 0, y = 0;
    seaChartPixel(s, k * step, s.lonWest, x, y);
    const bool major = k % 6 == 0;
    for (int dy = 0; dy < (major ? 3 : 2); ++dy) {
      const int r = static_cast<int>(std::floor(y)) + dy;
      if (r >= 0 && r < s.height) rowLine[r] = major ? kMajorGrid : kMinorGrid;
    }
  }
  const int border = std::max(2, s.width / 500);
  // depth(fx, fy) = 0.55 (1 - fy) + 0.35 (1 - fx) + 0.1 sin(6 fx + 4 fy), with the sine
  // split into per-column and per-row factors so a large chart writes quickly.
  std::vector<double> colBase(s.width), colSin(s.width), colCos(s.width);
  for (int x = 0; x < s.width; ++x) {
    const double fx = double(x) / s.width;
    colBase[x] = 0.35 * (1 - fx);
    colSin[x] = std::sin(6.0 * fx);
    colCos[x] = std::cos(6.0 * fx);
  }
  std::vector<int> band(s.width);
  auto rows = [&](int y, uint8_t* row) {
    const double fy = double(y) / s.height;
    const double rowBase = 0.55 * (1 - fy), rs = std::sin(4.0 * fy), rc = std::cos(4.0 * fy);
    for (int x = 0; x < s.width; ++x) {
      const double d = std::clamp(rowBase + colBase[x] + 0.1 * (colSin[x] * rc + colCos[x] * rs), 0.0, 0.999);
      uint8_t v = static_cast<uint8_t>(1 + static_cast<int>(d * kShades));
      band[x] = static_cast<int>(d * 4);
      // A depth contour where the shade crosses a quarter of the range.
      if (x > 0 && band[x - 1] != band[x]) v = kContour;
      if (rowLine[y]) v = rowLine[y];
      if (colLine[x] && v != kMajorGrid) v = colLine[x];
      if (x < border || y < border || x >= s.width - border || y >= s.height - border) v = kBorder;
      row[x] = v;
    }
  };
  return writeKapFile(path, h, kBitDepth, rows, error);
}

}  // namespace tavrik
