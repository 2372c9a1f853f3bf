#pragma once
// NMEA messages (`gpsmess`): the last line received with every sentence header, in
// the order the headers were first seen, rebuilt by the window's own timer.

#include <QStringList>
#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QTimer;

namespace tavrik {

class App;

class NmeaMessagesWindow : public QWidget {
  Q_OBJECT
 public:
  // lastSentences: the receive path's table of the last line per header.
  NmeaMessagesWindow(App& app, std::function<QStringList()> lastSentences, QWidget* parent = nullptr);
  void refresh();
  QString text() const;

 private:
  std::function<QStringList()> m_lastSentences;
  QPlainTextEdit* m_text = nullptr;
  QTimer* m_timer = nullptr;
};

}  // namespace tavrik
