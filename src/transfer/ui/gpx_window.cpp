#include "transfer/ui/gpx_window.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include "app/app.h"
#include "core/ui/main_window.h"
#include "transfer/gpx_store.h"

namespace tavrik {
namespace {

QListWidget* list(QWidget* parent, const QString& name) {
  auto* l = new QListWidget(parent);
  l->setObjectName(name);
  l->setSelectionMode(QAbstractItemView::ExtendedSelection);
  return l;
}

QStringList chosen(const QListWidget* l) {
  QStringList out;
  for (const QListWidgetItem* i : l->selectedItems()) out << i->text();
  return out;
}

void fillFrom(App& app, QListWidget* l, const QString& table) {
  l->clear();
  const auto rs = app.db.openRecordset(QStringLiteral("SELECT Description FROM [%1] ORDER BY Description").arg(table));
  for (; rs && !rs->eof(); rs->moveNext()) l->addItem(rs->text(QStringLiteral("Description")));
}

}  // namespace

GpxExportWindow::GpxExportWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsgpx"));
  setWindowTitle(QStringLiteral("Export GPX"));
  auto* grid = new QGridLayout(this);
  m_waypoints = list(this, QStringLiteral("waypoints"));
  m_routes = list(this, QStringLiteral("routes"));
  m_tracks = list(this, QStringLiteral("tracks"));
  grid->addWidget(new QLabel(QStringLiteral("Waypoints"), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Routes"), this), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Tracks"), this), 0, 2);
  grid->addWidget(m_waypoints, 1, 0);
  grid->addWidget(m_routes, 1, 1);
  grid->addWidget(m_tracks, 1, 2);
  m_current = new QCheckBox(QStringLiteral("The track sailed &now"), this);
  m_current->setObjectName(QStringLiteral("currenttrack"));
  grid->addWidget(m_current, 2, 0, 1, 2);
  auto* write = new QPushButton(QStringLiteral("&Export..."), this);
  write->setObjectName(QStringLiteral("export"));
  auto* close = new QPushButton(QStringLiteral("&Close"), this);
  close->setObjectName(QStringLiteral("close"));
  grid->addWidget(write, 3, 1);
  grid->addWidget(close, 3, 2);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(write, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, windowTitle(), m_app.paths.programFolder(),
                                                      QStringLiteral("GPX (*.gpx)"));
    if (path.isEmpty()) return;
    QString error;
    if (exportTo(path, error)) m_app.prompter.information(QStringLiteral("Written: ") + path);
    else m_app.prompter.critical(error);
  });
  fill();
  resize(640, 360);
}

void GpxExportWindow::fill() {
  fillFrom(m_app, m_waypoints, QStringLiteral("Waypoints"));
  fillFrom(m_app, m_routes, QStringLiteral("Routes"));
  fillFrom(m_app, m_tracks, QStringLiteral("Tracks"));
}

bool GpxExportWindow::exportTo(const QString& path, QString& error) {
  GpxSelection pick{chosen(m_waypoints), chosen(m_routes), chosen(m_tracks)};
  const std::vector<TrackRecord> sailed =
      m_current->isChecked() ? TrackFile::readFile(m_app.paths.file(QStringLiteral("$GPS.$$$"))) : std::vector<TrackRecord>{};
  if (pick.everything() && sailed.empty()) {
    error = m_current->isChecked() ? QStringLiteral("No track has been sailed in this run.")
                                   : QStringLiteral("Choose the waypoints, routes or tracks to export.");
    return false;
  }
  GpxDocument doc;
  if (!pick.everything() && !collectGpx(m_app.db, m_app.datumLookup, pick, doc, error)) return false;
  if (!sailed.empty())
    doc.tracks.push_back(gpxTrackFromRecords(sailed, m_app.activeChartDatum, m_app.db, m_app.datumLookup,
                                             QStringLiteral("Track ") +
                                                 m_app.clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
  return writeGpxFile(path, doc, error);
}

void importGpxWithMessage(App& app, const QString& path) {
  GpxImportResult r;
  QString error;
  if (!importGpxFile(app.db, path, r, error)) {
    app.prompter.critical(QStringLiteral("Nothing was imported: ") + error);
    return;
  }
  app.prompter.information(QStringLiteral("%1: %2 waypoints (group \"%3\"), %4 routes with %5 points, %6 tracks with %7 points")
                               .arg(QFileInfo(path).fileName())
                               .arg(r.waypoints)
                               .arg(r.group)
                               .arg(r.routes)
                               .arg(r.routePoints)
                               .arg(r.tracks)
                               .arg(r.trackPoints));
}

void registerGpxWindows(App& app) {
  app.windows.add(QStringLiteral("gpsgpx"), [](App& a) { return new GpxExportWindow(a); });
}

void installGpxMenu(App& app, MainWindow& window) {
  QMenu* file = window.ensureMenu(QStringLiteral("m_file"), QStringLiteral("&File"));
  QAction* exit = nullptr;
  for (QAction* a : file->actions())
    if (a->objectName() == QLatin1String("f_exit")) exit = a;
  auto* import = new QAction(QStringLiteral("&Import GPX file..."), file);
  import->setObjectName(QStringLiteral("f_gpximport"));
  auto* exportGpx = new QAction(QStringLiteral("Export &GPX file..."), file);
  exportGpx->setObjectName(QStringLiteral("f_gpxexport"));
  file->insertAction(exit, import);
  file->insertAction(exit, exportGpx);
  if (exit) file->insertSeparator(exit);
  QObject::connect(import, &QAction::triggered, &window, [&app, &window] {
    const QString path = QFileDialog::getOpenFileName(&window, QStringLiteral("Import GPX file"),
                                                      app.paths.programFolder(), QStringLiteral("GPX (*.gpx)"));
    if (!path.isEmpty()) importGpxWithMessage(app, path);
  });
  QObject::connect(exportGpx, &QAction::triggered, &window,
                   [&window] { window.openWindow(QStringLiteral("gpsgpx")); });
  // Both need the database.
  QObject::connect(file, &QMenu::aboutToShow, import, [&app, import, exportGpx] {
    import->setEnabled(app.db.isOpen());
    exportGpx->setEnabled(app.db.isOpen());
  });
}

}  // namespace tavrik
