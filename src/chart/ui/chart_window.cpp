#include "chart/ui/chart_window.h"

#include <QPrinter>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "chart/database_chart_provider.h"
#include "chart/keep_in_view.h"
#include "chart/night_palette.h"
#include "chart/water_start.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "geo/nav_math.h"

namespace tavrik {

namespace {

// The targets the radar has reported (the empty record a reset leaves is not one).
std::vector<RadarItem> reportedTargets(const RadarTargets& table) {
  std::vector<RadarItem> items;
  for (const RadarTarget& t : table.targets)
    if (!t.LastUpdate.isNull()) items.push_back({t.Number, {t.TargetLatitude, t.TargetLongitude}, t.Status});
  return items;
}
// Chart units are twips: 15 per pixel.
constexpr double kTwips = 15.0;
// Pointer this close to an edge scrolls the view (300 units).
constexpr int kAutoScrollEdgePx = 20;
// One wheel notch (15 degrees) or one +/- key press zooms by this factor.
constexpr double kWheelZoomStep = 1.25;
constexpr double kMinZoom = 0.01, kMaxZoom = 16.0;
// Behind and on an empty chart at night: dark enough to keep the eyes adapted.
const QColor kNightBackground(40, 0, 0), kNightText(150, 0, 0);
}  // namespace

// The picture box `chart`: paints what the window gives it and passes the pointer on.
class ChartCanvas final : public QWidget {
 public:
  explicit ChartCanvas(ChartWindow& w) : QWidget(&w), m_w(w) {
    setObjectName(QStringLiteral("chart"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(50, 50);
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    QPainter p(this);
    m_w.paintCanvas(p, e->rect());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint pos = e->position().toPoint();
    if (m_pressed && (e->buttons() & Qt::LeftButton)) {
      // A drag starts only once the pointer has really moved: small jitter stays a click
      // (waypoints, info points, drawing).
      if (!m_dragging && (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
      }
      if (m_dragging) m_w.setScrollValue(m_pressScroll - (pos - m_pressPos));
    }
    m_w.pointerMoved(pos);
  }
  void mousePressEvent(QMouseEvent* e) override {
    m_w.setMouseHeld(true);
    m_pressed = e->button() == Qt::LeftButton;
    m_dragging = false;
    m_pressPos = e->position().toPoint();
    m_pressScroll = m_w.scrollValue();
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    m_w.setMouseHeld(false);
    const bool dragged = m_dragging && e->button() == Qt::LeftButton;
    if (e->button() == Qt::LeftButton) {
      m_pressed = m_dragging = false;
      unsetCursor();
    }
    if (dragged) return;  // a pan, not a click
    m_w.pointerReleased(e->position().toPoint(), e->button(), e->globalPosition().toPoint());
  }
  void wheelEvent(QWheelEvent* e) override {
    const QPoint d = e->angleDelta() / 8;  // degrees
    if (!(e->modifiers() & Qt::ControlModifier)) {
      // As every map: the wheel zooms around the point under the pointer.
      if (d.y() != 0) m_w.zoomAround(std::pow(kWheelZoomStep, d.y() / 15.0), e->position());
      e->accept();
      return;
    }
    QPoint s = m_w.scrollValue();
    if (e->modifiers() & Qt::ShiftModifier) s.rx() -= d.y() * 2;
    else s -= QPoint(d.x() * 2, d.y() * 2);
    m_w.setScrollValue(s);
  }

 private:
  ChartWindow& m_w;
  bool m_pressed = false, m_dragging = false;
  QPoint m_pressPos, m_pressScroll;
};

ChartWindow::ChartWindow(App& app, QWidget* parent)
    : QWidget(parent), m_app(app), m_cycle(app.clock, m_trackFile, m_renderer.trackLine()) {
  setObjectName(QStringLiteral("gpschart"));
  setWindowTitle(QStringLiteral("Chart"));
  setFocusPolicy(Qt::StrongFocus);
  buildUi();
  buildContextMenu();
  m_provider = makeDatabaseChartProvider(m_app.db, m_app.settings, m_app.paths, &m_app.infoDb, &m_app.datumLookup,
                                         &m_app.selections);
  m_renderer.setStyles(m_app.settings.Styles);

  // Form_Load: the sailed-track file, placement, the welcome sound.
  // A track file left behind means the last run ended without closing this window
  // (a crash, a power cut): its points are offered back instead of being emptied.
  const QString trackPath = m_app.paths.file(QStringLiteral("$GPS.$$$"));
  const bool keepTrack =
      TrackFile::recordsInFile(trackPath) > 0 && m_app.prompter.question(kKeepLastTrackQuestion);
  if (!(keepTrack ? m_trackFile.openKeeping(trackPath) : m_trackFile.open(trackPath)))
    m_app.prompter.exclamation(QStringLiteral("Cannot write the track file : ") + m_trackFile.path() + " (" +
                               m_trackFile.errorText() + ")");
  if (m_app.settings.SoundEnabled && !m_app.settings.SoundWelcome.trimmed().isEmpty())
    m_app.sound.play(m_app.paths.file(m_app.settings.SoundWelcome.trimmed()));

  m_timer1 = new QTimer(this);
  m_timer1->setObjectName(QStringLiteral("Timer1"));
  m_timer1->setInterval(1000);
  connect(m_timer1, &QTimer::timeout, this, [this] { tick(); });
  m_timer2 = new QTimer(this);
  m_timer2->setObjectName(QStringLiteral("Timer2"));
  m_timer2->setInterval(100);
  connect(m_timer2, &QTimer::timeout, this, [this] { pump(); });
  m_timer4 = new QTimer(this);
  m_timer4->setObjectName(QStringLiteral("Timer4"));
  m_timer4->setInterval(5000);
  connect(m_timer4, &QTimer::timeout, this, [this] {
    if (m_app.settings.SoundEnabled) m_app.sound.play(m_app.paths.file(m_app.settings.SoundProximity.trimmed()));
  });
  m_timer5 = new QTimer(this);
  m_timer5->setObjectName(QStringLiteral("Timer5"));
  m_timer5->setInterval(10000);
  connect(m_timer5, &QTimer::timeout, this, [this] { keepInView(); });
  // The zone alarm also counts the regions drawn here, as the crew sees them.
  m_app.zoneAlarm.drawnRegionContains = [this](double lat, double lon) {
    if (!m_proj) return false;
    const QPointF p = m_proj->toPixel(lat, lon);
    const QPointF rounded(std::round(p.x()), std::round(p.y()));
    for (const OverlayRegion& r : m_regions.regions())
      if (r.contains(rounded)) return true;
    return false;
  };
  m_timer1->start();
  m_timer2->start();
  m_app.simulationStartOnChart = [this](double lat, double lon) { return simulationStart(lat, lon); };
  m_app.edit.currentTrack = &m_trackFile;
  m_app.edit.chartProjection = [this]() -> const ChartProjection* { return m_proj.get(); };
  m_app.edit.showRoute = [this](const std::vector<std::pair<double, double>>& points) {
    std::vector<GeoPoint> route;
    for (const auto& [lat, lon] : points) route.push_back({lat, lon, 0});
    setActiveRoute(std::move(route));
  };
  updateCaption();
}

ChartWindow::~ChartWindow() {
  m_app.repaintChart = nullptr;
  m_app.zoneAlarm.drawnRegionContains = nullptr;
  m_app.simulationStartOnChart = nullptr;
  m_app.edit.currentTrack = nullptr;
  m_app.edit.chartProjection = nullptr;
  m_app.edit.showRoute = nullptr;
  // The program may end without closing this window: the scratch file goes anyway.
  if (!m_unloaded) m_trackFile.closeAndRemove();
}

void ChartWindow::buildUi() {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  m_canvas = new ChartCanvas(*this);
  m_app.repaintChart = [canvas = m_canvas] { canvas->update(); };
  m_v = new QScrollBar(Qt::Vertical, this);
  m_v->setObjectName(QStringLiteral("VScroll1"));
  m_h = new QScrollBar(Qt::Horizontal, this);
  m_h->setObjectName(QStringLiteral("HScroll1"));
  grid->addWidget(m_canvas, 0, 0);
  grid->addWidget(m_v, 0, 1);
  grid->addWidget(m_h, 1, 0);
  connect(m_h, &QScrollBar::valueChanged, this, [this] { onScrolled(); });
  connect(m_v, &QScrollBar::valueChanged, this, [this] { onScrolled(); });

  auto makeLabel = [this](const char* name) {
    auto* l = new QLabel(m_canvas);
    l->setObjectName(QLatin1String(name));
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    l->setStyleSheet(QStringLiteral("QLabel { background: rgba(255,255,240,215); color: black; padding: 1px 4px;"
                                    " border: 1px solid rgba(0,0,0,90); }"));
    l->hide();
    return l;
  };
  m_position = makeLabel("position");
  m_direction = makeLabel("direction");
  m_notice = makeLabel("notice");
  m_noticeTimer = new QTimer(this);
  m_noticeTimer->setSingleShot(true);
  m_noticeTimer->setInterval(4000);
  connect(m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);
}

void ChartWindow::showNotice(const QString& text) {
  m_notice->setText(text);
  m_notice->adjustSize();
  m_notice->move(std::max(0, (m_canvas->width() - m_notice->width()) / 2),
                 std::max(0, m_canvas->height() / 2 - m_notice->height()));
  m_notice->show();
  m_notice->raise();
  m_noticeTimer->start();
}

void ChartWindow::NightScreen() {
  m_app.requests.nightScreenChanged = false;
  applyNightScreen();
  m_canvas->update();
}

void ChartWindow::applyNightScreen() {
  const bool night = m_app.nightScreen && m_chart;
  m_tiles.setColourTable(night ? m_chart->nightColours : QVector<QRgb>{});
  if (night && m_chart->nightColours.isEmpty()) {
    // A true-colour picture has no palette to turn red; say so rather than nothing.
    const QString text = QStringLiteral("Night screen: %1 has no colour palette, its colours stay as by day")
                             .arg(m_chart->description);
    showNotice(text);
    if (auto* main = qobject_cast<QMainWindow*>(window())) main->statusBar()->showMessage(text, 10000);
  }
}

QString ChartWindow::notice() const { return m_notice->isVisibleTo(m_canvas) ? m_notice->text() : QString(); }

std::optional<SimulationStart> ChartWindow::simulationStart(double lat, double lon) const {
  if (!m_chart || !m_proj) return std::nullopt;
  const QSize content = contentSize(), img = m_chart->image->size();
  const QPointF p = m_proj->toPixel(lat, lon);
  if (std::isfinite(p.x()) && std::isfinite(p.y()) && QRectF(QPointF(0, 0), QSizeF(content)).contains(p))
    return std::nullopt;
  if (img.isEmpty() || content.isEmpty()) return std::nullopt;
  const double scale = std::min(1.0, 160.0 / std::max(img.width(), img.height()));
  const QSize out = QSize(static_cast<int>(img.width() * scale), static_cast<int>(img.height() * scale)).expandedTo({3, 3});
  const std::optional<WaterStart> water = FindWaterStart(m_chart->image->regionScaled(QRect(QPoint(0, 0), img), out));
  const QPointF at = water ? water->at : QPointF(0.5, 0.5);
  SimulationStart start;
  m_proj->toLatLon(QPointF(at.x() * content.width(), at.y() * content.height()), start.latitude, start.longitude);
  const double course = std::fmod((water ? water->screenCourseDeg : 0) - m_proj->rotationDeg() + 720.0, 360.0);
  start.courseDeg = course;
  return start;
}

bool ChartWindow::vesselOffChart() const {
  if (!m_proj || !FixPresent(m_app.nav)) return false;
  const QPointF v = m_proj->toPixel(m_app.nav.Latitude, m_app.nav.Longitude);
  const QSize c = contentSize();
  return !(std::isfinite(v.x()) && std::isfinite(v.y()) && v.x() >= 0 && v.y() >= 0 && v.x() <= c.width() &&
           v.y() <= c.height());
}

void ChartWindow::buildContextMenu() {
  m_contextMenu = new QMenu(this);
  m_contextMenu->setObjectName(QStringLiteral("popup"));
  QAction* go = m_contextMenu->addAction(QStringLiteral("&Go to mouse position"));
  go->setObjectName(QStringLiteral("p_goto"));
  connect(go, &QAction::triggered, this, [this] {
    // The main cycle opens (or re-targets) the go-to window from this request.
    m_app.requests.gotoLatitude = m_clickLat;
    m_app.requests.gotoLongitude = m_clickLon;
  });
  QAction* logEntry = m_contextMenu->addAction(QStringLiteral("&Log entry at mouse position"));
  logEntry->setObjectName(QStringLiteral("p_log"));
  connect(logEntry, &QAction::triggered, this, [this] {
    // The log-entry window offers the position last marked on the chart.
    m_app.logbook.lastMarked = Logbook::MarkedPosition{static_cast<float>(m_clickLat), static_cast<float>(m_clickLon)};
    if (m_app.windows.open) m_app.windows.open(QStringLiteral("gpsltext"));
  });
  QAction* centre = m_contextMenu->addAction(QStringLiteral("&Centre chart here"));
  centre->setObjectName(QStringLiteral("p_centre"));
  connect(centre, &QAction::triggered, this, [this] {
    if (!m_proj) return;
    setScrollValue(CentreOn(m_proj->toPixel(m_clickLat, m_clickLon), visibleSize(), contentSize()));
  });
  QAction* zoomIn = m_contextMenu->addAction(QStringLiteral("Zoom &in here"));
  zoomIn->setObjectName(QStringLiteral("p_zoomin"));
  connect(zoomIn, &QAction::triggered, this, [this] {
    if (!m_proj) return;
    const int pct = static_cast<int>(std::lround(m_zoom * 100)) * 2;
    applyZoom(std::min(pct, 800));
    setScrollValue(CentreOn(m_proj->toPixel(m_clickLat, m_clickLon), visibleSize(), contentSize()));
  });
  QAction* zoomOut = m_contextMenu->addAction(QStringLiteral("Zoom &out here"));
  zoomOut->setObjectName(QStringLiteral("p_zoomout"));
  connect(zoomOut, &QAction::triggered, this, [this] {
    if (!m_proj) return;
    const int pct = static_cast<int>(std::lround(m_zoom * 100)) / 2;
    applyZoom(std::max(pct, 5));
    setScrollValue(CentreOn(m_proj->toPixel(m_clickLat, m_clickLon), visibleSize(), contentSize()));
  });
  QAction* search = m_contextMenu->addAction(QStringLiteral("&Search chart for the position"));
  search->setObjectName(QStringLiteral("p_search"));
  connect(search, &QAction::triggered, this, [this] { m_app.requests.searchChart = true; });
  m_contextMenu->addSeparator();
  // Drawing modes: a command starts its drawing at the position where the menu was
  // opened; any of the four ends the drawing under way (route and zone: saved).
  struct Mode {
    const char* name;
    const char* text;
    bool RequestFlags::*flag;
  };
  static const Mode kModes[] = {{"p_drawtrack", "Draw &Track", &RequestFlags::drawTrack},
                                {"p_drawfix", "Draw &Fix", &RequestFlags::drawFix},
                                {"p_drawroute", "Draw R&oute", &RequestFlags::drawRoute},
                                {"p_drawzone", "Draw &Zone", &RequestFlags::drawZone}};
  for (const Mode& mode : kModes) {
    QAction* a = m_contextMenu->addAction(QLatin1String(mode.text));
    a->setObjectName(QLatin1String(mode.name));
    a->setCheckable(true);
    connect(a, &QAction::triggered, this, [this, flag = mode.flag] { toggleDrawing(flag); });
  }
  connect(m_contextMenu, &QMenu::aboutToShow, this, [this] {
    const RequestFlags& q = m_app.requests;
    const std::pair<const char*, bool> states[] = {
        {"p_drawroute", q.drawRoute}, {"p_drawzone", q.drawZone}, {"p_drawtrack", q.drawTrack}, {"p_drawfix", q.drawFix}};
    for (auto [name, on] : states)
      if (QAction* a = m_contextMenu->findChild<QAction*>(QLatin1String(name))) a->setChecked(on);
  });
  m_contextMenu->addSeparator();
  QAction* mark = m_contextMenu->addAction(QStringLiteral("Mark mouse &position"));
  mark->setObjectName(QStringLiteral("p_mark"));
  connect(mark, &QAction::triggered, this, [this] {
    // A position of exactly (0, 0) would read as "the current position".
    m_app.edit.markLatitude = static_cast<float>(m_clickLat);
    m_app.edit.markLongitude = static_cast<float>(m_clickLon);
    m_app.edit.markCurrentPosition = false;
    if (m_app.windows.open) m_app.windows.open(QStringLiteral("gpsmark"));
  });
  QAction* addInfo = m_contextMenu->addAction(QStringLiteral("Add &info"));
  addInfo->setObjectName(QStringLiteral("p_addinfo"));
  connect(addInfo, &QAction::triggered, this, [this] {
    m_app.edit.editInfo = 0;
    m_app.edit.markLatitude = static_cast<float>(m_clickLat);
    m_app.edit.markLongitude = static_cast<float>(m_clickLon);
    if (m_app.windows.open) m_app.windows.open(QStringLiteral("gpsainfo"));
  });
  QAction* editInfo = m_contextMenu->addAction(QStringLiteral("E&dit info"));
  editInfo->setObjectName(QStringLiteral("p_editinfo"));
  editInfo->setVisible(false);
  connect(editInfo, &QAction::triggered, this, [this] {
    m_app.edit.editInfo = m_clickedInfo;
    if (m_app.windows.open) m_app.windows.open(QStringLiteral("gpsainfo"));
  });
  connect(m_contextMenu, &QMenu::aboutToShow, this, [this, mark, addInfo, editInfo] {
    mark->setEnabled(m_app.windows.has(QStringLiteral("gpsmark")));
    addInfo->setVisible(m_app.windows.has(QStringLiteral("gpsainfo")));
    addInfo->setEnabled(m_app.infoDb.isOpen());
    editInfo->setVisible(m_clickedInfo != 0 && m_app.windows.has(QStringLiteral("gpsainfo")));
  });
  m_contextMenu->addSeparator();
  QAction* zone = m_contextMenu->addAction(QString());
  zone->setObjectName(QStringLiteral("p_zone"));
  zone->setEnabled(false);
  zone->setVisible(false);
}

void ChartWindow::setProvider(std::unique_ptr<ChartProvider> provider) {
  m_provider = std::move(provider);
  m_allStamp = m_folderStamp = -2;
}

QWidget* ChartWindow::canvas() const { return m_canvas; }
bool ChartWindow::timer5Active() const { return m_timer5->isActive(); }

QPoint ChartWindow::scrollValue() const { return {m_h->value(), m_v->value()}; }

void ChartWindow::setScrollValue(QPoint p) {
  const QPoint c = ClampScroll(p, visibleSize(), contentSize());
  const QSignalBlocker bh(m_h), bv(m_v);
  m_h->setValue(c.x());
  m_v->setValue(c.y());
  onScrolled();
}

QSize ChartWindow::visibleSize() const { return m_canvas->size(); }
QSize ChartWindow::contentSize() const { return m_chart ? m_tiles.displayedSize() : QSize(0, 0); }

void ChartWindow::updateScrollRanges() {
  const QSize vis = visibleSize(), content = contentSize();
  const QSignalBlocker bh(m_h), bv(m_v);
  m_h->setRange(0, std::max(0, content.width() - vis.width()));
  m_v->setRange(0, std::max(0, content.height() - vis.height()));
  m_h->setPageStep(std::max(1, vis.width()));
  m_v->setPageStep(std::max(1, vis.height()));
  m_h->setSingleStep(10);
  m_v->setSingleStep(10);
}

void ChartWindow::onScrolled() { m_canvas->update(); }

void ChartWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  updateScrollRanges();
  updateCaption();
}

void ChartWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // The MDI frame exists only once the window is shown in it.
  if (!m_placementRestored) QTimer::singleShot(0, this, [this] { restorePlacement(); });
  QWidget* top = window();
  if (top != this && top != m_watchedTop) {
    if (m_watchedTop) m_watchedTop->removeEventFilter(this);
    m_watchedTop = top;
    top->installEventFilter(this);
  }
}

void ChartWindow::restorePlacement() {
  if (m_placementRestored) return;
  m_placementRestored = true;
  QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
  const SettingsStore& ini = m_app.ini;
  const int w = ini.getInt("Chart", "Width", 0), h = ini.getInt("Chart", "Height", 0);
  const int left = ini.getInt("Chart", "Left", 0), top = ini.getInt("Chart", "Top", 0);
  QSize size(w, h);
  if (w < 150 || h < 120) {
    // Default: the main window's inner size less 384 units.
    QWidget* area = frame->parentWidget();
    const QSize inner = area ? area->size() : QSize(1000, 700);
    size = inner - QSize(static_cast<int>(384 / kTwips), static_cast<int>(384 / kTwips));
    size = size.expandedTo(QSize(400, 300));
  }
  frame->move(left, top);
  frame->resize(size);
  const int state = ini.getInt("Chart", "WindowState", 0);
  if (state == 2) frame->showMaximized();
  else if (state == 1) frame->showMinimized();
}

void ChartWindow::savePlacement() {
  QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
  const int state = frame->isMaximized() ? 2 : (frame->isMinimized() ? 1 : 0);
  m_app.ini.setInt("Chart", "WindowState", state);
  if (state == 0) {
    m_app.ini.setInt("Chart", "Top", frame->y());
    m_app.ini.setInt("Chart", "Left", frame->x());
    m_app.ini.setInt("Chart", "Width", frame->width());
    m_app.ini.setInt("Chart", "Height", frame->height());
  }
}

bool ChartWindow::queryUnload() {
  // A running track is only given up when the user says so.
  return !(m_app.settings.ChartTracking && m_trackFile.count() > 0 &&
           !m_app.prompter.question(MessageText(Msg::CancelTracking)));
}

void ChartWindow::unload() {
  if (m_unloaded) return;
  m_unloaded = true;
  m_timer1->stop();
  m_timer2->stop();
  m_timer4->stop();
  m_timer5->stop();
  m_trackFile.closeAndRemove();
  savePlacement();
}

void ChartWindow::closeEvent(QCloseEvent* e) {
  if (!m_unloaded && !queryUnload()) {
    e->ignore();
    return;
  }
  unload();
  e->accept();
}

bool ChartWindow::eventFilter(QObject* watched, QEvent* e) {
  // The main window closing ends the program: the chart window is asked first, as a
  // child window always was.
  if (watched == m_watchedTop && e->type() == QEvent::Close && !m_unloaded) {
    if (!queryUnload()) {
      e->ignore();
      return true;
    }
    unload();
  }
  return QWidget::eventFilter(watched, e);
}

bool ChartWindow::folderSet() const { return m_app.settings.system.folder > 0; }

ChartIndex& ChartWindow::index(bool folder) {
  // The bounds are read again only when the database changed since (charts may have
  // been added or re-calibrated in between).
  const qint64 stamp = m_provider ? m_provider->changeStamp() : -1;
  if (folder) {
    const int key = m_app.settings.system.folder;
    if (stamp == -1 || stamp != m_folderStamp || key != m_folderKeyRead) {
      m_folderIndex.reset(m_provider ? m_provider->chartBounds(key) : std::vector<ChartBounds>{});
      m_folderStamp = stamp;
      m_folderKeyRead = key;
    }
    return m_folderIndex;
  }
  if (stamp == -1 || stamp != m_allStamp) {
    m_allIndex.reset(m_provider ? m_provider->chartBounds(0) : std::vector<ChartBounds>{});
    m_allStamp = stamp;
  }
  return m_allIndex;
}

void ChartWindow::requestLoad(const QString& description) {
  const QString d = description.trimmed();
  if (m_chart && m_chart->description == d) return;  // already shown: no reload
  m_app.activeChart = d;
  m_app.requests.chartChanged = true;
}

void ChartWindow::searchChart() {
  const double lat = m_app.nav.Latitude, lon = m_app.nav.Longitude;
  const ChartRanking ranking = m_app.settings.SearchScale ? ChartRanking::Detail : ChartRanking::Overview;
  if (folderSet()) {
    runFolderSearch();
    return;
  }
  const QString best = bestChart(false, lat, lon, ranking);
  if (best.isEmpty()) {
    m_app.prompter.exclamation(MessageText(Msg::NoChartInDatabase));
    return;
  }
  requestLoad(best);
}

QString ChartWindow::bestChart(bool folder, double lat, double lon, ChartRanking ranking) {
  const qint64 stamp = m_provider ? m_provider->changeStamp() : -1;
  const bool current = stamp != -1 && (folder ? stamp == m_folderStamp && m_app.settings.system.folder == m_folderKeyRead
                                              : stamp == m_allStamp);
  if (!current && m_provider) {
    // The first search after a change asks the database for the one chart; the index
    // for the searches of later fixes is read afterwards, outside this request.
    QTimer::singleShot(0, this, [this, folder] { index(folder); });
    return m_provider->bestChart(folder ? m_app.settings.system.folder : 0, lat, lon, ranking);
  }
  ChartIndex& idx = index(folder);
  const int i = idx.searchBest(lat, lon, ranking);
  return i < 0 ? QString() : idx.rows()[static_cast<size_t>(i)].description;
}

void ChartWindow::runFolderSearch(bool perFix) {
  const ChartRanking ranking = m_app.settings.SearchScale ? ChartRanking::Detail : ChartRanking::Overview;
  const QString best = bestChart(true, m_app.nav.Latitude, m_app.nav.Longitude, ranking);
  if (best.isEmpty()) {
    if (!perFix || !m_folderMissShown) m_app.prompter.exclamation(MessageText(Msg::NoChartInFolder));
    m_folderMissShown = true;
    return;
  }
  m_folderMissShown = false;
  requestLoad(best);
}

void ChartWindow::searchNext(QChar direction) {
  const bool folder = folderSet();
  ChartIndex& idx = index(folder);
  const int i = idx.searchNext(direction, m_app.nav.Latitude, m_app.nav.Longitude,
                               m_chart ? m_chart->description : QString());
  if (i < 0) {
    m_app.prompter.information(MessageText(folder ? Msg::NoChartInFolder : Msg::NoChartInDatabase));
    return;
  }
  requestLoad(idx.rows()[i].description);
}

bool ChartWindow::loadChart(const QString& description) {
  const QString d = description.trimmed();
  if (!m_provider) {
    m_app.prompter.exclamation(MessageText(Msg::ChartDoesNotExist) + " : " + d);
    return false;
  }
  m_timer1->stop();
  m_timer2->stop();
  ChartLoadOutcome out = m_provider->loadChart(d, m_app.prompter);
  m_timer1->start();
  m_timer2->start();
  if (out.cancelled) m_app.activeChart.clear();
  if (!out.chart) return false;
  showChart(std::move(*out.chart));
  return true;
}

bool ChartWindow::loadChartFile(const QString& path) {
  if (!m_provider) return false;
  ChartLoadOutcome out = m_provider->loadFile(path, m_app.prompter);
  if (!out.chart) return false;
  m_app.activeChart = out.chart->description;
  showChart(std::move(*out.chart));
  return true;
}

void ChartWindow::closeChart() {
  m_chart.reset();
  m_proj.reset();
  m_tiles.setSource(nullptr);
  m_renderer.setVessel(std::nullopt);
  updateDynamic();
  updateScrollRanges();
  updateCaption();
  m_canvas->update();
}

void ChartWindow::showChart(ShownChart chart) {
  m_chart = std::move(chart);
  m_zoom = 1.0;
  m_tiles.setSource(m_chart->image);
  m_tiles.setZoom(1.0);
  applyNightScreen();
  m_app.settings.ChartLast = m_chart->description;
  m_app.activeChartDatum = m_chart->datum;
  setProjectionForZoom();
  updateScrollRanges();
  setScrollValue({0, 0});
  redrawAll();
  keepInView();
  updateCaption();
}

void ChartWindow::setProjectionForZoom() {
  m_proj = m_chart ? m_chart->projectionAt(m_zoom) : nullptr;
}

void ChartWindow::applyZoom(int percent) {
  if (!m_chart || percent == 0) return;
  // The centre of the zoom: the vessel, the window centre or the last mouse position.
  double lat = 0, lon = 0;
  const QPoint s = scrollValue();
  const QSize vis = visibleSize();
  const int mode = m_app.settings.ZoomMode;
  if (mode == 0 && FixPresent(m_app.nav)) {
    lat = m_app.nav.Latitude;
    lon = m_app.nav.Longitude;
  } else if (mode == 2 && m_pointer) {
    lat = m_mouseLat;
    lon = m_mouseLon;
  } else if (m_proj) {
    m_proj->toLatLon(QPointF(s.x() + vis.width() / 2.0, s.y() + vis.height() / 2.0), lat, lon);
  }
  double z = percent / 100.0;
  if (percent == -1) {
    // Fit in window: the whole chart, width and height.
    const QSize img = m_chart->image->size();
    z = img.width() > 0 && img.height() > 0
            ? std::min(static_cast<double>(vis.width()) / img.width(), static_cast<double>(vis.height()) / img.height())
            : 1.0;
  }
  setZoomLevel(z);
  if (m_proj) setScrollValue(CentreOn(m_proj->toPixel(lat, lon), visibleSize(), contentSize()));
  keepInView();
  updateCaption();
}

void ChartWindow::setZoomLevel(double z) {
  if (!(z > kMinZoom) || !std::isfinite(z)) z = kMinZoom;
  m_zoom = std::min(z, kMaxZoom);
  m_tiles.setZoom(m_zoom);
  setProjectionForZoom();
  updateScrollRanges();
  redrawAll();
}

void ChartWindow::zoomAround(double factor, QPointF canvasPoint) {
  if (!m_chart || !m_proj || !(factor > 0)) return;
  const double target = std::clamp(m_zoom * factor, kMinZoom, kMaxZoom);
  if (std::abs(target - m_zoom) < 1e-9) return;
  // The chart point under canvasPoint stays there: scale its content position.
  const QPointF before = canvasPoint + QPointF(scrollValue());
  const double ratio = target / m_zoom;
  setZoomLevel(target);
  const QPointF after = before * ratio;
  setScrollValue((after - canvasPoint).toPoint());
  updateCaption();
}

void ChartWindow::rebuildTrackLine() {
  // Track elements are in displayed pixels: they follow the chart and the zoom.
  TrackLine& line = m_renderer.trackLine();
  line.clear();
  line.setAccuracy(leniNumber(m_app.settings.ChartAccuracy));
  // The track so far is drawn from the file; the next element starts at its end.
  if (m_proj && !m_scene.sailedTrack.empty() && !m_scene.sailedTrack.back().isBreak())
    line.offer(m_proj->toPixel(m_scene.sailedTrack.back().lat, m_scene.sailedTrack.back().lon));
}

void ChartWindow::redrawAll() {
  m_app.requests.redrawAll = false;
  m_app.requests.redrawOverlays = false;
  m_renderer.setStyles(m_app.settings.Styles);
  if (!m_proj) {
    m_regions.clear();
    m_canvas->update();
    return;
  }
  const qint64 stamp = m_provider ? m_provider->changeStamp() : -1;
  const QString chartName = m_chart ? m_chart->description : QString();
  if (stamp == -1 || stamp != m_tablesStamp || chartName != m_tablesChart ||
      m_app.selections.displayedWaypoints != m_tablesWaypoints) {
    m_tables = OverlayScene();
    if (m_provider && m_chart) m_provider->fillScene(m_tables, chartName);
    // The tables or the chart's datum may have changed: the alarm reads them anew.
    m_app.reloadAlarmAreas();
    m_tablesStamp = stamp;
    m_tablesChart = chartName;
    m_tablesWaypoints = m_app.selections.displayedWaypoints;
  }
  OverlayScene fresh = m_tables;
  fresh.route = m_handedOver.route;
  fresh.loadedTracks = m_handedOver.loadedTracks;
  fresh.log = m_handedOver.log;
  fresh.showLog = m_handedOver.showLog;
  // Info points handed over add to the info database's points of this chart.
  fresh.info.insert(fresh.info.end(), m_handedOver.info.begin(), m_handedOver.info.end());
  fresh.infoIcons.insert(m_handedOver.infoIcons.begin(), m_handedOver.infoIcons.end());
  fresh.showInfo = fresh.showInfo || m_handedOver.showInfo;
  fresh.radar = m_handedOver.radar;
  fresh.sailedTrack = m_trackFile.readAll();
  fresh.showTrack = m_app.settings.ChartTrack;
  m_scene = std::move(fresh);
  m_renderer.rebuild(m_scene, *m_proj, m_regions);
  rebuildTrackLine();
  placeVessel();
  updateDynamic();
  m_canvas->update();
}

void ChartWindow::placeVessel() {
  // At once in the new projection (zoom, other chart), not a second later: the vessel
  // must not vanish or sit at its old pixel while the tiles come in.
  if (!m_proj || !FixPresent(m_app.nav)) return;
  const double heading = m_app.nav.HeadingTrue != 0 ? m_app.nav.HeadingTrue : m_app.nav.CourseOverGround;
  m_renderer.setVessel(VesselMark{m_proj->toPixel(m_app.nav.Latitude, m_app.nav.Longitude),
                                  ScreenDirection(m_proj->rotationDeg(), heading)});
}

void ChartWindow::keepInView() {
  if (!m_chart || !m_proj) return;
  if (!FixPresent(m_app.nav)) {
    m_keepPending = true;
    return;
  }
  if (m_mouseHeld) return;
  m_keepPending = false;
  KeepInViewInput in;
  in.vessel = m_proj->toPixel(m_app.nav.Latitude, m_app.nav.Longitude);
  in.scroll = scrollValue();
  in.visible = visibleSize();
  in.content = contentSize();
  in.margin = m_app.settings.viewMargin();
  in.directionDeg = ScreenDirection(m_proj->rotationDeg(), m_app.nav.CourseOverGround);
  in.centreChart = m_app.settings.CenterChart;
  setScrollValue(KeepInView(in));
}

void ChartWindow::centreOnVessel() {
  m_app.requests.centreOnPosition = false;
  if (!m_proj) return;
  // Say why nothing moves rather than doing nothing.
  if (!FixPresent(m_app.nav)) {
    showNotice(QStringLiteral("Cannot centre: no position received"));
    return;
  }
  if (vesselOffChart()) {
    showNotice(QStringLiteral("Cannot centre: the vessel is off this chart"));
    return;
  }
  setScrollValue(CentreOn(m_proj->toPixel(m_app.nav.Latitude, m_app.nav.Longitude), visibleSize(), contentSize()));
}

std::optional<QPointF> ChartWindow::vesselPixel() const {
  if (!m_renderer.vessel()) return std::nullopt;
  return m_renderer.vessel()->pos;
}

void ChartWindow::setActiveRoute(std::vector<GeoPoint> points) {
  m_handedOver.route = std::move(points);
  m_app.requests.redrawOverlays = true;
}

void ChartWindow::setLoadedTracks(std::vector<std::vector<GeoPoint>> tracks) {
  m_handedOver.loadedTracks = std::move(tracks);
  m_app.requests.redrawOverlays = true;
}

void ChartWindow::setLogPositions(std::vector<LogItem> entries, bool shown) {
  m_handedOver.log = std::move(entries);
  m_handedOver.showLog = shown;
  m_app.requests.redrawOverlays = true;
}

void ChartWindow::setInfoPoints(std::vector<InfoItem> points, std::map<QString, QImage> icons, bool shown) {
  m_handedOver.info = std::move(points);
  m_handedOver.infoIcons = std::move(icons);
  m_handedOver.showInfo = shown;
  m_app.requests.redrawOverlays = true;
}

void ChartWindow::setRadarTargets(std::vector<RadarItem> targets) {
  m_handedOver.radar = std::move(targets);
  m_app.requests.radarRedraw = true;
}

const ShipItem* ChartWindow::shipAt(QPointF content) const {
  if (!m_proj || !m_scene.showShips) return nullptr;
  for (const ShipItem& s : m_scene.ships) {
    const QPointF p = m_proj->toPixel(s.pos.lat, s.pos.lon);
    if (std::hypot(p.x() - content.x(), p.y() - content.y()) <= 8) return &s;
  }
  return nullptr;
}

const InfoItem* ChartWindow::infoAt(QPointF content) const {
  if (!m_proj || !m_scene.showInfo) return nullptr;
  for (const InfoItem& i : m_scene.info) {
    const QPointF p = m_proj->toPixel(i.pos.lat, i.pos.lon);
    if (std::hypot(p.x() - content.x(), p.y() - content.y()) <= 8) return &i;
  }
  return nullptr;
}

bool ChartWindow::openInfoPoint(const InfoItem& item) {
  if (m_app.edit.openDocument) return m_app.edit.openDocument(item.file);
  const QString file = item.file.trimmed();
  if (file.startsWith(QStringLiteral("http://")) || file.startsWith(QStringLiteral("https://")))
    return QDesktopServices::openUrl(QUrl(file));
  if (file.isEmpty() || !QFileInfo::exists(file)) {
    m_app.prompter.information(QStringLiteral("File not found"));
    return false;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
    m_app.prompter.information(QStringLiteral("No association for file extension"));
    return false;
  }
  return true;
}

namespace {
// The pen cursor of a drawing mode, in the mode's colour.
QCursor PenCursor(const QColor& colour, bool cross) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  if (cross) {
    p.setPen(QPen(colour, 2));
    p.drawLine(2, 2, 14, 14);
    p.drawLine(2, 14, 14, 2);
    return QCursor(pm, 8, 8);
  }
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(colour);
  QPolygonF pen;
  pen << QPointF(1, 23) << QPointF(4, 15) << QPointF(18, 1) << QPointF(23, 6) << QPointF(9, 20);
  p.drawPolygon(pen);
  return QCursor(pm, 1, 23);
}
}  // namespace

void ChartWindow::toggleDrawing(bool RequestFlags::*flag) {
  RequestFlags& q = m_app.requests;
  if (!drawing()) {
    q.*flag = true;
    m_drawn.clear();
    m_drawn.push_back({m_clickLat, m_clickLon, 0});
    m_pointer.reset();
    m_pointerSinceDraw = false;
    const bool fix = flag == &RequestFlags::drawFix;
    const Overlay style = fix ? Overlay::DrawFix : (flag == &RequestFlags::drawRoute ? Overlay::Routes : Overlay::DrawTrack);
    m_canvas->setCursor(PenCursor(SettingColor(m_app.settings.style(style).color), fix));
    if (fix && m_app.edit.fixDrawn) m_app.edit.fixDrawn(m_clickLat, m_clickLon);
    m_canvas->update();
    return;
  }
  const bool route = q.drawRoute, zone = q.drawZone;
  if ((route || zone) && m_pointerSinceDraw &&
      (m_drawn.empty() || m_drawn.back().lat != m_clickLat || m_drawn.back().lon != m_clickLon))
    m_drawn.push_back({m_clickLat, m_clickLon, 0});
  std::vector<std::pair<double, double>> points;
  for (const GeoPoint& g : m_drawn) points.emplace_back(g.lat, g.lon);
  q.drawRoute = q.drawZone = q.drawTrack = q.drawFix = false;
  m_canvas->unsetCursor();
  if ((route || zone) && m_app.edit.saveDrawn) {
    // The drawing stays on the chart until its save window closes, saved or not.
    m_app.edit.drawnPoints = points;
    m_app.edit.saveDrawn(route, this, [this] {
      m_app.edit.drawnPoints.clear();
      clearDrawnPoints();
    });
    return;
  }
  clearDrawnPoints();
}

bool ChartWindow::waypointClicked(QPointF content) {
  if (!m_proj) return false;
  if (m_app.requests.moveWaypoint) {
    m_app.requests.moveWaypoint = false;
    if (m_app.edit.moveWaypointTo) m_app.edit.moveWaypointTo(m_clickLat, m_clickLon);
    m_app.requests.redrawOverlays = true;
    return true;
  }
  for (const WaypointItem& w : m_scene.waypoints) {
    const QPointF p = m_proj->toPixel(w.pos.lat, w.pos.lon);
    if (std::hypot(p.x() - content.x(), p.y() - content.y()) > 8) continue;
    m_app.edit.editWaypoint = w.key;
    if (m_app.windows.open && m_app.windows.has(QStringLiteral("gpsewp"))) m_app.windows.open(QStringLiteral("gpsewp"));
    return true;
  }
  return false;
}

bool ChartWindow::drawing() const {
  const RequestFlags& q = m_app.requests;
  return q.drawRoute || q.drawZone || q.drawTrack || q.drawFix;
}

void ChartWindow::clearDrawnPoints() {
  m_drawn.clear();
  m_canvas->update();
}

void ChartWindow::setProximitySound(bool on) {
  if (on && !m_timer4->isActive()) m_timer4->start();
  if (!on) m_timer4->stop();
}

bool ChartWindow::proximitySound() const { return m_timer4->isActive(); }

void ChartWindow::paintDrawn(QPainter& p) const {
  if (!m_proj || (m_drawn.empty() && !drawing())) return;
  const RequestFlags& q = m_app.requests;
  const OverlayStyle& track = m_app.settings.style(Overlay::DrawTrack);
  const OverlayStyle& fix = m_app.settings.style(Overlay::DrawFix);
  QPolygonF pts;
  for (const GeoPoint& g : m_drawn) pts << m_proj->toPixel(g.lat, g.lon);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setBrush(Qt::NoBrush);
  if (q.drawFix) {
    p.setPen(QPen(SettingColor(fix.color), std::max(1, fix.width)));
    for (const QPointF& c : pts) {
      p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
      p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
    }
  } else {
    p.setPen(QPen(SettingColor(track.color), std::max(1, track.width)));
    if (q.drawZone && pts.size() >= 3) p.drawPolygon(pts);
    else if (pts.size() >= 2) p.drawPolyline(pts);
    for (const QPointF& c : pts) p.drawEllipse(c, 2.5, 2.5);
  }
  // `drawoleline`: the rubber band from the last point to the pointer.
  if (drawing() && !pts.isEmpty() && m_pointer) {
    QPen band(SettingColor(track.color), 1, Qt::DashLine);
    p.setPen(band);
    p.drawLine(pts.back(), QPointF(*m_pointer) + QPointF(scrollValue()));
  }
  p.restore();
}

void ChartWindow::followGoto() {
  const GotoState& g = m_app.steering.go.state();
  if (g.active) {
    m_gotoTarget = std::pair<double, double>(g.TargetLat, g.TargetLon);
    m_renderer.setGotoLabel(QStringLiteral("Go To ") + g.targetText);
    m_gotoFromSteering = true;
  } else if (m_gotoFromSteering) {
    m_gotoTarget.reset();
    m_renderer.setGotoLabel({});
    m_gotoFromSteering = false;
  }
}

void ChartWindow::setGotoTarget(std::optional<std::pair<double, double>> latLon) {
  m_gotoTarget = latLon;
  // A displayed waypoint at the target keeps its name however crowded the chart.
  long active = 0;
  if (latLon)
    for (const WaypointItem& w : m_scene.waypoints)
      if (std::fabs(w.pos.lat - latLon->first) < 1e-7 && std::fabs(w.pos.lon - latLon->second) < 1e-7) active = w.key;
  m_renderer.setActiveWaypoint(active);
  updateDynamic();
  m_canvas->update();
}

void ChartWindow::updateDynamic() {
  if (!m_proj || !m_renderer.vessel()) {
    m_renderer.setRangeCircles({});
    m_renderer.setGotoLine(std::nullopt);
    m_renderer.setMobLine(std::nullopt);
    m_renderer.setAutomationLine(std::nullopt);
    m_renderer.setRadarCursor(std::nullopt);
    return;
  }
  const QPointF v = m_renderer.vessel()->pos;
  if (m_app.settings.ChartCircles) {
    const double ppn = m_proj->pixelsPerNm(m_app.nav.Latitude);
    double stepNm = m_app.settings.units.fromDisplay(m_app.settings.system.gridDistance);
    if (!(stepNm > 0)) stepNm = 1;
    m_renderer.setRangeCircles({stepNm * ppn, 2 * stepNm * ppn, 3 * stepNm * ppn});
  } else {
    m_renderer.setRangeCircles({});
  }
  if (m_gotoTarget) m_renderer.setGotoLine(QLineF(v, m_proj->toPixel(m_gotoTarget->first, m_gotoTarget->second)));
  else m_renderer.setGotoLine(std::nullopt);
  if (m_app.mob.active()) m_renderer.setMobLine(QLineF(v, m_proj->toPixel(m_app.mob.MobLat, m_app.mob.MobLon)));
  else m_renderer.setMobLine(std::nullopt);
  const AutomationValues& automation = m_app.automation;
  if (automation.drawLineShown)
    m_renderer.setAutomationLine(QLineF(v, m_proj->toPixel(automation.DrawLat, automation.DrawLon)));
  else m_renderer.setAutomationLine(std::nullopt);
  // The course line runs ahead of the vessel along the course over ground, to the
  // picture's far side (the painter clips it).
  if (m_app.settings.ChartCourseLine) {
    const double d = ScreenDirection(m_proj->rotationDeg(), m_app.nav.CourseOverGround) * Pi() / 180;
    const QSize c = contentSize();
    const double reach = std::hypot(c.width(), c.height()) + 1;
    m_renderer.setCourseLine(QLineF(v, v + QPointF(reach * std::sin(d), -reach * std::cos(d))));
  } else {
    m_renderer.setCourseLine(std::nullopt);
  }
  m_renderer.setRadarCursor(radarCursorLine(v));
}

std::optional<QLineF> ChartWindow::radarCursorLine(QPointF vessel) const {
  const RadarTargets& table = m_app.radar;
  if (!m_proj || table.selected < 0 || table.selected >= static_cast<int>(table.targets.size())) return std::nullopt;
  const RadarTarget& t = table.targets[table.selected];
  if (t.LastUpdate.isNull()) return std::nullopt;
  return QLineF(vessel, m_proj->toPixel(t.TargetLatitude, t.TargetLongitude));
}

void ChartWindow::tick() {
  const ChartFixCycle::Result r = m_cycle.tick(m_app.nav, m_app.settings, m_proj.get(), folderSet());
  if (!r.fix) {
    m_timer5->stop();
    return;
  }
  if (r.keepInViewTimer && !m_timer5->isActive()) m_timer5->start();
  if (!r.keepInViewTimer) m_timer5->stop();
  if (m_proj) {
    m_renderer.setVessel(VesselMark{r.vesselPx, r.directionDeg});
    updateDynamic();
    if (m_keepPending) keepInView();
    m_canvas->update();
  }
  updateCaption();
  if (r.folderSearch) runFolderSearch(true);
}

void ChartWindow::pump() {
  RequestFlags& q = m_app.requests;
  if (q.chartChanged && m_app.activeChart.isEmpty()) {
    // The chart was cleared (an automation client's ClearChart): none is shown.
    q.chartChanged = false;
    closeChart();
  }
  if (q.chartChanged) {
    q.chartChanged = false;
    const double previousZoom = m_zoom;
    if (loadChart(m_app.activeChart) && previousZoom != 1.0)
      applyZoom(static_cast<int>(std::lround(previousZoom * 100)));
  }
  if (q.searchChart) {
    q.searchChart = false;
    searchChart();
  }
  if (q.zoomRequest != 0) {
    const int z = q.zoomRequest;
    q.zoomRequest = 0;
    applyZoom(z);
  }
  if (q.nightScreenChanged) NightScreen();
  if (q.shipsChanged || q.radarRedraw) {
    // Once the radar has reported, its table is what the chart shows.
    if (q.radarRedraw) {
      std::vector<RadarItem> reported = reportedTargets(m_app.radar);
      if (!reported.empty()) m_radarFromTable = true;
      if (m_radarFromTable) m_handedOver.radar = std::move(reported);
    }
    q.shipsChanged = false;
    q.radarRedraw = false;
    q.redrawOverlays = true;
  }
  if (q.redrawAll || q.redrawOverlays) redrawAll();
  if (q.centreOnPosition) centreOnVessel();
  if (q.redrawGotoLine || q.redrawCourseLine || q.drawAutomationLine) {
    if (q.redrawGotoLine) followGoto();
    q.redrawGotoLine = q.redrawCourseLine = q.drawAutomationLine = false;
    updateDynamic();
    m_canvas->update();
  }
}

void ChartWindow::updateCaption() {
  if (!m_chart) {
    setWindowTitle(QStringLiteral("Chart"));
    return;
  }
  double widthNm = 0;
  if (m_proj) {
    const QPoint s = scrollValue();
    const QSize vis = visibleSize().boundedTo(contentSize());
    double lat1, lon1, lat2, lon2;
    m_proj->toLatLon(QPointF(s.x(), s.y() + vis.height() / 2.0), lat1, lon1);
    m_proj->toLatLon(QPointF(s.x() + vis.width(), s.y() + vis.height() / 2.0), lat2, lon2);
    CalcRecord c;
    c.Lat1 = lat1;
    c.Lon1 = lon1;
    c.Lat2 = lat2;
    c.Lon2 = lon2;
    RhumbCourseDistance(c);
    widthNm = c.Distance;
  }
  QString caption = ChartCaption(m_chart->description, m_zoom, widthNm, m_app.settings.units);
  if (vesselOffChart()) caption += QStringLiteral("  vessel off chart");
  setWindowTitle(caption);
}

void ChartWindow::pointerMoved(QPoint canvasPos) {
  m_pointer = canvasPos;
  m_pointerSinceDraw = true;
  if (m_proj) {
    const QPointF content = QPointF(canvasPos) + QPointF(scrollValue());
    m_proj->toLatLon(content, m_mouseLat, m_mouseLon);
    m_position->setText(ChartPositionText(m_mouseLat, m_mouseLon));
    m_direction->setText(ChartDirectionText(m_app.nav.Latitude, m_app.nav.Longitude, m_mouseLat, m_mouseLon,
                                            m_app.nav.SpeedOverGround, m_app.settings.units));
    const int offset = m_app.settings.Rulers ? 20 : 1;
    m_position->adjustSize();
    m_direction->adjustSize();
    m_position->move(offset, offset);
    m_direction->move(offset, offset + m_position->height() + 3);
    m_position->show();
    m_direction->show();
  }
  if (m_app.settings.AutoScroll && m_chart) {
    const int step = std::max(1, m_app.settings.AutoScrollSpeed);
    QPoint d;
    if (canvasPos.x() < kAutoScrollEdgePx) d.rx() = -step;
    else if (canvasPos.x() > m_canvas->width() - kAutoScrollEdgePx) d.rx() = step;
    if (canvasPos.y() < kAutoScrollEdgePx) d.ry() = -step;
    else if (canvasPos.y() > m_canvas->height() - kAutoScrollEdgePx) d.ry() = step;
    if (!d.isNull()) setScrollValue(scrollValue() + d);
  }
  if (m_app.settings.Crosshairs || drawing()) m_canvas->update();
  const QPointF content = QPointF(canvasPos) + QPointF(scrollValue());
  if (const ShipItem* ship = shipAt(content)) {
    const QString tip = ship->name + "\n" +
                        ShipDescription(ship->lastUpdated, ship->speedKn, ship->courseDeg, ship->windSpeedKn,
                                        ship->windDirectionDeg);
    m_canvas->setToolTip(tip);
  } else if (!m_canvas->toolTip().isEmpty()) {
    m_canvas->setToolTip(QString());
  }
}

void ChartWindow::pointerReleased(QPoint canvasPos, Qt::MouseButton button, QPoint globalPos) {
  pointerMoved(canvasPos);
  m_clickLat = m_mouseLat;
  m_clickLon = m_mouseLon;
  const QPointF content = QPointF(canvasPos) + QPointF(scrollValue());
  m_clickedZone = m_regions.zoneAt(content);
  if (button == Qt::LeftButton && drawing() && m_proj) {
    // A fix is the one position where its drawing began; other modes add each click.
    const bool repeat = !m_drawn.empty() && m_drawn.back().lat == m_clickLat && m_drawn.back().lon == m_clickLon;
    if (!m_app.requests.drawFix && !repeat) m_drawn.push_back({m_clickLat, m_clickLon, 0});
    m_canvas->update();
    return;
  }
  if (button == Qt::LeftButton && m_proj) noteClick(content);
  if (button == Qt::LeftButton && waypointClicked(content)) return;
  if (button == Qt::LeftButton) {
    if (const InfoItem* info = infoAt(content)) {
      openInfoPoint(*info);
      return;
    }
  }
  if (button != Qt::RightButton || !m_proj) return;
  const InfoItem* info = infoAt(content);
  m_clickedInfo = info ? info->key : 0;
  QAction* zone = m_contextMenu->findChild<QAction*>(QStringLiteral("p_zone"));
  if (zone) {
    zone->setVisible(m_clickedZone >= 0);
    QString name;
    for (const ZoneItem& z : m_scene.zones)
      if (z.key == m_clickedZone) name = z.name;
    zone->setText(QStringLiteral("Zone: ") + name);
  }
  m_contextMenu->popup(globalPos);
}

void ChartWindow::noteClick(QPointF content) {
  AutomationValues& a = m_app.automation;
  a.ClickX = content.x() / m_zoom;
  a.ClickY = content.y() / m_zoom;
  a.ClickLat = m_clickLat;
  a.ClickLon = m_clickLon;
  // The waypoint whose mark was hit (nearest within a symbol's reach), 0 for none.
  a.ClickWP = 0;
  double best = 8.0 * 8.0;
  for (const WaypointItem& w : m_scene.waypoints) {
    const QPointF d = m_proj->toPixel(w.pos.lat, w.pos.lon) - content;
    const double d2 = QPointF::dotProduct(d, d);
    if (d2 <= best) {
      best = d2;
      a.ClickWP = static_cast<int>(w.key);
    }
  }
  a.clickPending = true;
}

void ChartWindow::keyPressEvent(QKeyEvent* e) {
  // Escape over the chart acknowledges a zone alarm, as the indicator does.
  if (e->key() == Qt::Key_Escape && m_app.zoneAlarm.alarmShowing()) {
    m_app.zoneAlarm.acknowledge();
    return;
  }
  int dx = 0, dy = 0;
  QChar dir;
  const QPointF centre(m_canvas->width() / 2.0, m_canvas->height() / 2.0);
  switch (e->key()) {
    // + and - (Ctrl too, and = for + without Shift) zoom around the centre.
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomAround(kWheelZoomStep, centre); return;
    case Qt::Key_Minus: zoomAround(1 / kWheelZoomStep, centre); return;
    case Qt::Key_Left: dx = -1; dir = 'W'; break;
    case Qt::Key_Right: dx = 1; dir = 'E'; break;
    case Qt::Key_Up: dy = -1; dir = 'N'; break;
    case Qt::Key_Down: dy = 1; dir = 'S'; break;
    default: QWidget::keyPressEvent(e); return;
  }
  const int step = (e->modifiers() & Qt::ControlModifier) ? 100 : 10;
  if (e->modifiers() & Qt::ShiftModifier) {
    QCursor::setPos(QCursor::pos() + QPoint(dx * step, dy * step));
    return;
  }
  QScrollBar* bar = dx != 0 ? m_h : m_v;
  const int delta = (dx != 0 ? dx : dy) * step;
  const bool atEnd = delta < 0 ? bar->value() <= bar->minimum() : bar->value() >= bar->maximum();
  if (atEnd && m_chart) {
    // Off the edge of the chart: the neighbouring chart in that direction.
    searchNext(dir);
    return;
  }
  bar->setValue(bar->value() + delta);
}

void ChartWindow::paintCanvas(QPainter& p, const QRect& canvasRect) {
  const bool night = m_app.nightScreen;
  p.fillRect(canvasRect, night ? kNightBackground : QColor(0x8a, 0x96, 0xa3));
  if (!m_chart) {
    p.setPen(night ? kNightText : QColor(40, 40, 40));
    p.drawText(m_canvas->rect(), Qt::AlignCenter, MessageText(Msg::NoChartLoaded));
    return;
  }
  const QPoint s = scrollValue();
  p.save();
  p.translate(-s);
  m_tiles.paint(p, QRect(s, m_canvas->size()).intersected(canvasRect.translated(s)));
  p.restore();
  if (!night) {
    paintOverlays(p);
    return;
  }
  // At night what is drawn over the chart turns red with it.
  QImage layer(canvasRect.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  QPainter lp(&layer);
  lp.translate(-canvasRect.topLeft());
  paintOverlays(lp);
  lp.end();
  ToNightColours(layer);
  p.drawImage(canvasRect.topLeft(), layer);
}

void ChartWindow::paintOverlays(QPainter& p) {
  const QPoint s = scrollValue();
  const QRect visible(s, m_canvas->size());
  p.save();
  p.translate(-s);
  p.setClipRect(QRect(QPoint(0, 0), contentSize()));
  m_renderer.paint(p, QRectF(visible));
  m_renderer.paintDynamic(p, QRectF(visible));
  if (m_proj && m_app.paintChartLayers) m_app.paintChartLayers(p, *m_proj, QRectF(visible));
  paintDrawn(p);
  p.restore();
  if (m_proj && m_app.settings.Rulers) PaintRulers(p, *m_proj, QRectF(visible));
  if (m_pointer && m_app.settings.Crosshairs)
    PaintCrosshair(p, QPointF(*m_pointer), QRectF(m_canvas->rect()), m_app.settings.CrosshairColor,
                   m_app.settings.CrosshairInverse);
}

QImage ChartWindow::renderView() {
  QImage img(m_canvas->size(), QImage::Format_RGB32);
  QPainter p(&img);
  paintCanvas(p, img.rect());
  p.end();
  return img;
}

bool ChartWindow::renderVisible(QPainter& p, const QRectF& target) {
  if (!m_chart || target.isEmpty()) return false;
  const QSize size = m_canvas->size();
  if (size.isEmpty()) return false;
  const double scale = std::min(target.width() / size.width(), target.height() / size.height());
  const QSizeF drawn(size.width() * scale, size.height() * scale);
  p.save();
  p.translate(target.x() + (target.width() - drawn.width()) / 2, target.y() + (target.height() - drawn.height()) / 2);
  p.scale(scale, scale);
  const QRect area(QPoint(0, 0), size);
  p.setClipRect(area);
  paintCanvas(p, area);
  p.restore();
  return true;
}

bool ChartWindow::DumpChartToPrinter(QPrinter& printer) {
  if (!m_chart) return false;
  QPainter p;
  if (!p.begin(&printer)) return false;
  // The painter's origin is the printable area's corner.
  const QSize page = printer.pageLayout().paintRectPixels(printer.resolution()).size();
  const bool ok = renderVisible(p, QRectF(QPointF(0, 0), QSizeF(page)));
  p.end();
  return ok;
}

}  // namespace tavrik
