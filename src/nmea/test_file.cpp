#include "nmea/test_file.h"

#include <QFileInfo>
#include <cmath>

#include "core/messages.h"

namespace tavrik {

bool TestFileRecorder::start(const QString& path, Prompter& prompter) {
  stop();
  m_error.clear();
  if (QFileInfo::exists(path) && !prompter.question(MessageText(Msg::TestfileExistsOverwrite))) return false;
  m_file.setFileName(path);
  if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    m_error = m_file.errorString();
    return false;
  }
  m_rx.lineRecorder = [this](std::string_view line) {
    m_file.write(line.data(), static_cast<qint64>(line.size()));
    m_file.write("\r\n", 2);
  };
  return true;
}

void TestFileRecorder::stop() {
  if (!m_file.isOpen()) return;
  m_rx.lineRecorder = nullptr;
  m_file.close();
}

TestFilePlayer::~TestFilePlayer() {
  if (m_running) {
    m_running = false;
    m_file.close();
  }
}

int TestFilePlayer::intervalMs() const {
  const double perSecond = m_settings.system.testInterval;
  if (!(perSecond > 0)) return 1000;
  return std::max(1, static_cast<int>(std::lround(1000.0 / perSecond)));
}

bool TestFilePlayer::start(const QString& path) {
  if (m_running) stop();
  m_error.clear();
  m_file.setFileName(path);
  if (!m_file.open(QIODevice::ReadOnly)) {
    m_error = m_file.errorString();
    return false;
  }
  m_settings.TestDir = QFileInfo(path).absolutePath();
  m_rx.beginSession();
  if (m_rx.ForwardPort() != 0) m_rx.openForwardPort();
  m_running = true;
  return true;
}

void TestFilePlayer::tick() {
  if (!m_running) return;
  if (m_file.atEnd()) {
    m_prompter.exclamation(MessageText(Msg::EndOfTestfile));
    stop();
    return;
  }
  QByteArray line = m_file.readLine(kBufferLimit + 2);
  while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
  if (m_rx.bufferLength(0) < kBufferLimit) {
    line.append("\r\n", 2);
    m_rx.inject(0, std::string_view(line.constData(), static_cast<size_t>(line.size())));
  }
  if (m_panels.inputSource().isEmpty()) m_panels[Panel::InputSource] = QStringLiteral("Test");
}

void TestFilePlayer::stop() {
  if (!m_running) return;
  m_running = false;
  m_rx.endSession();
  m_rx.clearFixPanels();
  m_nav.SpeedOverGround = 0;
  m_nav.GpsVariation = 0;
  m_file.close();
  if (onStopped) onStopped();
}

}  // namespace tavrik
