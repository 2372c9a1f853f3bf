#include "nmea/source_stream.h"

#include <QCoreApplication>
#include <QTimer>
#include <csignal>

#include "core/clock.h"
#include "nmea/network_link.h"

namespace tavrik {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;
void onSignal(int) { g_interrupted = 1; }

}  // namespace

QString readNetworkSource(const QString& name, const std::function<void(std::string_view)>& feed, int seconds) {
  const SystemClock clock;
  NetworkLink link(clock);
  link.onBytes = [&feed](const QByteArray& b) { feed(std::string_view(b.constData(), static_cast<size_t>(b.size()))); };
  QString error;
  link.onConnectionLost = [&] {
    if (!link.everReceived()) error = link.errorText().isEmpty() ? QStringLiteral("connection closed") : link.errorText();
    link.close();
    QCoreApplication::quit();
  };
  if (!link.open(name, QString(), Handshake::None)) return link.errorText();
  g_interrupted = 0;
  auto previousInt = std::signal(SIGINT, onSignal);
  auto previousTerm = std::signal(SIGTERM, onSignal);
  // The signal only sets a flag; the loop looks at it (nothing else is safe in a handler).
  QTimer watch;
  watch.setInterval(100);
  QObject::connect(&watch, &QTimer::timeout, [] {
    if (g_interrupted) QCoreApplication::quit();
  });
  watch.start();
  if (seconds > 0) QTimer::singleShot(seconds * 1000, [] { QCoreApplication::quit(); });
  QCoreApplication::exec();
  std::signal(SIGINT, previousInt);
  std::signal(SIGTERM, previousTerm);
  link.close();
  return error;
}

}  // namespace tavrik
