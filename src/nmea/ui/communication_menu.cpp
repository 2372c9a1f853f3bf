#include "nmea/ui/communication_menu.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include "app/app.h"
#include "core/ui/main_window.h"
#include "nmea/ui/comm_setup_window.h"
#include "nmea/ui/gps_status_window.h"
#include "nmea/ui/nmea_messages_window.h"
#include "nmea/ui/nmea_setup_window.h"
#include "nmea/ui/nmea_status_window.h"

namespace tavrik {

void registerNmeaWindows(App& app) {
  app.windows.add(QStringLiteral("gpscomm"), [](App& a) {
    auto* w = new CommSetupWindow(a);
    w->onStored = [&a] { a.receiver.applySettings(); };
    return w;
  });
  app.windows.add(QStringLiteral("gpscnmea"), [](App& a) {
    auto* w = new NmeaSetupWindow(a);
    w->onStored = [&a] { a.receiver.applySettings(); };
    return w;
  });
  app.windows.add(QStringLiteral("gpsnmea"), [](App& a) { return new NmeaStatusWindow(a); });
  app.windows.add(QStringLiteral("gpsmess"), [](App& a) {
    return new NmeaMessagesWindow(a, [&a] { return a.receiver.LastSentences(); });
  });
  app.windows.add(QStringLiteral("gpsstatus"), [](App& a) { return new GpsStatusWindow(a); });
}

CommunicationMenu::CommunicationMenu(App& app, MainWindow& window) : QObject(&window), m_app(app), m_window(window) {
  setObjectName(QStringLiteral("communication"));
  m_menu = window.ensureMenu(QStringLiteral("m_comm"), QStringLiteral("&Communication"));
  QAction* start = add(m_menu, "c_start", "S&tart communication");
  connect(start, &QAction::triggered, this, [this] { startCommunication(); });
  QAction* stop = add(m_menu, "c_stop", "Sto&p communication");
  connect(stop, &QAction::triggered, this, [this] { stopCommunication(); });
  m_menu->addSeparator();
  QAction* status = add(m_menu, "c_nmeastatus", "Show &NMEA status...");
  connect(status, &QAction::triggered, this, [this, status] { openExclusive(status, QStringLiteral("gpsnmea")); });
  QAction* messages = add(m_menu, "c_messages", "NMEA &messages...");
  connect(messages, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpsmess")); });
  QAction* gps = add(m_menu, "c_gpsstatus", "&GPS status...");
  connect(gps, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpsstatus")); });

  QMenu* setup = window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup"));
  QAction* comm = add(setup, "s_comm", "&Communication...");
  connect(comm, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpscomm")); });
  QAction* nmea = add(setup, "s_nmea", "&NMEA...");
  connect(nmea, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpscnmea")); });

  // The receive cycle runs on the main window's rectimer while a session runs.
  QTimer* rectimer = window.timer(QStringLiteral("rectimer"));
  connect(rectimer, &QTimer::timeout, this, [this] { m_app.receiver.tick(); });
  m_app.receiver.onRunningChanged = [this, rectimer](bool running) {
    if (running) rectimer->start();
    else rectimer->stop();
    updateActions();
  };
  m_app.startCommunication = [this] { startCommunication(); };
  window.addCommand(
      QStringLiteral("communication"),
      [this] {
        if (m_app.receiver.isRunning()) stopCommunication();
        else startCommunication();
      },
      [this] { return m_app.receiver.isRunning(); });
  updateActions();
}

QAction* CommunicationMenu::add(QMenu* menu, const char* objectName, const char* text) {
  QAction* a = menu->addAction(QString::fromUtf8(text));
  a->setObjectName(QLatin1String(objectName));
  return a;
}

QAction* CommunicationMenu::action(const char* objectName) const {
  return m_window.findChild<QAction*>(QLatin1String(objectName));
}

void CommunicationMenu::startCommunication() {
  m_app.receiver.StartCommunication();
  updateActions();
}

void CommunicationMenu::stopCommunication() {
  m_app.receiver.StopCommunication();
  updateActions();
}

void CommunicationMenu::updateActions() {
  const bool running = m_app.receiver.isRunning();
  if (QAction* a = action("c_start")) a->setEnabled(!running);
  if (QAction* a = action("c_stop")) a->setEnabled(running);
  m_window.refreshToolbarState();
}

QWidget* CommunicationMenu::openExclusive(QAction* action, const QString& objectName) {
  QWidget* w = m_window.openWindow(objectName);
  if (!w) return nullptr;
  action->setEnabled(false);
  QPointer<QAction> guard(action);
  connect(w, &QObject::destroyed, this, [guard] {
    if (guard) guard->setEnabled(true);
  });
  return w;
}

}  // namespace tavrik
