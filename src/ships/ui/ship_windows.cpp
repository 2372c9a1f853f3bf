#include "ships/ui/ship_windows.h"

#include <QAction>
#include <QMenu>

#include "app/app.h"
#include "core/ui/main_window.h"
#include "ships/ui/modem_setup_window.h"
#include "ships/ui/radar_window.h"
#include "ships/ui/ship_call_window.h"
#include "ships/ui/ship_list_windows.h"
#include "ships/ui/ships_list_window.h"

namespace tavrik {

void registerShipWindows(App& app) {
  app.windows.add(QStringLiteral("gpscship"), [](App& a) {
    return new NamedRowChooserWindow(a, shipRows(), QStringLiteral("gpscship"), QStringLiteral("Call ships"),
                                     QStringLiteral("C&all"), [](App& app, const QStringList& ship) {
                                       auto* call = qobject_cast<ShipCallWindow*>(
                                           app.windows.open ? app.windows.open(QStringLiteral("gpscall")) : nullptr);
                                       if (call) call->call(ship.value(0), ship.value(1));
                                     });
  });
  app.windows.add(QStringLiteral("gpscall"), [](App& a) { return new ShipCallWindow(a); });
  app.windows.add(QStringLiteral("gpsgsm"), [](App& a) { return new ModemSetupWindow(a); });
  app.windows.add(QStringLiteral("gpsradar"), [](App& a) { return new RadarWindow(a); });
  app.windows.add(QStringLiteral("gpssshow"), [](App& a) { return new ShipsListWindow(a); });
  for (const NamedRowKind* kind : {&shipRows(), &telephoneRows()}) {
    app.windows.add(kind->listName, [kind](App& a) { return new NamedRowListWindow(a, *kind); });
    app.windows.add(kind->editorName, [kind](App& a) { return new NamedRowEditWindow(a, *kind); });
  }
  // "St&art telephone...": the entry picked is dialled.
  app.windows.add(QStringLiteral("gpsseltel"), [](App& a) {
    return new NamedRowChooserWindow(a, telephoneRows(), QStringLiteral("gpsseltel"), QStringLiteral("Start telephone"),
                                     QStringLiteral("OK"), [](App& app, const QStringList& entry) {
                                       app.dialUp.start({entry.value(0), entry.value(1), entry.value(2), entry.value(3)});
                                     });
  });
}

void addShipMenuEntries(MainWindow& window) {
  const auto add = [&window](QMenu* menu, const QString& text, const char* name, const char* target) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    QObject::connect(a, &QAction::triggered, &window, [&window, target] { window.openWindow(QLatin1String(target)); });
  };
  QMenu* comm = window.ensureMenu(QStringLiteral("m_comm"), QStringLiteral("&Communication"));
  comm->addSeparator();
  add(comm, QStringLiteral("Call &ships..."), "c_ships", "gpscship");
  add(comm, QStringLiteral("S&hips from current position..."), "c_sshow", "gpssshow");
  add(comm, QStringLiteral("&Radar..."), "c_radar", "gpsradar");
  add(window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup")), QStringLiteral("S&hips..."), "s_ships",
      "gpsship");
  add(window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup")), QStringLiteral("&Telephones..."),
      "s_telephones", "gpstel");
  add(window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup")), QStringLiteral("&Modem..."), "s_modem",
      "gpsgsm");
}

}  // namespace tavrik
