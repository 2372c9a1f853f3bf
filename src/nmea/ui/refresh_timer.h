#pragma once
// The status windows read the navigation state again once a second.

#include <QTimer>

namespace tavrik {

// Starts the window's timer "Timer1", which calls `refresh` every second, and calls
// it once at once.
template <typename Window>
QTimer* startRefreshTimer(Window* window) {
  auto* timer = new QTimer(window);
  timer->setObjectName(QStringLiteral("Timer1"));
  timer->setInterval(1000);
  QObject::connect(timer, &QTimer::timeout, window, [window] { window->refresh(); });
  timer->start();
  window->refresh();
  return timer;
}

}  // namespace tavrik
