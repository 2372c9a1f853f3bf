#pragma once
// The active chart's calibration and the conversions between latitude/longitude and
// chart positions. Chart units are twips of the unzoomed image: 15 units per image
// pixel, x to the right, y downwards, origin at the image's top-left corner.
//
// Native charts (pictures) convert with the Mercator two-point model or the affine
// three-point model. Library charts (BSB/KAP, `bsb` true) convert through the open
// RasterChart and the chart window's view origin and zoom.

#include <QString>

namespace tavrik {

class RasterChart;

inline constexpr double kTwipsPerPixel = 15.0;

struct ChartRecord {
  bool mercator = true;
  double latitude1 = 0, longitude1 = 0;  // degrees, north and east positive
  float x1 = 0, y1 = 0;                  // chart units
  double latitude2 = 0, longitude2 = 0;
  float x2 = 0, y2 = 0;
  double latitude3 = 0, longitude3 = 0;  // three-point model only
  float x3 = 0, y3 = 0;                  // 0, 0: point 3 not marked
  double milelat = 0;  // Mercator: chart units per minute of meridional parts
  double milelon = 0;  // Mercator: chart units per minute of longitude
  float rotation = 0;  // degrees; derived at load, never stored
  double latmax = 0, latmin = 0, lonmin = 0, lonmax = 0;  // usable area, degrees
  bool bsb = false;       // converted by the raster library
  // Library charts opened as files: degrees added to a position in the chart's datum
  // to give WGS-84 (the chart's DTM/ shift); positions arrive in WGS-84.
  double shiftLat = 0, shiftLon = 0;
  QString description;    // unique chart name (trimmed)
  QString datumName;      // from Datums, "WGS-84" when the datum is unknown
  QString Scale;          // free text for display
  QString depth;          // depth unit text
  QString revised;        // revision date text
  int datum = 0;          // key in Datums
  int ellipse = 39;       // ellipsoid key of the chart datum (from Datums)
};

// What the chart window shows of a library chart: the image pixel at the window's
// top-left corner and the display factor. `raster` is the open library chart.
struct ChartView {
  const RasterChart* raster = nullptr;
  int viewOriginX = 0;
  int viewOriginY = 0;
  double zoom = 1.0;
  double twipsPerPixelX = kTwipsPerPixel;
  double twipsPerPixelY = kTwipsPerPixel;
  mutable int lastError = 0;  // status of the last library conversion (< 0 failed)
};

// Native conversions (Mercator or three-point model), exactly as calibrated.
void LatLonToChart(const ChartRecord& c, float lat, float lon, float& x, float& y);
void ChartToLatLon(const ChartRecord& c, float x, float y, double& lat, double& lon);

// The conversions every window and overlay uses. For native charts exactly
// LatLonToChart / ChartToLatLon; for library charts through the raster library with
// the view origin and zoom. Library status lands in view.lastError and is returned.
int LatLonToView(const ChartRecord& c, const ChartView& view, double lat, double lon,
                 float& x, float& y);
int ViewToLatLon(const ChartRecord& c, const ChartView& view, float x, float y,
                 double& lat, double& lon);

// A picture chart shown at `zoom`: the calibration positions (x1..y3) and the scales
// (milelat, milelon) multiplied by the factor, so the native conversions yield
// displayed units. Library charts zoom through ChartView instead.
ChartRecord ZoomedRecord(const ChartRecord& c, double zoom);

// Angle of true north on the image (0 north-up, 180 south-up); 0 for Mercator
// pictures. Library charts (Mercator or not) take the direction of north at the
// chart's middle from their georeference, 0..360 clockwise.
float DeriveRotation(const ChartRecord& c, const ChartView& view);

// Mercator scales from points 1 and 2: milelat and milelon; 0 and 0 for
// non-Mercator charts.
void CalibrateScales(ChartRecord& c);

// The save checks of a calibration, in the order the user meets them.
struct CalibrationInput {
  QString description;
  bool bitmapLoaded = false;
  bool datumSelected = false;
  ChartRecord record;  // mercator and the points; the scales are computed here
};
struct CalibrationCheck {
  int message = 0;                  // Msg:: number to show (information box); 0 = passed
  bool askConsistency = false;      // ask Msg::NotMercatorProceed (Yes/No) before saving
  double milelat = 0, milelon = 0;  // the scales to store
};
CalibrationCheck CheckCalibration(const CalibrationInput& in);

// Image size and margins in chart units.
struct ChartFrame {
  double maxx = 0, maxy = 0;
  double topMargin = 0, bottomMargin = 0, leftMargin = 0, rightMargin = 0;
};
// latmax/lonmin from the top-left and latmin/lonmax from the bottom-right corner of
// the area inside the margins, with the native conversion.
void ComputeBounds(ChartRecord& c, const ChartFrame& frame);

}  // namespace tavrik
