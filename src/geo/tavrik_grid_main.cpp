// tavrik-grid: converts positions between latitude/longitude and the program's grids,
// one position a line from standard input to standard output, with the same routines
// the position control uses.
//
//   tavrik-grid utm [--inverse] [--a A --b B]   "lat lon" <-> "zone designator easting northing"
//   tavrik-grid rd  [--inverse] [--a A --b B]   "lat lon" <-> "x y" (RD, with its datum shift)
//   tavrik-grid ngr [--inverse] [--a A --b B]   "lat lon" <-> "SU 12345 67890"
//
// Latitude and longitude are decimal degrees, north and east positive, on the ellipsoid
// given by --a and --b (default WGS-84). A line that cannot be read is reported on
// standard error with its number; the following lines go on, and the exit status is 1.

#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "geo/grid.h"

namespace {

using namespace tavrik;

void usage() {
  std::fputs(
      "usage: tavrik-grid utm|rd|ngr [--inverse] [--a MAJOR --b MINOR]\n"
      "  utm:            \"lat lon\"  ->  \"zone designator easting northing\"\n"
      "  utm --inverse:  \"zone designator easting northing\"  ->  \"lat lon\"\n"
      "  rd:             \"lat lon\"  ->  \"x y\"   (RD, with the datum shift of the position control)\n"
      "  rd --inverse:   \"x y\"  ->  \"lat lon\"\n"
      "  ngr:            \"lat lon\"  ->  \"SU 12345 67890\"  (British National Grid)\n"
      "  ngr --inverse:  \"SU 12345 67890\"  ->  \"lat lon\"\n"
      "Latitudes and longitudes in decimal degrees, north and east positive; the ellipsoid\n"
      "of the latitudes and longitudes is given by --a and --b in metres (default WGS-84).\n",
      stderr);
}

bool number(const QString& s, double& out) {
  bool ok = false;
  out = s.toDouble(&ok);
  return ok && std::isfinite(out);
}

QStringList words(const std::string& line) {
  QString s = QString::fromStdString(line);
  s.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char(' '));
  return s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool readLatLon(const QStringList& w, double& lat, double& lon, QString& why) {
  if (w.size() != 2 || !number(w[0], lat) || !number(w[1], lon)) {
    why = QStringLiteral("expected \"latitude longitude\" in decimal degrees");
    return false;
  }
  if (std::fabs(lat) > 90 || std::fabs(lon) > 180) {
    why = QStringLiteral("latitude beyond 90 or longitude beyond 180 degrees");
    return false;
  }
  return true;
}

QString fixed(double v, int decimals) { return QString::number(v, 'f', decimals); }

QString latLonText(const LatLon& p) { return fixed(p.lat, 8) + ' ' + fixed(p.lon, 8); }

bool validLatLon(const LatLon& p) {
  return std::isfinite(p.lat) && std::isfinite(p.lon) && std::fabs(p.lat) <= 90 && std::fabs(p.lon) <= 180;
}

enum class Mode { Utm, Rd, Ngr };

bool convert(Mode mode, bool inverse, double a, double b, const std::string& line, QString& out, QString& why) {
  const QStringList w = words(line);
  double lat = 0, lon = 0;
  switch (mode) {
    case Mode::Utm: {
      if (!inverse) {
        if (!readLatLon(w, lat, lon, why)) return false;
        const UtmPosition u = UtmFromLatLon(lat, lon, a, b);
        if (!std::isfinite(u.easting) || !std::isfinite(u.northing)) {
          why = QStringLiteral("no UTM position at the pole");
          return false;
        }
        out = QString::number(u.zone) + ' ' + u.designator + ' ' + fixed(u.easting, 2) + ' ' + fixed(u.northing, 2);
        return true;
      }
      double zone = 0, e = 0, n = 0;
      if (w.size() != 4 || !number(w[0], zone) || !number(w[2], e) || !number(w[3], n)) {
        why = QStringLiteral("expected \"zone designator easting northing\"");
        return false;
      }
      if (zone != std::floor(zone) || zone < 1 || zone > 60) {
        why = QStringLiteral("zone must be 1 to 60");
        return false;
      }
      if (w[1].size() != 1 || !IsUtmDesignator(w[1][0])) {
        why = QStringLiteral("designator must be a letter C to X");
        return false;
      }
      const LatLon p = LatLonFromUtm(static_cast<int>(zone), w[1][0].toUpper(), e, n, a, b);
      if (!validLatLon(p)) {
        why = QStringLiteral("the position lies outside the earth");
        return false;
      }
      out = latLonText(p);
      return true;
    }
    case Mode::Rd: {
      if (!inverse) {
        if (!readLatLon(w, lat, lon, why)) return false;
        const RdPosition rd = RdFromMapLatLon(lat, lon, a, b);
        out = fixed(rd.x, 2) + ' ' + fixed(rd.y, 2);
        return true;
      }
      double x = 0, y = 0;
      if (w.size() != 2 || !number(w[0], x) || !number(w[1], y)) {
        why = QStringLiteral("expected \"x y\" in metres");
        return false;
      }
      const LatLon p = MapLatLonFromRd(static_cast<float>(x), static_cast<float>(y), a, b);
      if (!validLatLon(p)) {
        why = QStringLiteral("the position lies outside the earth");
        return false;
      }
      out = latLonText(p);
      return true;
    }
    case Mode::Ngr: {
      if (!inverse) {
        if (!readLatLon(w, lat, lon, why)) return false;
        NgrReference ref;
        if (!NgrFromNationalGrid(NationalGridFromLatLon(lat, lon, a, b), ref)) {
          why = QStringLiteral("the position lies outside the National Grid");
          return false;
        }
        out = NgrText(ref);
        return true;
      }
      NgrReference ref;
      NationalGridEN en;
      if (!ParseNgrText(QString::fromStdString(line), ref) || !NationalGridFromNgr(ref, en)) {
        why = QStringLiteral("expected a grid reference such as \"SU 12345 67890\"");
        return false;
      }
      out = latLonText(LatLonFromNationalGrid(en.easting, en.northing, a, b));
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    usage();
    return 2;
  }
  Mode mode;
  if (std::strcmp(argv[1], "utm") == 0) mode = Mode::Utm;
  else if (std::strcmp(argv[1], "rd") == 0) mode = Mode::Rd;
  else if (std::strcmp(argv[1], "ngr") == 0) mode = Mode::Ngr;
  else {
    usage();
    return 2;
  }
  bool inverse = false;
  double a = kWgs84MajorAxis, b = 6356752.314245;
  for (int i = 2; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (arg == QLatin1String("--inverse") || arg == QLatin1String("-r")) {
      inverse = true;
    } else if ((arg == QLatin1String("--a") || arg == QLatin1String("--b")) && i + 1 < argc) {
      double v = 0;
      if (!number(QString::fromLocal8Bit(argv[++i]), v) || v <= 0) {
        std::fprintf(stderr, "tavrik-grid: %s needs a positive number of metres\n", qPrintable(arg));
        return 2;
      }
      (arg == QLatin1String("--a") ? a : b) = v;
    } else {
      std::fprintf(stderr, "tavrik-grid: unknown option %s\n", argv[i]);
      usage();
      return 2;
    }
  }
  if (b > a) {
    std::fputs("tavrik-grid: the minor axis (--b) must not exceed the major axis (--a)\n", stderr);
    return 2;
  }

  std::ios::sync_with_stdio(false);
  std::string line;
  long lineNumber = 0;
  int status = 0;
  while (std::getline(std::cin, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;  // blank lines are skipped
    QString out, why;
    if (convert(mode, inverse, a, b, line, out, why)) {
      std::cout << out.toStdString() << '\n';
    } else {
      std::cout.flush();
      std::fprintf(stderr, "tavrik-grid: line %ld: %s: %s\n", lineNumber, why.toLocal8Bit().constData(),
                   line.c_str());
      status = 1;
    }
  }
  std::cout.flush();
  return status;
}
