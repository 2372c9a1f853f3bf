#include "nmea/ui/communication_menu.h"

#include <QAction>
#include <QMenu>

#include "app/app.h"
#include "core/ui/main_window.h"
#include "nmea/ui/comm_setup_window.h"
#include "nmea/ui/gps_status_window.h"
#include "nmea/ui/nmea_setup_window.h"
#include "nmea/ui/nmea_status_window.h"

namespace tavrik {

void registerNmeaWindows(App& app) {
  app.windows.add(QStringLiteral("gpscomm"), [](App& a) { return new CommSetupWindow(a); });
  app.windows.add(QStringLiteral("gpscnmea"), [](App& a) { return new NmeaSetupWindow(a); });
  app.windows.add(QStringLiteral("gpsnmea"), [](App& a) { return new NmeaStatusWindow(a); });
  app.windows.add(QStringLiteral("gpsstatus"), [](App& a) { return new GpsStatusWindow(a); });
}

CommunicationMenu::CommunicationMenu(App& app, MainWindow& window) : QObject(&window), m_app(app), m_window(window) {
  setObjectName(QStringLiteral("communication"));
  m_menu = window.ensureMenu(QStringLiteral("m_comm"), QStringLiteral("&Communication"));
  QAction* status = add(m_menu, "c_nmeastatus", "Show &NMEA status...");
  connect(status, &QAction::triggered, this, [this, status] { openExclusive(status, QStringLiteral("gpsnmea")); });
  QAction* gps = add(m_menu, "c_gpsstatus", "&GPS status...");
  connect(gps, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpsstatus")); });

  QMenu* setup = window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup"));
  QAction* comm = add(setup, "s_comm", "&Communication...");
  connect(comm, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpscomm")); });
  QAction* nmea = add(setup, "s_nmea", "&NMEA...");
  connect(nmea, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpscnmea")); });
}

QAction* CommunicationMenu::add(QMenu* menu, const char* objectName, const char* text) {
  QAction* a = menu->addAction(QString::fromUtf8(text));
  a->setObjectName(QLatin1String(objectName));
  return a;
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
