// tavrik-gps: waypoints, proximity waypoints, routes and tracks between the database
// and a hand-held receiver, in the manner of GPSBabel.
//   tavrik-gps --home DIR --port DEVICE garmin|magellan download waypoints|proximity|routes|tracks
//              [--datum NAME] [--group NAME] [--type NAME] [--one-track]
//   tavrik-gps --home DIR --port DEVICE garmin|magellan upload waypoints|proximity|routes
//              [--group NAME]... [--type NAME]... [--route NAME]... [--numbering] [--custom TEXT]
// A download prints one JSON line per stored record, an upload one per record sent.
// Messages go to stderr; exit status 0 when the transfer completed, 1 when it failed,
// 2 on bad usage.

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "core/app_paths.h"
#include "core/clock.h"
#include "nmea/qserial_link.h"
#include "store/db_datum_lookup.h"
#include "store/main_database.h"
#include "transfer/receiver_transfer.h"
#include "transfer/transfer_store.h"
#include "transfer/transfer_upload.h"

using namespace tavrik;

namespace {

const char* const kUsage =
    "usage: tavrik-gps --home DIR --port DEVICE garmin|magellan download waypoints|proximity|routes|tracks\n"
    "                  [--datum NAME] [--group NAME] [--type NAME] [--one-track]\n"
    "       tavrik-gps --home DIR --port DEVICE garmin|magellan upload waypoints|proximity|routes\n"
    "                  [--group NAME]... [--type NAME]... [--route NAME]... [--numbering] [--custom TEXT]\n"
    "\n"
    "Moves waypoints, proximity waypoints, routes and tracks between the database in DIR\n"
    "(gps.db) and a hand-held receiver on DEVICE (Garmin: 9600 baud; Magellan: 4800 baud).\n"
    "A download stores into the database and prints one JSON line per stored record:\n"
    "positions are converted into --datum (default WGS-84), waypoints get --group and\n"
    "--type (default the first of each); --one-track joins the track segments. An upload\n"
    "sends the waypoints of the given groups and types (default all), or the routes named,\n"
    "and prints one JSON line per record sent; --numbering ends each ident with a running\n"
    "number, --custom gives every waypoint that ident.\n"
    "Exit status: 0 when the transfer completed, 1 when it failed, 2 on bad usage.\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int failWith(const QString& text) {
  std::fprintf(stderr, "tavrik-gps: %s\n", qPrintable(text));
  return 1;
}

