#include "edit/ui/edit_windows.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>

#include "app/app.h"
#include "chart/track_file.h"
#include "core/ui/main_window.h"
#include "edit/ui/drawn_save_windows.h"
#include "edit/ui/info_windows.h"
#include "edit/ui/mark_windows.h"
#include "edit/ui/track_windows.h"
#include "core/messages.h"

namespace tavrik {

void registerEditWindows(App& app) {
  app.windows.add(QStringLiteral("gpstrack"), [](App& a) { return new TrackWindow(a); });
  app.windows.add(QStringLiteral("gpstrrt"), [](App& a) { return new TrackToRouteWindow(a); });
  app.windows.add(QStringLiteral("gpsmark"), [](App& a) { return new MarkWindow(a); });
  app.windows.add(QStringLiteral("gpsewp"), [](App& a) { return new EditWaypointWindow(a); });
  app.windows.add(QStringLiteral("gpsainfo"), [](App& a) { return new InfoPointWindow(a); });
  app.windows.add(QStringLiteral("gpsinfo"), [](App& a) { return new InfoHeaderWindow(a); });
  app.edit.openDocument = [&app](const QString& file) { return OpenInfoDocument(app, file); };
  app.edit.moveWaypointTo = [&app](double lat, double lon) {
    const StoreResult r = MoveWaypoint(app.db, app.edit.editWaypoint, lat, lon);
    if (!r.ok()) ShowError(app.prompter, r.error, r.detail);
  };
  // The save windows are dialogs over the chart (or the great-circle window); they
  // do not block: `closed` runs when they close.
  app.edit.saveDrawn = [&app](bool route, QWidget* parent, std::function<void()> closed) {
    auto* dialog = new DrawnSaveWindow(app, route ? DrawnSaveWindow::Kind::Route : DrawnSaveWindow::Kind::Zone, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::Dialog);
    QObject::connect(dialog, &QDialog::finished, dialog, [closed] {
      if (closed) closed();
    });
    dialog->open();
  };
}

void installInfoEntry(App& app, MainWindow& window) {
  QMenu* file = window.menu(QStringLiteral("m_file"));
  if (!file) return;
  auto* open = new QAction(QStringLiteral("&Open info database..."), file);
  open->setObjectName(QStringLiteral("m_openinfo"));
  // Before "Exit", the menu's last entry.
  file->insertAction(file->actions().isEmpty() ? nullptr : file->actions().last(), open);
  QObject::connect(open, &QAction::triggered, &window, [&app, &window] {
    const QString path = QFileDialog::getOpenFileName(&window, QStringLiteral("Open info database"),
                                                      app.paths.programFolder(), QStringLiteral("Database (*.db)"));
    if (!path.isEmpty()) OpenInfoDatabaseFile(app, path);
  });
}

void installMarkEntries(App& app, MainWindow& window) {
  QMenu* menu = window.ensureMenu(QStringLiteral("m_waypoints"), QStringLiteral("&Waypoints"));
  QAction* mark = menu->addAction(QStringLiteral("&Mark current position..."));
  mark->setObjectName(QStringLiteral("wp_mark"));
  QObject::connect(mark, &QAction::triggered, &window, [&app, &window] {
    app.edit.markLatitude = app.nav.Latitude;
    app.edit.markLongitude = app.nav.Longitude;
    app.edit.markCurrentPosition = true;
    window.openWindow(QStringLiteral("gpsmark"));
  });
}

void installTrackMenu(App& app, MainWindow& window) {
  QMenu* menu = window.ensureMenu(QStringLiteral("m_track"), QStringLiteral("&Tracks"));
  const auto add = [&](const QString& text, const char* name, auto run) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    QObject::connect(a, &QAction::triggered, &window, run);
    return a;
  };
  const auto emptyCurrentTrack = [&app] {
    if (app.edit.currentTrack) app.edit.currentTrack->clear();
    app.requests.redrawAll = true;
  };
  QAction* start = add(QStringLiteral("&Start tracking"), "t_start", [&app] { app.settings.ChartTracking = true; });
  QAction* stop = add(QStringLiteral("S&top tracking"), "t_stop", [&app, emptyCurrentTrack] {
    app.settings.ChartTracking = false;
    emptyCurrentTrack();
  });
  add(QStringLiteral("&Clear track"), "t_clear", emptyCurrentTrack);
  QAction* show = add(QStringLiteral("Show &track"), "t_tracking", [&app] {
    app.settings.ChartTrack = !app.settings.ChartTrack;
    app.requests.redrawAll = true;
  });
  show->setCheckable(true);
  menu->addSeparator();
  const auto openTrackWindow = [&window](TrackWindow::Mode mode) {
    if (auto* w = qobject_cast<TrackWindow*>(window.openWindow(QStringLiteral("gpstrack")))) w->setMode(mode);
  };
  add(QStringLiteral("&Save track..."), "t_save", [openTrackWindow] { openTrackWindow(TrackWindow::Mode::Save); });
  add(QStringLiteral("&Load track..."), "t_load", [openTrackWindow] { openTrackWindow(TrackWindow::Mode::Load); });
  add(QStringLiteral("&Delete track..."), "t_delete", [openTrackWindow] { openTrackWindow(TrackWindow::Mode::Delete); });
  add(QStringLiteral("Track to &route..."), "t_route", [&window] { window.openWindow(QStringLiteral("gpstrrt")); });
  QObject::connect(menu, &QMenu::aboutToShow, &window, [&app, start, stop, show] {
    start->setEnabled(!app.settings.ChartTracking);
    stop->setEnabled(app.settings.ChartTracking);
    show->setChecked(app.settings.ChartTrack);
  });
}

}  // namespace tavrik
