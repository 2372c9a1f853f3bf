// tavrik-nav: follows a go-to target or a route over NMEA 0183 from files or standard
// input and writes the sentences an autopilot steers by, one per line.

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "nav/route_follower.h"
#include "nmea/network_link.h"
#include "nmea/source_stream.h"

namespace {

const char* kUsage =
    "Usage: tavrik-nav [--goto LAT LON | --route FILE] [options] [FILE|SOURCE...|-]\n"
    "Reads NMEA 0183 from the files (or standard input for '-' or no file), runs one\n"
    "go-to tick after every accepted position fix (the tick's clock is the fix's\n"
    "time) and writes the output sentences of that tick, one per line with checksum\n"
    "and CR LF, so that a receiver can be piped through it into an autopilot:\n"
    "  socat /dev/ttyUSB0,raw,b4800 - | tavrik-nav --route leg.txt | socat - /dev/ttyUSB1,raw,b4800\n"
    "\n"
    "Target (one of them is needed):\n"
    "  --goto LAT LON        a single target in decimal degrees (north, east positive)\n"
    "  --route FILE          route points, one \"lat lon [name]\" line each\n"
    "Options:\n"
    "  --units Nm|M|Km       unit of the cross-track fields of XTE, APA, APB (default Nm)\n"
    "  --talker XX           talker of the autopilot sentences (default GP; RMB is GP)\n"
    "  --sentences LIST      which of RMB,XTE,AAM,BWC,APA,BOD,VTG,APB to write\n"
    "                        (default RMB,XTE,APB); each tick writes them in that\n"
    "                        order, whatever the order of LIST\n"
    "  --alarm-distance NM   arrival radius in nautical miles (default 0.001)\n"
    "  --turn-distance NM    distance of the automatic turn (default 0.001)\n"
    "  --automatic           turn to the next route point on reaching it\n"
    "  --seconds N           stop reading a network source (tcp://HOST:PORT,\n"
    "                        udp://:PORT, gpsd://HOST[:PORT]) after N seconds\n"
    "  --help                show this text\n";

int fail(const QString& message) {
  std::fprintf(stderr, "tavrik-nav: %s\n", qPrintable(message));
  return 1;
}

bool readStream(std::FILE* in, tavrik::RouteFollower& follower) {
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) follower.feed(std::string_view(buf, n));
  return !std::ferror(in);
}

bool number(const char* text, double& value, double low, double high) {
  bool ok = false;
  value = QString::fromLocal8Bit(text).toDouble(&ok);
  return ok && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  tavrik::RouteFollowerOptions options;
  int seconds = 0;
  QStringList files;
  bool haveRoute = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto needs = [&](int count) { return i + count < argc; };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--goto") {
      double lat = 0, lon = 0;
      if (!needs(2) || !number(argv[i + 1], lat, -90, 90) || !number(argv[i + 2], lon, -180, 180))
        return fail(QStringLiteral("--goto needs a latitude (-90..90) and a longitude (-180..180) in decimal degrees"));
      options.gotoTarget = std::make_pair(lat, lon);
      i += 2;
    } else if (a == "--route") {
      if (!needs(1)) return fail(QStringLiteral("--route needs a file"));
      const QString path = QString::fromLocal8Bit(argv[++i]);
      QFile f(path);
      if (!f.open(QIODevice::ReadOnly)) return fail(QStringLiteral("cannot open %1: %2").arg(path, f.errorString()));
      QString error;
      if (!tavrik::readRouteText(QString::fromUtf8(f.readAll()), options.route, error))
        return fail(path + QStringLiteral(": ") + error);
      haveRoute = true;
    } else if (a == "--units") {
      const QString u = needs(1) ? QString::fromLocal8Bit(argv[++i]) : QString();
      if (u != QLatin1String("Nm") && u != QLatin1String("M") && u != QLatin1String("Km"))
        return fail(QStringLiteral("--units needs Nm, M or Km"));
      options.units = u;
    } else if (a == "--talker") {
      const QString t = needs(1) ? QString::fromLocal8Bit(argv[++i]) : QString();
      if (t.size() != 2 || !t[0].isLetterOrNumber() || !t[1].isLetterOrNumber() || t.toUpper() != t)
        return fail(QStringLiteral("--talker needs two upper-case letters, such as GP or II"));
      options.talker = t;
    } else if (a == "--sentences") {
      QString error;
      if (!needs(1)) return fail(QStringLiteral("--sentences needs a list such as RMB,APB"));
      if (!tavrik::parseSentenceList(QString::fromLocal8Bit(argv[++i]), options.sentences, error)) return fail(error);
    } else if (a == "--alarm-distance" || a == "--turn-distance") {
      double v = 0;
      if (!needs(1) || !number(argv[i + 1], v, 0, 10800))
        return fail(QString::fromStdString(a) + QStringLiteral(" needs a distance in nautical miles"));
      (a == "--alarm-distance" ? options.alarmDistanceNm : options.turnDistanceNm) = v;
      ++i;
    } else if (a == "--seconds") {
      bool ok = false;
      seconds = needs(1) ? QString::fromLocal8Bit(argv[++i]).toInt(&ok) : 0;
      if (!ok || seconds < 1) return fail(QStringLiteral("--seconds needs a whole number of seconds"));
    } else if (a == "--automatic") {
      options.automatic = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      std::fprintf(stderr, "tavrik-nav: unknown option %s\n%s", a.c_str(), kUsage);
      return 1;
    } else {
      files << QString::fromLocal8Bit(argv[i]);
    }
  }
  if (options.gotoTarget && haveRoute) return fail(QStringLiteral("--goto and --route exclude each other"));
  if (!options.gotoTarget && !haveRoute) {
    std::fprintf(stderr, "tavrik-nav: a target is needed: --goto LAT LON or --route FILE\n%s", kUsage);
    return 1;
  }
  if (files.isEmpty()) files << QStringLiteral("-");

  tavrik::RouteFollower follower(options, [](std::string_view s) { std::fwrite(s.data(), 1, s.size(), stdout); });
  int status = 0;
  for (const QString& f : files) {
    if (f == QLatin1String("-")) {
      if (!readStream(stdin, follower)) status = fail(QStringLiteral("error reading standard input: %1").arg(std::strerror(errno)));
      continue;
    }
    if (tavrik::isNetworkSource(f)) {
      const QString error = tavrik::readNetworkSource(
          f, [&follower](std::string_view bytes) { follower.feed(bytes); }, seconds);
      if (!error.isEmpty()) status = fail(f + QStringLiteral(": ") + error);
      continue;
    }
    const QByteArray path = f.toLocal8Bit();
    std::FILE* in = std::fopen(path.constData(), "rb");
    if (!in) {
      status = fail(QStringLiteral("cannot open %1: %2").arg(f, QString::fromLocal8Bit(std::strerror(errno))));
      continue;
    }
    if (!readStream(in, follower)) status = fail(QStringLiteral("error reading %1: %2").arg(f, QString::fromLocal8Bit(std::strerror(errno))));
    std::fclose(in);
  }
  follower.finish();
  std::fflush(stdout);
  return status;
}
