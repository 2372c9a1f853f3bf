#include "chart/ui/overview_window.h"

#include <QActionGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QImageWriter>
#include <QMenuBar>
#include <QPainter>
#include <QPaintEvent>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>

#include "app/app.h"
#include "chart/chart_loader.h"
#include "chart/chart_view_state.h"
#include "chart/database_chart_provider.h"

namespace tavrik {

OverviewData ReadOverviewData(App& app) {
  OverviewData d;
  if (app.db.isOpen()) {
    const std::unique_ptr<ChartProvider> provider = makeDatabaseChartProvider(
        app.db, app.settings, app.paths, &app.infoDb, &app.datumLookup, &app.selections);
    d.allCharts = provider->chartBounds(0);
    if (app.settings.system.folder != 0) d.folderCharts = provider->chartBounds(app.settings.system.folder);
    OverlayScene scene;
    provider->fillScene(scene, app.activeChart);
    d.waypoints = std::move(scene.waypoints);
    d.route = std::move(scene.route);
    d.zones = std::move(scene.zones);
    d.ships = std::move(scene.ships);
  }
  d.track = TrackFile::readFile(app.paths.file(QStringLiteral("$GPS.$$$")));
  if (FixPresent(app.nav)) d.position = GeoPoint{app.nav.Latitude, app.nav.Longitude, 0};
  return d;
}

// The picture box `chart`.
class OverviewCanvas final : public QWidget {
 public:
  explicit OverviewCanvas(OverviewWindow& w) : QWidget(&w), m_w(w) {
    setObjectName(QStringLiteral("chart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(50, 50);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    m_w.paintCanvas(p, e->rect());
  }

 private:
  OverviewWindow& m_w;
};

OverviewWindow::OverviewWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpstshow"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  m_menuBar = new QMenuBar(this);
  grid->setMenuBar(m_menuBar);
  m_canvas = new OverviewCanvas(*this);
  m_h = new QScrollBar(Qt::Horizontal, this);
  m_h->setObjectName(QStringLiteral("HScroll1"));
  m_v = new QScrollBar(Qt::Vertical, this);
  m_v->setObjectName(QStringLiteral("VScroll1"));
  grid->addWidget(m_canvas, 0, 0);
  grid->addWidget(m_v, 0, 1);
  grid->addWidget(m_h, 1, 0);
  for (QScrollBar* bar : {m_h, m_v}) connect(bar, &QScrollBar::valueChanged, m_canvas, [this] { m_canvas->update(); });

  QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
  QAction* print = file->addAction(QStringLiteral("&Print..."));
  print->setObjectName(QStringLiteral("m_print"));
  connect(print, &QAction::triggered, this, [this] { this->print(); });
  QAction* saveAction = file->addAction(QStringLiteral("&Save as picture..."));
  saveAction->setObjectName(QStringLiteral("m_save"));
  connect(saveAction, &QAction::triggered, this, [this] { save(); });
  file->addSeparator();
  QAction* exit = file->addAction(QStringLiteral("E&xit"));
  exit->setObjectName(QStringLiteral("s_exit"));
  connect(exit, &QAction::triggered, this, [this] { close(); });

  QMenu* show = m_menuBar->addMenu(QStringLiteral("&Show"));
  addCheck(show, "s_charts", QStringLiteral("&All charts"), m_layers.charts);
  addCheck(show, "s_folders", QStringLiteral("Charts of the &folder"), m_layers.folders);
  show->addSeparator();
  addCheck(show, "s_current", QStringLiteral("&Track and position"), m_layers.current);
  addCheck(show, "s_routes", QStringLiteral("&Route"), m_layers.routes);
  addCheck(show, "s_waypoints", QStringLiteral("&Waypoints"), m_layers.waypoints);
  addCheck(show, "s_zones", QStringLiteral("&Zones"), m_layers.zones);
  addCheck(show, "s_ships", QStringLiteral("S&hips"), m_layers.ships);
  addCheck(show, "s_rulers", QStringLiteral("R&ulers"), m_layers.rulers);

  QMenu* zoom = m_menuBar->addMenu(QStringLiteral("&Zoom"));
  auto* zoomGroup = new QActionGroup(this);
  const std::pair<const char*, int> steps[] = {{"z_100", 1}, {"z_200", 2}, {"z_400", 4}};
  for (int i = 0; i < 3; ++i) {
    QAction* a = zoom->addAction(QStringLiteral("%1%").arg(steps[i].second * 100));
    a->setObjectName(QLatin1String(steps[i].first));
    a->setCheckable(true);
    a->setChecked(steps[i].second == 1);
    zoomGroup->addAction(a);
    const int step = steps[i].second;
    connect(a, &QAction::triggered, this, [this, step] { setZoomStep(step); });
    m_zoomActions[i] = a;
  }
  resize(760, 560);
  setData(ReadOverviewData(app));
}

QAction* OverviewWindow::addCheck(QMenu* menu, const char* name, const QString& text, bool checked) {
  QAction* a = menu->addAction(text);
  a->setObjectName(QLatin1String(name));
  a->setCheckable(true);
  a->setChecked(checked);
  connect(a, &QAction::triggered, this, [this, a] { layerToggled(a); });
  return a;
}

void OverviewWindow::layerToggled(QAction* action) {
  const QString name = action->objectName();
  const bool on = action->isChecked();
  auto other = [this](const char* n) { return m_menuBar->findChild<QAction*>(QLatin1String(n)); };
  if (name == "s_charts" || name == "s_folders") {
    // All charts or the folder's: ticking one unticks the other.
    const bool all = name == "s_charts";
    m_layers.charts = all ? on : false;
    m_layers.folders = all ? false : on;
    other(all ? "s_folders" : "s_charts")->setChecked(false);
  } else if (name == "s_current") m_layers.current = on;
  else if (name == "s_routes") m_layers.routes = on;
  else if (name == "s_waypoints") m_layers.waypoints = on;
  else if (name == "s_zones") m_layers.zones = on;
  else if (name == "s_ships") m_layers.ships = on;
  else if (name == "s_rulers") m_layers.rulers = on;
  redraw();
}

void OverviewWindow::setData(OverviewData data) {
  m_data = std::move(data);
  redraw();
}

void OverviewWindow::setZoomStep(int step) {
  m_zoom = step == 2 || step == 4 ? step : 1;
  for (QAction* a : m_zoomActions) a->setChecked(a->objectName() == QStringLiteral("z_%1").arg(m_zoom * 100));
  redraw();
}

void OverviewWindow::redraw() {
  // Keep the centre of the view where it was across zoom steps.
  const int previous = m_scene.zoomStep();
  const QPointF centre((m_h->value() + visibleSize().width() / 2.0) / previous,
                       (m_v->value() + visibleSize().height() / 2.0) / previous);
  m_scene.layout(m_data, m_layers, m_zoom);
  updateScrollRanges();
  m_h->setValue(static_cast<int>(centre.x() * m_zoom - visibleSize().width() / 2.0));
  m_v->setValue(static_cast<int>(centre.y() * m_zoom - visibleSize().height() / 2.0));
  updateCaption();
  m_canvas->update();
}

QSize OverviewWindow::visibleSize() const { return m_canvas->size(); }

void OverviewWindow::updateScrollRanges() {
  const QSize c = m_scene.canvasSize(), v = visibleSize();
  m_h->setRange(0, std::max(0, c.width() - v.width()));
  m_v->setRange(0, std::max(0, c.height() - v.height()));
  m_h->setPageStep(std::max(1, v.width()));
  m_v->setPageStep(std::max(1, v.height()));
  m_h->setSingleStep(20);
  m_v->setSingleStep(20);
}

void OverviewWindow::updateCaption() {
  setWindowTitle(QStringLiteral("Show overview %1%").arg(m_zoom * 100));
}

void OverviewWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  updateScrollRanges();
}

void OverviewWindow::paintCanvas(QPainter& p, const QRect& canvasRect) const {
  const QPoint s(m_h->value(), m_v->value());
  p.fillRect(canvasRect, QColor(0x8a, 0x96, 0xa3));  // beyond the canvas
  p.save();
  p.translate(-s);
  const QRectF visible = QRectF(QRect(s, m_canvas->size())).intersected(QRectF(QPointF(0, 0), QSizeF(m_scene.canvasSize())));
  p.setClipRect(visible);
  m_scene.paint(p, visible);
  p.restore();
}

QImage OverviewWindow::renderCanvas() const {
  QImage img(m_scene.canvasSize(), QImage::Format_RGB32);
  QPainter p(&img);
  m_scene.paint(p, QRectF(img.rect()));
  return img;
}

bool OverviewWindow::printTo(QPrinter& printer) const {
  QPainter p;
  if (!p.begin(&printer)) return false;
  const QSizeF page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  const QSizeF canvas = m_scene.canvasSize();
  const double scale = std::min(page.width() / canvas.width(), page.height() / canvas.height());
  p.scale(scale, scale);
  m_scene.paint(p, QRectF(QPointF(0, 0), canvas));
  return p.end();
}

bool OverviewWindow::saveTo(const QString& path) const {
  const QByteArray format = path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) ? "BMP" : QByteArray();
  QImageWriter writer(path, format);
  return writer.write(renderCanvas());
}

