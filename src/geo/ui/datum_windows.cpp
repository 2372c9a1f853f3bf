#include "geo/ui/datum_windows.h"

#include "app/app.h"
#include "geo/ui/datum_edit_window.h"
#include "geo/ui/ellipsoid_edit_window.h"
#include "geo/ui/record_list_window.h"

namespace tavrik {

void registerDatumWindows(WindowRegistry& windows) {
  windows.add(QStringLiteral("gpsdatum"), [](App& app) -> QWidget* {
    return new RecordListWindow(
        app, {QObject::tr("Datums"),
              QStringLiteral("SELECT * FROM Datums WHERE DATUM > 0 ORDER BY description"),
              QStringLiteral("Datums"), QStringLiteral("datum"), QStringLiteral("gpsedatum"),
              &ellipsoidsEntered});
  });
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

}  // namespace tavrik
