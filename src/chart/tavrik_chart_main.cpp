// tavrik-chart: the chart library from the command line.
//   tavrik-chart info FILE      header record as one JSON object
//   tavrik-chart xy FILE        "lat lon" lines on stdin -> image pixel "x y"
//   tavrik-chart latlon FILE    "x y" lines on stdin -> "lat lon"
//   tavrik-chart demo FILE      writes the demo sea chart (BSB/KAP)
// A file it cannot read: a message on stderr and exit status 1.

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

#include "chart/demo_chart.h"
#include "chart/raster_chart.h"
#include "core/number_format.h"

using namespace tavrik;

namespace {

int usage() {
  std::fputs("usage: tavrik-chart info|xy|latlon|demo FILE\n", stderr);
  return 2;
}

int failWith(const QString& text) {
  std::fprintf(stderr, "tavrik-chart: %s\n", qPrintable(text));
  return 1;
}

QJsonObject headerJson(const RasterChart& chart) {
  const KapHeader& h = chart.header();
  QJsonArray refs;
  for (const KapReference& r : h.references)
    refs.append(QJsonObject{{"number", r.number}, {"x", r.x}, {"y", r.y}, {"lat", r.lat}, {"lon", r.lon}});
  QJsonArray palettes;
  for (ChartPalette p : chart.palettes()) palettes.append(paletteName(p));
  return QJsonObject{{"name", h.name},
                     {"number", h.number},
                     {"scale", h.scale},
                     {"depth_unit", h.depthUnit},
                     {"datum", h.datum},
                     {"projection", h.projection},
                     {"edition", h.edition},
                     {"width", chart.width()},
                     {"height", chart.height()},
                     {"polynomials", h.hasPolynomials()},
                     {"palettes", palettes},
                     {"reference_points", refs}};
}

// Reads pairs of numbers line by line; a line that is not two numbers is an error
// reported with its line number, and the tool goes on with the next line.
int convertLines(const RasterChart& chart, bool toPixel) {
  QTextStream in(stdin);
  QTextStream out(stdout);
  int lineNo = 0, bad = 0;
  QString line;
  while (in.readLineInto(&line)) {
    ++lineNo;
    const QStringList f = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (f.isEmpty()) continue;
    bool ok1 = false, ok2 = false;
    const double a = f.size() == 2 ? f[0].toDouble(&ok1) : 0, b = f.size() == 2 ? f[1].toDouble(&ok2) : 0;
    double r1 = 0, r2 = 0;
    const int status = ok1 && ok2 ? (toPixel ? chart.latLonToPixel(a, b, r1, r2) : chart.pixelToLatLon(a, b, r1, r2)) : -1;
    if (status < 0) {
      std::fprintf(stderr, "tavrik-chart: line %d: cannot convert \"%s\"\n", lineNo, qPrintable(line));
      ++bad;
      continue;
    }
    if (toPixel) out << formatNumber(r1, u"0.000") << ' ' << formatNumber(r2, u"0.000") << '\n';
    else out << formatNumber(r1, u"0.0000000") << ' ' << formatNumber(r2, u"0.0000000") << '\n';
  }
  out.flush();
  return bad ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 3) return usage();
  const QString command = args[1], path = args[2];
  if (command == "demo") {
    QString error;
    if (!writeDemoChart(path, &error)) return failWith(QStringLiteral("cannot write %1: %2").arg(path, error));
    return 0;
  }
  if (command != "info" && command != "xy" && command != "latlon") return usage();
  RasterChartError error;
  const std::unique_ptr<RasterChart> chart = RasterChartLibrary::openChart(path, &error);
  if (!chart) return failWith(error.text());
  if (command == "info") {
    std::fputs(QJsonDocument(headerJson(*chart)).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputs("\n", stdout);
    return 0;
  }
  return convertLines(*chart, command == "xy");
}