void OverviewWindow::print() {
  auto* preview = new QPrintPreviewDialog(this);
  preview->setObjectName(QStringLiteral("m_printpreview"));
  preview->setAttribute(Qt::WA_DeleteOnClose);
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    preview->printer()->setOutputFormat(QPrinter::PdfFormat);
    m_app.prompter.information(QStringLiteral("No printer is configured: the preview shows the overview, and printing "
                                              "from it writes a PDF file."));
  }
  connect(preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) { printTo(*printer); });
  preview->open();
}

void OverviewWindow::save() {
  auto* dialog = new QFileDialog(this, QStringLiteral("Save overview"), m_app.paths.programFolder(),
                                 QStringLiteral("Bitmaps (*.BMP);;PNG pictures (*.png)"));
  dialog->setObjectName(QStringLiteral("m_savedialog"));
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  connect(dialog, &QFileDialog::fileSelected, this, [this, dialog](QString path) {
    if (QFileInfo(path).suffix().isEmpty())
      path += dialog->selectedNameFilter().startsWith(QStringLiteral("PNG")) ? QStringLiteral(".png") : QStringLiteral(".BMP");
    if (!saveTo(path)) m_app.prompter.exclamation(QStringLiteral("The overview could not be saved : ") + path);
  });
  dialog->open();
}

}  // namespace tavrik
