#pragma once
// "NMEA status" (`gpsnmea`): received and discarded counts of every sentence of the
// table, refreshed by the window's own timer while it is open.

#include <QWidget>
#include <array>

#include "core/navigation_state.h"

class QLabel;
class QTimer;

namespace tavrik {

class App;

class NmeaStatusWindow : public QWidget {
  Q_OBJECT
 public:
  explicit NmeaStatusWindow(App& app, QWidget* parent = nullptr);
  void refresh();
  QLabel* receivedLabel(int sentence) const { return m_received[static_cast<size_t>(sentence)]; }
  QLabel* discardedLabel(int sentence) const { return m_discarded[static_cast<size_t>(sentence)]; }

 private:
  App& m_app;
  std::array<QLabel*, kSentenceCount> m_received{};
  std::array<QLabel*, kSentenceCount> m_discarded{};
  QTimer* m_timer = nullptr;
};

}  // namespace tavrik
