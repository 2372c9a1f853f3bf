// The automation interface through a real session bus (a private one when none is
// set): the median round trip of a property read, with the bus daemon's own GetId as
// the peer floor; and nmea calls at 10 000 a second while the event loop keeps its
// 10 ms timer and the receive cycle runs.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <unistd.h>
#include <vector>

#include "app/app.h"
#include "bench_clock.h"
#include "automation/chart_object.h"
#include "chart_adaptor.h"

namespace {

using namespace tavrik;

struct NullHost final : AutomationHost {
  bool mainVisible() const override { return false; }
  void setMainVisible(bool) override {}
  QRect mainGeometry() const override { return {}; }
  void setMainGeometry(const QRect&) override {}
  int mainWindowState() const override { return 0; }
  void setMainWindowState(int) override {}
  bool menusVisible() const override { return true; }
  void setMenusVisible(bool) override {}
  bool statusBarVisible() const override { return true; }
  void setStatusBarVisible(bool) override {}
  bool toolBarVisible() const override { return true; }
  void setToolBarVisible(bool) override {}
  void stayOnTop() override {}
  bool toggleNightScreen() override { return false; }
  bool openWindow(const QString&) override { return false; }
  void closeWindow(const QString&) override {}
  int chartZoomPercent() const override { return 100; }
  void closeProgram() override {}
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Blocking round trips from a client thread of its own connection (ms each).
std::vector<double> roundTrips(const QDBusMessage& message, int count, const QString& connectionName) {
  std::vector<double> ms;
  QThread* thread = QThread::create([&] {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
    for (int i = 0; i < count; ++i) {
      QElapsedTimer t;
      t.start();
      const QDBusMessage reply = bus.call(message, QDBus::Block, 5000);
      ms.push_back(static_cast<double>(t.nsecsElapsed()) * 1e-6);
      if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "bench_automation: %s\n", qPrintable(reply.errorMessage()));
        break;
      }
    }
    QDBusConnection::disconnectFromBus(connectionName);
  });
  QEventLoop loop;
  QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
  thread->start();
  loop.exec();
  delete thread;
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
    // A bus of its own: run again under dbus-run-session.
    std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
    for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    execvp("dbus-run-session", args.data());
    std::perror("bench_automation: dbus-run-session");
    return 1;
  }
  QCoreApplication qapp(argc, argv);
  QTemporaryDir home;
  const AppPaths paths = AppPaths::inFolder(home.path());
  paths.ensureExists();
  SystemClock clock;
  RecordingPrompter prompter;
  RecordingSoundPlayer sound;
  App app(paths, clock, prompter, sound);
  app.loadSettings();
  NullHost host;
  ChartObject chart(app, host);
  new ChartAdaptor(&chart);
  QString why;
  if (!chart.registerOn(QDBusConnection::sessionBus(), &why)) {
    std::fprintf(stderr, "bench_automation: %s\n", qPrintable(why));
    return 1;
  }
  app.nav.Latitude = 52.5f;

  QDBusMessage get = QDBusMessage::createMethodCall(kAutomationService, kAutomationPath,
                                                    "org.freedesktop.DBus.Properties", "Get");
  get << QString(kAutomationInterface) << QStringLiteral("latitude");
  const QDBusMessage getId = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                            "org.freedesktop.DBus", "GetId");
  roundTrips(get, 200, "warm-up");
  const double ours = median(roundTrips(get, 3000, "client-get"));
  const double floor = median(roundTrips(getId, 3000, "client-getid"));
  std::printf("BENCH automation_property_read_median %.4f ms\n", ours);
  std::printf("BENCH dbus_daemon_getid_median %.4f ms\n", floor);
  std::printf("BENCH automation_property_read_vs_getid %.2f ratio\n", floor > 0 ? ours / floor : 0);

  // nmea at 10 000 calls a second for two seconds, while the receive cycle (500 ms) and a
  // 10 ms timer run on the server's event loop; the timer's worst lateness is what a
  // chart repaint would wait.
  app.receiver.beginSession();
  QTimer receive;
  QObject::connect(&receive, &QTimer::timeout, [&] { app.receiver.tick(); });
  receive.start(500);
  QElapsedTimer since;
  since.start();
  qint64 lastBeat = 0, worstLagMs = 0;
  QTimer beat;
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const qint64 now = since.elapsed();
    worstLagMs = std::max(worstLagMs, now - lastBeat - 10);
    lastBeat = now;
  });
  beat.start(10);
  std::atomic<int> answered{0}, failed{0};
  const int calls = 20000;
  QThread* client = QThread::create([&] {
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client-nmea");
    QElapsedTimer t;
    t.start();
    std::vector<QDBusPendingCall> pending;
    pending.reserve(calls);
    for (int i = 0; i < calls; ++i) {
      // Paced at 10 000 a second.
      while (t.nsecsElapsed() < qint64(i) * 100000) QThread::usleep(50);
      QDBusMessage set = QDBusMessage::createMethodCall(kAutomationService, kAutomationPath,
                                                        "org.freedesktop.DBus.Properties", "Set");
      set << QString(kAutomationInterface) << QStringLiteral("nmea")
          << QVariant::fromValue(QDBusVariant(QStringLiteral(
                 "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A")));
      pending.push_back(bus.asyncCall(set));
    }
    for (QDBusPendingCall& p : pending) {
      p.waitForFinished();
      (p.isError() ? failed : answered)++;
    }
    QDBusConnection::disconnectFromBus("client-nmea");
  });
  QEventLoop loop;
  QObject::connect(client, &QThread::finished, &loop, &QEventLoop::quit);
  const qint64 start = since.elapsed();
  lastBeat = start;
  // The machine is shared: the server thread's processor time per call says what one
  // core can take, whatever the neighbours leave of the wall clock.
  const double cpuStart = cpu_time::threadSeconds();
  client->start();
  loop.exec();
  const double serverCpu = cpu_time::threadSeconds() - cpuStart;
  const double seconds = static_cast<double>(since.elapsed() - start) / 1000;
  delete client;
  std::printf("BENCH automation_nmea_calls_answered_per_s %.0f calls/s\n", answered / seconds);
  std::printf("BENCH automation_nmea_calls_failed %d calls\n", failed.load());
  std::printf("BENCH automation_nmea_server_cpu_per_call %.1f us\n", answered ? serverCpu * 1e6 / answered : 0);
  std::printf("BENCH automation_nmea_calls_per_server_cpu_s %.0f calls/s\n", serverCpu > 0 ? answered / serverCpu : 0);
  std::printf("BENCH automation_event_loop_worst_lag %lld ms\n", static_cast<long long>(worstLagMs));
  return 0;
}
