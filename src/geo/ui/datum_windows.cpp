#include "geo/ui/datum_windows.h"

#include <QAction>
#include <QMenu>

#include "app/app.h"
#include "core/ui/main_window.h"
#include "geo/ui/datum_conversion_window.h"
#include "geo/ui/datum_edit_window.h"
#include "geo/ui/ellipsoid_edit_window.h"
#include "geo/ui/record_list_window.h"

namespace tavrik {

void registerDatumWindows(App& app) {
  WindowRegistry& windows = app.windows;
  windows.add(QStringLiteral("gpsdatum"), [](App& app) -> QWidget* {
    return new RecordListWindow(
        app, {QObject::tr("Datums"),
              QStringLiteral("SELECT * FROM Datums WHERE DATUM > 0 ORDER BY description"),
              QStringLiteral("Datums"), QStringLiteral("datum"), QStringLiteral("gpsedatum"),
              &ellipsoidsEntered});
  });
  windows.add(QStringLiteral("gpsdconv"), [](App& app) -> QWidget* { return new DatumConversionWindow(app); });
  windows.add(QStringLiteral("gpsedatum"), [](App& app) -> QWidget* { return new DatumEditWindow(app); });
  windows.add(QStringLiteral("gpselips"), [](App& app) -> QWidget* {
    return new RecordListWindow(
        app, {QObject::tr("Ellipsoids"),
              QStringLiteral("SELECT * FROM Ellipsoids WHERE Ellipse > 0 ORDER BY description"),
              QStringLiteral("Ellipsoids"), QStringLiteral("ellipse"), QStringLiteral("gpseelips"),
              {}});
  });
  windows.add(QStringLiteral("gpseelips"), [](App& app) -> QWidget* { return new EllipsoidEditWindow(app); });
}

void addDatumMenuEntries(MainWindow& window) {
  QMenu* setup = window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup"));
  auto add = [&](const char* objectName, const QString& text, const QString& windowName) {
    QAction* a = setup->addAction(text);
    a->setObjectName(QLatin1String(objectName));
    QObject::connect(a, &QAction::triggered, &window, [&window, windowName] { window.openWindow(windowName); });
  };
  add("s_datums", QObject::tr("&Datums..."), QStringLiteral("gpsdatum"));
  add("s_ellipsoids", QObject::tr("&Ellipsoids..."), QStringLiteral("gpselips"));
  add("s_dconv", QObject::tr("Datum &conversion..."), QStringLiteral("gpsdconv"));
}

}  // namespace tavrik
