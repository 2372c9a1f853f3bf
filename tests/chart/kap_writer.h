#pragma once
// Test charts: BSB/KAP files written with the program's KAP writer from headers whose
// reference points come from an independent projection (PROJ), so conversions can be
// judged against the projection itself and the files against GDAL.

#include <QString>

#include <cstdint>

#include "chart/kap_header.h"

namespace tavrik::test {

// Geographic extent and size of a test chart on ellipsoidal (WGS-84) Mercator.
struct MercatorChartSpec {
  int width = 1200;
  int height = 900;
  double latNorth = 52.5, latSouth = 52.0, lonWest = 4.0, lonEast = 5.0;
  int refPerSide = 3;  // reference points on an n x n grid
};

// Pixel of a position on that chart, through PROJ's Mercator.
void mercatorPixel(const MercatorChartSpec& s, double lat, double lon, double& x, double& y);
void mercatorLatLon(const MercatorChartSpec& s, double x, double y, double& lat, double& lon);

KapHeader mercatorHeader(const MercatorChartSpec& s);

// Geographic WGS-84 (degrees) <-> a PROJ projection given as a definition string
// ("+proj=poly +lat_0=45 +lon_0=-87 +ellps=GRS80"), in metres.
class ProjectedCrs {
 public:
  explicit ProjectedCrs(const char* definition);
  ~ProjectedCrs();
  ProjectedCrs(const ProjectedCrs&) = delete;
  ProjectedCrs& operator=(const ProjectedCrs&) = delete;
  void forward(double lat, double lon, double& e, double& n) const;
  void inverse(double e, double n, double& lat, double& lon) const;

 private:
  void* m_ctx = nullptr;
  void* m_pj = nullptr;
};

// The image value of a test pattern pixel (1..15): stripes that change every few pixels,
// so a misplaced row or column shows.
uint8_t patternValue(int x, int y);
// A palette of `n` distinct colours (entries 1..n).
QVector<QRgb> testPalette(int n, int seed);

// Writes header + pattern with 4 bits per pixel; fails the test on error.
void writeTestKap(const QString& path, const KapHeader& h);

// Runs `gdalinfo -json [-checksum]` and returns its output; empty when it fails.
QByteArray gdalinfoJson(const QString& path, bool checksum = false);

}  // namespace tavrik::test
