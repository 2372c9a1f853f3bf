#pragma once
// The receiver's end of a pseudo-terminal pair: the emulator reads and writes the
// master side, the host (our serial link, or GPSBabel) opens `name`, the slave.

#include <QSocketNotifier>
#include <QString>
#include <fcntl.h>
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyPort {
 public:
  std::function<void(const QByteArray&)> onBytes;
  QString name;

  PtyPort() {
    char buf[128];
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, buf, &raw, nullptr) != 0) return;
    name = QString::fromLatin1(buf);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
      char data[4096];
      const ssize_t n = ::read(m_master, data, sizeof data);
      if (n > 0 && onBytes) onBytes(QByteArray(data, static_cast<qsizetype>(n)));
    });
  }
  ~PtyPort() {
    m_notifier.reset();
    if (m_master >= 0) ::close(m_master);
    if (m_slave >= 0) ::close(m_slave);
  }
  void write(const QByteArray& b) const {
    for (qsizetype done = 0; done < b.size();) {
      const ssize_t n = ::write(m_master, b.constData() + done, static_cast<size_t>(b.size() - done));
      if (n <= 0) return;
      done += n;
    }
  }

 private:
  int m_master = -1, m_slave = -1;
  std::unique_ptr<QSocketNotifier> m_notifier;
};
