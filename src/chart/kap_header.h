#pragma once
// The text header of a BSB/KAP chart file: the lines before the 0x1A byte that ends
// it. Records are "XXX/" followed by comma-separated values or KEY=value pairs; a line
// that starts with blanks continues the record above. Read by the program itself (the
// image rows are decoded by GDAL), so the chart window, the import and the information
// window agree on what a chart says about itself.

#include <QByteArray>
#include <QMap>
#include <QRgb>
#include <QString>
#include <QVector>

#include <optional>

namespace tavrik {

struct KapReference {
  int number = 0;
  double x = 0, y = 0;      // image pixel
  double lat = 0, lon = 0;  // degrees
};

struct KapPolynomial {
  int order = 0;                 // 1..3; 0 when absent
  QVector<double> coefficients;  // 3, 6 or 10 terms: 1, a, b, a², ab, b², a³, a²b, ab², b³
  bool valid() const;
};

struct KapHeader {
  QString name;            // BSB/NA=
  QString number;          // BSB/NU=
  int width = 0;           // BSB/RA= width, height in pixels
  int height = 0;
  QString scale;           // KNP/SC=
  QString datum;           // KNP/GD=
  QString projection;      // KNP/PR=
  QString projectionParameter;  // KNP/PP=
  QString depthUnit;       // KNP/UN=
  QString soundingDatum;   // KNP/SD=
  QString edition;         // CED/ED=
  QString version;         // VER/
  QVector<KapReference> references;          // REF/
  QVector<QPair<double, double>> outline;    // PLY/ lat, lon
  // Polynomials: world (lon, lat) -> pixel x, y, and pixel (x, y) -> lon, lat.
  KapPolynomial wpx, wpy, pwx, pwy;
  QVector<QVector<double>> errors;           // ERR/ rows as given
  double datumShiftLat = 0, datumShiftLon = 0;  // DTM/ in seconds of arc
  // Palettes by record name ("RGB", "DAY", "DSK", "NGT", "NGR", "GRY", "PRC", "PRG"):
  // entry i is the colour of image value i (index 0 unused by the format).
  QMap<QString, QVector<QRgb>> palettes;
  qint64 headerLength = 0;  // bytes before the 0x1A terminator

  bool hasPolynomials() const { return wpx.valid() && wpy.valid(); }
};

struct KapHeaderResult {
  std::optional<KapHeader> header;
  QString error;  // why the header is not usable, for the user
};

// Parses the header at the start of `bytes` (which may hold the whole file or just its
// beginning). Never throws; a text without a usable BSB/RA= size is an error.
KapHeaderResult readKapHeader(QByteArrayView bytes);
// Reads the beginning of the file and parses its header.
KapHeaderResult readKapHeaderFile(const QString& path);

// A chart-set file (.BSB): the chart's name and number and its panels (Knn/ records),
// each in its own KAP file.
struct ChartSetPanel {
  QString name, number, type;  // NA=, NU=, TY=
  QString file;                // FN= as written
  QString path;                // the file found beside the set (any letter case); empty when missing
};
struct ChartSet {
  QString name, number;  // CHT/NA=, NU=
  QVector<ChartSetPanel> panels;
};
struct ChartSetResult {
  std::optional<ChartSet> set;
  QString error;
};
ChartSetResult readChartSetFile(const QString& path);

inline const QStringList& kapPaletteNames() {
  static const QStringList names{"RGB", "DAY", "DSK", "NGT", "NGR", "GRY", "PRC", "PRG"};
  return names;
}

}  // namespace tavrik