void printJson(const QJsonObject& o) {
  std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Progress and labels on stderr when it is a terminal; the end result either way.
struct ConsoleReports final : TransferSink {
  bool terminal = isatty(2) != 0;
  int expected = 0, shown = 0;
  bool done = false;
  QString failure, status;
  void setStatus(const QString& s) override { status = s; }
  void appendStatus(const QString& s) override { status += s; }
  void recordsExpected(int n) override { expected = n; }
  void recordShown(const QString& s) override {
    ++shown;
    if (terminal) std::fprintf(stderr, "\r%d/%d %s\033[K", shown, expected, qPrintable(s));
  }
  void recordRejected(const QString& s) override { std::fprintf(stderr, "%stavrik-gps: %s\n", terminal ? "\n" : "", qPrintable(s)); }
  void completed() override { done = true; }
  void failed(const QString& m) override { failure = m; }
};

int keyOf(Database& db, const QString& table, const QString& keyField, const QString& name, QString* error) {
  const QVariant v = db.scalar(QStringLiteral("SELECT [%1] FROM [%2] WHERE description = ?").arg(keyField, table), {name});
  if (!v.isValid()) *error = QStringLiteral("no %1 named \"%2\"").arg(table, name);
  return v.toInt();
}

std::vector<int> keysOf(Database& db, const QString& table, const QString& keyField, const QStringList& names, QString* error) {
  std::vector<int> keys;
  if (names.isEmpty()) {
    for (const QVariantList& row : db.rows(QStringLiteral("SELECT [%1] FROM [%2]").arg(keyField, table))) keys.push_back(row[0].toInt());
    return keys;
  }
  for (const QString& n : names) keys.push_back(keyOf(db, table, keyField, n, error));
  return keys;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  QString home, port, datum = QStringLiteral("WGS-84"), custom;
  QStringList groups, types, routes, words;
  bool oneTrack = false, numbering = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString a = args[i];
    auto value = [&](QString& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    QString v;
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == QLatin1String("--home")) {
      if (!value(home)) return usage();
    } else if (a == QLatin1String("--port")) {
      if (!value(port)) return usage();
    } else if (a == QLatin1String("--datum")) {
      if (!value(datum)) return usage();
    } else if (a == QLatin1String("--custom")) {
      if (!value(custom)) return usage();
    } else if (a == QLatin1String("--group") || a == QLatin1String("--type") || a == QLatin1String("--route")) {
      if (!value(v)) return usage();
      (a == QLatin1String("--group") ? groups : a == QLatin1String("--type") ? types : routes) << v;
    } else if (a == QLatin1String("--one-track")) {
      oneTrack = true;
    } else if (a == QLatin1String("--numbering")) {
      numbering = true;
    } else if (a.startsWith(QLatin1String("--"))) {
      return usage();
    } else {
      words << a;
    }
  }
  static const QStringList kDatasets{QStringLiteral("waypoints"), QStringLiteral("proximity"), QStringLiteral("routes"),
                                     QStringLiteral("tracks")};
  if (port.isEmpty() || words.size() != 3 || !QStringList{"garmin", "magellan"}.contains(words[0]) ||
      !QStringList{"download", "upload"}.contains(words[1]) || !kDatasets.contains(words[2]))
    return usage();
  const ReceiverKind kind = words[0] == QLatin1String("garmin") ? ReceiverKind::Garmin : ReceiverKind::Magellan;
  const bool upload = words[1] == QLatin1String("upload");
  const auto what = static_cast<Dataset>(kDatasets.indexOf(words[2]));
  if (upload && what == Dataset::Tracks) return usage();

  const AppPaths paths = AppPaths::resolve(home);
  if (!paths.ensureExists()) return failWith(QStringLiteral("cannot make the folder %1").arg(paths.programFolder()));
  SystemClock clock;
  Database db;
  const StoreResult opened = openMainDatabase(db, paths.file(QStringLiteral("gps.db")), clock.now(), true);
  if (!opened.ok()) return failWith(opened.detail.isEmpty() ? QStringLiteral("cannot open the database") : opened.detail);
  DatabaseDatumLookup datums(db);

  QString error;
  ConsoleReports reports;
  std::unique_ptr<TransferStore> store;
  UploadPlan plan;
  if (!upload) {
    DownloadTarget target;
    target.kind = kind;
    target.oneTrack = oneTrack;
    target.datum = keyOf(db, QStringLiteral("Datums"), QStringLiteral("datum"), datum, &error);
    const bool routeDefaults = what == Dataset::Routes;
    auto pick = [&](const QString& table, const QString& key, const QString& given, const QString& preferred) {
      if (!given.isEmpty()) return keyOf(db, table, key, given, &error);
      const QVariant p = db.scalar(QStringLiteral("SELECT [%1] FROM [%2] WHERE description = ?").arg(key, table), {preferred});
      return p.isValid() ? p.toInt() : db.scalar(QStringLiteral("SELECT MIN([%1]) FROM [%2]").arg(key, table)).toInt();
    };
    target.group = pick(QStringLiteral("Waypoint groups"), QStringLiteral("Group"), groups.value(0),
                        routeDefaults ? QStringLiteral("Route points") : QString());
    target.type = pick(QStringLiteral("Waypoint types"), QStringLiteral("Type"), types.value(0),
                       routeDefaults ? QStringLiteral("Route point") : QString());
    if (!error.isEmpty()) return failWith(error);
    store = std::make_unique<TransferStore>(db, datums, clock, target, &reports);
    store->onStored = [](const StoredRecord& r) {
      static const char* const kKinds[] = {"waypoint", "route", "routepoint", "track", "trackpoint"};
      QJsonObject o{{"kind", kKinds[static_cast<int>(r.kind)]}, {"key", r.key}};
      if (!r.description.isEmpty()) o.insert("description", r.description);
      if (r.kind == StoredRecord::Kind::Waypoint || r.kind == StoredRecord::Kind::TrackPoint) {
        o.insert("lat", r.latitude);
        o.insert("lon", r.longitude);
      }
      if (r.proximityNm > 0) o.insert("proximity_nm", r.proximityNm);
      if (r.time.isValid()) o.insert("time", r.time.toUTC().toString(Qt::ISODate));
      printJson(o);
    };
    if (!store->begin()) return failWith(store->error());
  } else {
    UploadOptions options;
    options.customDescription = custom;
    options.numbering = numbering;
    if (what == Dataset::Routes) {
      if (routes.isEmpty()) return failWith(QStringLiteral("name the routes to send with --route"));
      const std::vector<int> keys = keysOf(db, QStringLiteral("Routes"), QStringLiteral("route"), routes, &error);
      if (!error.isEmpty()) return failWith(error);
      plan = routeUpload(db, datums, keys, options);
    } else {
      const auto g = keysOf(db, QStringLiteral("Waypoint groups"), QStringLiteral("Group"), groups, &error);
      const auto t = keysOf(db, QStringLiteral("Waypoint types"), QStringLiteral("Type"), types, &error);
      if (!error.isEmpty()) return failWith(error);
      plan = waypointUpload(db, datums, g, t, what == Dataset::Proximity, options);
    }
    if (!plan.error.isEmpty()) return failWith(plan.error);
    if (plan.items.empty()) return failWith(QStringLiteral("nothing to send"));
  }

  QSerialLink link;
  const QString settings = receiverSerialSettings(kind);
  if (!link.open(port, settings, Handshake::None)) return failWith(port + QStringLiteral(": ") + link.errorText());
  TransferSink& sink = store ? static_cast<TransferSink&>(*store) : reports;
  std::unique_ptr<ReceiverTransfer> transfer = makeReceiverTransfer(kind, link, clock, sink);
  link.onBytes = [&](const QByteArray& b) { transfer->onBytes(b); };
  link.onError = [&](const QString& e) { transfer->portFailed(port + QStringLiteral(": ") + e); };
  if (upload) {
    transfer->onSent = [&](int index) { printJson(QJsonObject{{"sent", plan.labels.value(index)}}); };
    transfer->startUpload(what, plan.items);
  } else {
    transfer->startDownload(what);
  }
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    transfer->tick();
    if (!transfer->running()) app.quit();
  });
  timer.start(50);
  if (transfer->running()) app.exec();
  link.close();
  if (reports.terminal && reports.shown > 0) std::fputc('\n', stderr);
  if (!reports.done) return failWith(reports.failure.isEmpty() ? QStringLiteral("the transfer did not complete") : reports.failure);
  std::fprintf(stderr, "tavrik-gps: %s\n", qPrintable(reports.status.simplified()));
  return 0;
}
