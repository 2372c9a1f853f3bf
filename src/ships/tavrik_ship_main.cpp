// tavrik-ship: calls a ship by modem for its position, as the call window does.
//   tavrik-ship --home DIR call NAME [--port DEVICE]
// The modem settings come from GPS.ini ("Ships"); --port names another device. The
// ship's telephone number comes from table Ships. The reply is stored in the ship's
// row and printed as one JSON line. Exit status 0 when the ship answered, 1 when the
// call failed (the message on stderr), 2 on bad usage.

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <cstdio>

#include "core/app_paths.h"
#include "core/app_settings.h"
#include "core/clock.h"
#include "core/messages.h"
#include "core/settings_store.h"
#include "nmea/qserial_link.h"
#include "ships/ship_exchange.h"
#include "store/main_database.h"

using namespace tavrik;

namespace {

const char* const kUsage =
    "usage: tavrik-ship --home DIR call NAME [--port DEVICE]\n"
    "\n"
    "Calls the ship NAME of the database in DIR (gps.db) by modem, with the modem\n"
    "settings of DIR's GPS.ini (section Ships) or the device given with --port, and\n"
    "stores its reply (position, course, speed, wind) in the ship's row. Prints the\n"
    "stored values as one JSON line.\n"
    "Exit status: 0 when the ship answered, 1 when the call failed, 2 on bad usage.\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int failWith(const QString& text) {
  std::fprintf(stderr, "tavrik-ship: %s\n", qPrintable(text));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  QString home, port;
  QStringList words;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == QLatin1String("--home") || a == QLatin1String("--port")) {
      if (i + 1 >= args.size()) return usage();
      (a == QLatin1String("--home") ? home : port) = args[++i];
    } else if (a.startsWith(QLatin1String("--"))) {
      return usage();
    } else {
      words << a;
    }
  }
  if (home.isEmpty() || words.size() != 2 || words[0] != QLatin1String("call")) return usage();
  const QString shipName = words[1];

  const AppPaths paths = AppPaths::resolve(home);
  SettingsStore ini(paths.settingsFile());
  AppSettings settings;
  settings.load(ini, paths);
  if (!port.isEmpty()) settings.ShipsPort.Port = port;
  // The command line calls out; it never answers for this boat.
  settings.ShipsCommunication = QStringLiteral("0");

  SystemClock clock;
  Database db;
  const StoreResult opened = openMainDatabase(db, paths.file(QStringLiteral("gps.db")), clock.now(), false);
  if (!opened.ok()) return failWith(opened.detail.isEmpty() ? MessageText(Msg::DatabaseNotFound) : opened.detail);
  const QVariant telephone = db.scalar(QStringLiteral("SELECT telephone FROM Ships WHERE Name = ?"), {shipName});
  if (!telephone.isValid()) return failWith(QStringLiteral("no ship named \"%1\"").arg(shipName));

  NavigationState nav;
  RequestFlags requests;
  ShipExchange exchange(nav, settings, requests, clock, db, qserialLinkFactory());
  int status = 1;
  // Progress on stderr for a person watching; the result on stdout.
  exchange.call.onStatusChanged = [&] {
    if (exchange.call.running()) std::fprintf(stderr, "%s\n", qPrintable(exchange.call.statusText()));
  };
  QTimer ticker;
  exchange.onCallFinished = [&] {
    const ShipCall& call = exchange.call;
    if (call.state() == ShipCall::State::Done && exchange.lastStore.ok()) {
      const ShipPositionReply& r = call.reply();
      const QJsonObject o{{"Name", shipName},
                          {"latitude", r.latitude},
                          {"longitude", r.longitude},
                          {"course", r.course},
                          {"speed", r.speed},
                          {"wind direction", r.windDirection},
                          {"wind speed", r.windSpeed},
                          {"Last updated", clock.now().toString(Qt::ISODate)}};
      std::fputs(QJsonDocument(o).toJson(QJsonDocument::Compact).constData(), stdout);
      std::fputc('\n', stdout);
      std::fflush(stdout);
      status = 0;
    } else if (call.state() == ShipCall::State::Done) {
      failWith(exchange.lastStore.detail);
    } else {
      QString text = MessageText(call.failureMessage());
      if (call.failureMessage() == Msg::NoModemFound && !exchange.modem.errorText().isEmpty())
        text += QStringLiteral(" (%1: %2)").arg(settings.ShipsPort.Port, exchange.modem.errorText());
      failWith(text);
    }
  };
  // A quarter-second tick: the call's own second is kept by the clock.
  bool lastWordSent = false;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    // One more tick after the call and its hang-up, so that the port has written them.
    if (lastWordSent) app.exit(status);
    exchange.call.tick();
    lastWordSent = !exchange.call.running() && !exchange.call.hangingUp();
  });
  exchange.startCall(shipName, telephone.toString());
  if (!exchange.call.running()) return status;
  ticker.start(250);
  return app.exec();
}
