// Receiver downloads without a baud limit: our processing time for 1000 waypoints and
// a 10000-point track (link, decoding and storing into a database file; the emulator
// on the other end runs in the same process and is counted too), the bytes on the
// wire per record beside GPSBabel's for the same waypoints over a pseudo-terminal, and
// what 9600 baud makes of it.

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "transfer/garmin_emulator.h"
#include "transfer/pty_port.h"
#include "transfer/transfer_rig.h"

using namespace tavrik;
using namespace tavrik::test;

namespace {

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

garmin::WaypointRecord waypoint(int i) {
  garmin::WaypointRecord w;
  w.ident = QStringLiteral("WP%1").arg(i, 4, 10, QLatin1Char('0'));
  w.comment = QStringLiteral("BENCH WAYPOINT %1").arg(i);
  w.latitude = 50 + i * 0.001;
  w.longitude = 4 + i * 0.001;
  return w;
}

struct Measured {
  double seconds = 0;
  qint64 wireBytes = 0;
  int stored = 0;
};

Measured download(Dataset what, int records) {
  TransferRig rig;
  for (int i = 0; i < records; ++i) {
    if (what == Dataset::Waypoints) rig.receiver.waypoints.push_back(waypoint(i));
    else rig.receiver.track.push_back({50 + i * 1e-4, 4.0, QDateTime(QDate(2026, 6, 1), QTime(8, 0), Qt::UTC).addSecs(i), i == 0});
  }
  qint64 bytes = 0;
  rig.receiver.write = [&](const QByteArray& b) {
    bytes += b.size();
    rig.toHost += b;
  };
  TransferStore store(rig.db, rig.datums, rig.clock, rig.target(), &rig.shown);
  store.begin();
  garmin::GarminSession session(rig.host, rig.clock, store);
  const double start = cpuSeconds();
  session.startDownload(what);
  // Count what the host writes as it goes.
  qint64 hostBytes = 0;
  for (int waited = 0; session.running() && waited < 60000;) {
    if (rig.host.pending.isEmpty() && rig.toHost.isEmpty()) {
      rig.clock.advanceMs(100);
      waited += 100;
      session.tick();
      continue;
    }
    const QByteArray out = std::exchange(rig.host.pending, {});
    hostBytes += out.size();
    rig.receiver.onBytes(out);
    session.onBytes(std::exchange(rig.toHost, {}));
  }
  Measured m;
  m.seconds = cpuSeconds() - start;
  m.wireBytes = bytes + hostBytes + rig.host.pending.size();
  m.stored = store.storedCount();
  return m;
}

// GPSBabel as the host for the same waypoints; -1 when it is not installed.
qint64 gpsbabelWireBytes(int records) {
  if (QStandardPaths::findExecutable(QStringLiteral("gpsbabel")).isEmpty()) return -1;
  QTemporaryDir dir;
  PtyPort pty;
  GarminEmulator receiver;
  for (int i = 0; i < records; ++i) receiver.waypoints.push_back(waypoint(i));
  qint64 bytes = 0;
  receiver.write = [&](const QByteArray& b) {
    bytes += b.size();
    pty.write(b);
  };
  pty.onBytes = [&](const QByteArray& b) {
    bytes += b.size();
    receiver.onBytes(b);
  };
  QProcess p;
  QObject::connect(&p, &QProcess::finished, QCoreApplication::instance(), &QCoreApplication::quit);
  p.start(QStringLiteral("gpsbabel"), {QStringLiteral("-w"), QStringLiteral("-i"), QStringLiteral("garmin"), QStringLiteral("-f"), pty.name,
                                       QStringLiteral("-o"), QStringLiteral("gpx"), QStringLiteral("-F"), dir.filePath(QStringLiteral("o.gpx"))});
  QTimer::singleShot(60000, QCoreApplication::instance(), &QCoreApplication::quit);
  QCoreApplication::exec();
  return p.exitCode() == 0 ? bytes : -1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const Measured wpts = download(Dataset::Waypoints, 1000);
  const Measured track = download(Dataset::Tracks, 10000);
  std::printf("BENCH garmin_download_1000_waypoints %.3f s\n", wpts.seconds);
  std::printf("BENCH garmin_download_10000_trackpoints %.3f s\n", track.seconds);
  const double ourPerRecord = wpts.wireBytes / 1000.0;
  std::printf("BENCH garmin_wire_bytes_per_waypoint %.1f bytes\n", ourPerRecord);
  std::printf("BENCH garmin_wire_bytes_per_trackpoint %.1f bytes\n", track.wireBytes / 10000.0);
  const qint64 peer = gpsbabelWireBytes(1000);
  if (peer > 0) {
    std::printf("BENCH gpsbabel_wire_bytes_per_waypoint %.1f bytes\n", peer / 1000.0);
    std::printf("BENCH garmin_wire_bytes_ratio_to_gpsbabel %.3f ratio\n", ourPerRecord / (peer / 1000.0));
  } else {
    std::printf("BENCH gpsbabel_wire_bytes_per_waypoint 0 bytes\n");
  }
  // 10 bits a byte at 9600 baud; each packet also waits for its ACK to turn round
  // (taken as 5 ms of receiver latency, a typical figure for hand-helds).
  const double at9600 = wpts.wireBytes * 10.0 / 9600.0 + 1002 * 0.005;
  std::printf("BENCH garmin_1000_waypoints_at_9600_baud %.1f s\n", at9600);
  return wpts.stored == 1000 && track.stored >= 10000 ? 0 : 1;
}
