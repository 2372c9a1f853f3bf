// tavrik-datum: converts positions between the built-in datums with the program's own
// Molodensky conversion, one position a line from standard input to standard output.
//
//   tavrik-datum --from N --to M    "lat lon [height]"  ->  "lat lon height"
//   tavrik-datum --list             the built-in datums: number, ellipsoid, x y z, name
//
// Latitudes and longitudes are decimal degrees, north and east positive, heights metres
// (0 when not given). A line that cannot be read is reported on standard error with its
// number; the following lines go on, and the exit status is 1.

#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "geo/datum.h"
#include "geo/datum_catalogue.h"

namespace {

using namespace tavrik;

void usage() {
  std::fputs(
      "usage: tavrik-datum --from N --to M   (\"lat lon [height]\" lines on standard input)\n"
      "       tavrik-datum --list\n"
      "Converts between the built-in datums; --list shows their numbers.\n",
      stderr);
}

bool number(const QString& s, double& out) {
  bool ok = false;
  out = s.toDouble(&ok);
  return ok && std::isfinite(out);
}

bool datumArg(const char* text, int& out) {
  bool ok = false;
  out = QString::fromLocal8Bit(text).toInt(&ok);
  return ok && findBuiltinDatum(out) != nullptr;
}

void list() {
  for (const DatumRow& d : builtinDatums()) {
    const EllipsoidRow* e = findBuiltinEllipsoid(d.ellipse);
    std::printf("%3d  %-24s %9.3f %9.3f %9.3f  %s\n", d.datum, e ? e->description : "?", d.x, d.y, d.z,
                d.description);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int from = -1, to = -1;
  // Options come in pairs (--from N, --to M), so the loop steps by what it consumed.
  for (int i = 1; i < argc;) {
    if (!std::strcmp(argv[i], "--list")) {
      list();
      return 0;
    }
    const bool isFrom = !std::strcmp(argv[i], "--from"), isTo = !std::strcmp(argv[i], "--to");
    if ((!isFrom && !isTo) || i + 1 >= argc) {
      std::fprintf(stderr, "tavrik-datum: bad argument \"%s\"\n", argv[i]);
      usage();
      return 2;
    }
    if (!datumArg(argv[i + 1], isFrom ? from : to)) {
      std::fprintf(stderr, "tavrik-datum: no built-in datum \"%s\" (see --list)\n", argv[i + 1]);
      return 2;
    }
    i += 2;
  }
  if (from < 0 || to < 0) {
    usage();
    return 2;
  }
  const CatalogueDatumLookup lookup;
  int status = 0;
  long lineNo = 0;
  std::string line;
  while (std::getline(std::cin, line)) {
    ++lineNo;
    QString s = QString::fromStdString(line);
    s.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char(' '));
    const QStringList w = s.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty()) continue;
    CalcRecord r;
    double h = 0;
    if ((w.size() != 2 && w.size() != 3) || !number(w[0], r.Lat1) || !number(w[1], r.Lon1) ||
        (w.size() == 3 && !number(w[2], h)) || std::fabs(r.Lat1) > 90) {
      std::fprintf(stderr, "tavrik-datum: line %ld: expected \"latitude longitude [height]\"\n", lineNo);
      status = 1;
      continue;
    }
    r.Height1 = h;
    r.Datum1 = from;
    r.Datum2 = to;
    DatumConvert(r, lookup);
    std::printf("%.9f %.9f %.4f\n", r.Lat2, r.Lon2, r.Height2);
  }
  return status;
}
