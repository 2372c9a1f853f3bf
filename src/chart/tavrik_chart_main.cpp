// tavrik-chart: the chart library from the command line.
//   tavrik-chart info FILE      header record as one JSON object, with the datum used,
//                               the rotation and the worst REF point miss
//   tavrik-chart xy FILE        "lat lon" lines on stdin -> image pixel "x y"
//   tavrik-chart latlon FILE    "x y" lines on stdin -> "lat lon"
//   tavrik-chart demo FILE      writes the demo sea chart (BSB/KAP)
//   tavrik-chart render [--night] FILE OUT.png [ZOOM [X Y [WIDTH HEIGHT]]]
//                               paints a view (image pixel X, Y at the top-left, default
//                               the whole chart fitted to WIDTH x HEIGHT = 1280 x 800);
//                               --night in the chart's night colours (NGT, else DSK,
//                               else the red palette of its daytime colours)
// A file it cannot read: a message on stderr and exit status 1.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <string_view>

#include "chart/chart_datum.h"
#include "chart/chart_record.h"
#include "chart/demo_chart.h"
#include "chart/night_palette.h"
#include "chart/raster_chart.h"
#include "core/number_format.h"

using namespace tavrik;

namespace {

int usage() {
  std::fputs("usage: tavrik-chart info|xy|latlon|demo FILE\n"
             "       tavrik-chart render [--night] FILE OUT.png [ZOOM [X Y [WIDTH HEIGHT]]]\n",
             stderr);
  return 2;
}

int failWith(const QString& text) {
  std::fprintf(stderr, "tavrik-chart: %s\n", qPrintable(text));
  return 1;
}

QJsonObject headerJson(const RasterChart& chart) {
  const KapHeader& h = chart.header();
  // How the program takes the chart: the datum its name matches among the built-in
  // datums, north on the image, and how closely the conversion meets the REF points.
  const ChartFileDatum datum = chartFileDatum(h, builtinDatumNames());
  ChartRecord record;
  record.bsb = true;
  ChartView view;
  view.raster = &chart;
  const ChartGeoreference& g = chart.georeference();
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
                     {"reference_points", refs},
                     {"datum_used", datum.datumName},
                     {"datum_key", datum.datum},
                     {"dtm_shift_seconds", QJsonArray{h.datumShiftLat, h.datumShiftLon}},
                     {"rotation", DeriveRotation(record, view)},
                     {"conversion", g.fromPolynomials() ? QStringLiteral("polynomials") : QStringLiteral("reference_fit")},
                     {"worst_reference_error_px", g.worstReferenceError(h)}};
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

int render(const RasterChart& chart, const QStringList& args) {
  // args: OUT [ZOOM [X Y [W H]]]
  bool ok = true;
  auto number = [&](int i, double fallback) {
    if (i >= args.size()) return fallback;
    bool good = false;
    const double v = args[i].toDouble(&good);
    ok = ok && good;
    return v;
  };
  const int w = static_cast<int>(number(4, 1280)), h = static_cast<int>(number(5, 800));
  const double fit = std::min(double(w) / chart.width(), double(h) / chart.height());
  const double zoom = number(1, fit);
  const QPointF origin(number(2, 0), number(3, 0));
  if (!ok || !(zoom > 0) || w < 1 || h < 1 || w > 20000 || h > 20000) return usage();
  QImage out(w, h, QImage::Format_RGB32);
  out.fill(Qt::white);
  {
    QPainter painter(&out);
    chart.render(painter, QRectF(0, 0, w, h), origin, zoom);
  }
  if (!out.save(args[0])) return failWith(QStringLiteral("cannot write %1").arg(args[0]));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Painting needs a GUI application (offscreen: never a display); the rest does not.
  const bool painting = argc > 1 && std::string_view(argv[1]) == "render";
  if (painting && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> app =
      painting ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
  const QStringList args = app->arguments();
  if (args.size() < 3) return usage();
  if (args[1] == "render") {
    QStringList rest = args.mid(2);
    const bool night = !rest.isEmpty() && rest[0] == "--night";
    if (night) rest.removeFirst();
    if (rest.size() < 2) return usage();
    RasterChartError error;
    const std::unique_ptr<RasterChart> chart = RasterChartLibrary::openChart(rest[0], &error);
    if (!chart) return failWith(error.text());
    if (night) {
      const LibraryNightColours colours = NightColoursOf(*chart);
      chart->setColourTable(colours.colours);
      std::fprintf(stderr, "%s: night colours from %s\n", qPrintable(rest[0]),
                   colours.source == "RGB" ? "the red palette of RGB" : qPrintable(colours.source));
    }
    return render(*chart, rest.mid(1));
  }
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
