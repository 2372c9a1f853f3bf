#include "app/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUrl>
#include <cmath>
#include <cstdio>

#include "ais/ui/ais_window.h"
#include "app/app.h"
#include "automation/ui/automation_ui.h"
#include "chart/ui/chart_menu.h"
#include "chart/ui/chart_window.h"
#include "core/ui/main_window.h"
#include "core/ui/pc_time_window.h"
#include "edit/ui/edit_windows.h"
#include "geo/ui/calculation_windows.h"
#include "geo/ui/datum_windows.h"
#include "log/log_rows.h"
#include "log/ui/log_windows.h"
#include "nav/ui/goto_window.h"
#include "nav/ui/nav_windows.h"
#include "nmea/ui/communication_menu.h"
#include "nmea/ui/simulation_window.h"
#include "ships/ui/ship_windows.h"
#include "store/ui/database_menu.h"
#include "library/ui/library_windows.h"
#include "transfer/ui/gpx_window.h"
#include "transfer/ui/transfer_window.h"

namespace tavrik {

void QtSoundPlayer::play(const QString& file) {
  if (file.isEmpty() || !QFileInfo::exists(file)) {
    m_effect.reset();
    return;
  }
  m_effect = std::make_unique<QSoundEffect>();
  m_effect->setSource(QUrl::fromLocalFile(file));
  m_effect->play();
}

void QtSoundPlayer::beep() { QApplication::beep(); }

void QtSoundPlayer::finishPlaying(int capMs) {
  if (!m_effect) return;
  QEventLoop loop;
  QElapsedTimer since;
  since.start();
  bool started = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    const QSoundEffect::Status status = m_effect->status();
    started = started || m_effect->isPlaying();
    const bool failed = status == QSoundEffect::Error || status == QSoundEffect::Null;
    // A file still loading has not started yet; one that never starts (no audio device)
    // is given a second.
    const bool ended = status == QSoundEffect::Ready && !m_effect->isPlaying() && (started || since.elapsed() > 1000);
    if (failed || ended || since.elapsed() > capMs) loop.quit();
  });
  poll.start(50);
  loop.exec();
}

void addStartupOptions(QCommandLineParser& parser) {
  parser.addOption(QCommandLineOption(QStringLiteral("chart"),
                                      QStringLiteral("Open the chart FILE (a BSB/KAP chart, or a picture calibrated "
                                                     "in the Charts table) in the chart window at start."),
                                      QStringLiteral("FILE")));
  parser.addOption(QCommandLineOption(QStringLiteral("simulate"),
                                      QStringLiteral("Start the built-in simulator at start-up (a vessel sailing 6 knots).")));
  parser.addOption(QCommandLineOption(QStringLiteral("goto"),
                                      QStringLiteral("Start a go-to to the position LAT,LON (decimal degrees, north and "
                                                     "east positive) once the main window runs."),
                                      QStringLiteral("LAT,LON")));
  parser.addOption(QCommandLineOption(QStringLiteral("simulate-from"),
                                      QStringLiteral("Start the simulator at LAT,LON (decimal degrees) sailing COURSE "
                                                     "degrees true."),
                                      QStringLiteral("LAT,LON,COURSE")));
  parser.addOption(QCommandLineOption(QStringLiteral("automation"),
                                      QStringLiteral("Start hidden as the automation server of org.tavrik.Tavrik on the "
                                                     "session bus (what a client's call starts).")));
  parser.addOption(QCommandLineOption(QStringLiteral("night"), QStringLiteral("Start with the night screen on.")));
  parser.addOption(QCommandLineOption(QStringLiteral("replay"),
                                      QStringLiteral("Replay the NMEA test file FILE at start-up."), QStringLiteral("FILE")));
}

std::optional<SimulatorStart> parseSimulatorStart(const QString& text) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 3) return std::nullopt;
  bool ok[3];
  const double lat = parts[0].trimmed().toDouble(&ok[0]), lon = parts[1].trimmed().toDouble(&ok[1]),
               course = parts[2].trimmed().toDouble(&ok[2]);
  if (!ok[0] || !ok[1] || !ok[2] || std::abs(lat) >= 90 || std::abs(lon) > 180 || course < 0 || course >= 360)
    return std::nullopt;
  return SimulatorStart{static_cast<float>(lat), static_cast<float>(lon), static_cast<float>(course)};
}

void Startup::registerWindows() {
  m_app.windows.add(QStringLiteral("gpstime"), [](App& app) { return new PcTimeWindow(app); });
  registerNmeaWindows(m_app);
  registerChartWindows(m_app);
  registerDatumWindows(m_app);
  registerGridWindows(m_app);
  registerStoreWindows(m_app);
  registerTransferWindows(m_app);
  registerNavWindows(m_app);
  registerLibraryWindows(m_app);
  registerLogWindows(m_app);
  registerEditWindows(m_app);
  registerShipWindows(m_app);
  registerAisWindows(m_app);
}

void Startup::placeMainWindow(bool forScreenshot, bool hidden) {
  const AppSettings& s = m_app.settings;
  if (forScreenshot) {
    m_window.resize(1280, 800);
    m_window.show();
    return;
  }
  const int w = s.Width.toInt(), h = s.Height.toInt();
  m_window.move(s.Left.toInt(), s.Top.toInt());
  if (w > 200 && h > 150) m_window.resize(w, h);
  // An automation client shows the window when it wants it (Visible).
  if (hidden) return;
  if (s.MainWindowState == 2) m_window.showMaximized();
  else if (s.MainWindowState == 1) m_window.showMinimized();
  else m_window.show();
}

bool Startup::run(const QCommandLineParser& parser) {
  m_app.loadSettings();
  const QString folder = m_app.paths.programFolder();
  // A screenshot run has nobody to choose another database: it ends instead.
  const bool unattended = parser.isSet(QStringLiteral("screenshot"));
  if (!m_app.openDatabase([&](const QString& failed) {
        return unattended ? QString() : askDatabaseFile(folder, failed);
      })) return false;
  m_app.loadSystemSettings();
  registerWindows();
  const bool automation = parser.isSet(QStringLiteral("automation"));
  placeMainWindow(parser.isSet(QStringLiteral("screenshot")), automation);
  auto* comm = new CommunicationMenu(m_app, m_window);
  m_comm = comm;
  installTransferMenus(m_app, m_window);
  installGpxMenu(m_app, m_window);
  addDatumMenuEntries(m_window);
  addCalculationMenu(m_window);
  installSteering(m_app, m_window);
  addNavMenuEntries(m_window);
  installLogbook(m_app, m_window);
  installTrackMenu(m_app, m_window);
  installMarkEntries(m_app, m_window);
  installAis(m_app, m_window);
  addShipMenuEntries(m_window);
  startChart(parser);
  // The chart draws the log entries the chooser picked while the plot is on.
  m_app.logDisplay.plotChanged = [this] {
    auto* chart = qobject_cast<ChartWindow*>(m_window.findWindow(QStringLiteral("gpschart")));
    if (!chart) return;
    std::vector<LogItem> items;
    if (m_app.logDisplay.LogPlotOn)
      for (const LogRow& r : readLogRows(m_app.db, m_app.logDisplay.LogQuery))
        items.push_back({{r.latitude, r.longitude, m_app.activeChartDatum}, r.type});
    chart->setLogPositions(std::move(items), m_app.logDisplay.LogPlotOn);
    m_app.requests.redrawOverlays = true;
  };
  m_window.rebuildToolbar();
  m_window.startTimers();
  installDatabaseMenu(m_app, m_window);
  installLibraryMenus(m_app, m_window);
  installInfoEntry(m_app, m_window);
  startAutomation(automation);
  // Files handed over by a file manager ("tavrik FILE...").
  for (const QString& arg : parser.positionalArguments())
    if (QFileInfo(arg).isFile()) openFile(arg);
  // A replay or the simulator feeds the receive path instead of the serial ports.
  const bool replay = parser.isSet(QStringLiteral("replay"));
  const bool simulate = parser.isSet(QStringLiteral("simulate")) || parser.isSet(QStringLiteral("simulate-from"));
  std::optional<SimulatorStart> start;
  if (parser.isSet(QStringLiteral("simulate-from"))) {
    start = parseSimulatorStart(parser.value(QStringLiteral("simulate-from")));
    if (!start) {
      m_app.prompter.critical(QStringLiteral("--simulate-from takes LAT,LON,COURSE in decimal degrees, not \"%1\"")
                                  .arg(parser.value(QStringLiteral("simulate-from"))));
      return false;
    }
  }
  if (replay || simulate) m_app.options.startCommunication = false;
  m_app.applyStartOptions();
  if (!unattended) offerAutoImport(m_app);
  if (parser.isSet(QStringLiteral("goto"))) requestGoto(parser.value(QStringLiteral("goto")));
  if (replay) {
    comm->startReplay(parser.value(QStringLiteral("replay")));
  } else if (simulate) {
    if (auto* sim = qobject_cast<SimulationWindow*>(m_window.openWindow(QStringLiteral("gpssimul")))) {
      sim->startDemo(start);
      // Out of the chart's way; the title bar stays at hand to stop the simulation.
      if (auto* frame = qobject_cast<QMdiSubWindow*>(sim->parentWidget())) frame->showMinimized();
    }
  }
  return true;
}

void Startup::requestGoto(const QString& latLon) {
  const QStringList parts = latLon.split(',');
  bool okLat = false, okLon = false;
  const double lat = parts.size() == 2 ? parts[0].trimmed().toDouble(&okLat) : 0;
  const double lon = parts.size() == 2 ? parts[1].trimmed().toDouble(&okLon) : 0;
  if (!okLat || !okLon || std::fabs(lat) > 90 || std::fabs(lon) > 180 || (lat == 0 && lon == 0)) {
    std::fprintf(stderr, "tavrik: --goto needs LAT,LON in decimal degrees, not '%s'\n", qPrintable(latLon));
    return;
  }
  // The main cycle opens the go-to window on this request at its next tick.
  m_app.requests.gotoLatitude = lat;
  m_app.requests.gotoLongitude = lon;
}

void Startup::openFile(const QString& path) {
  // Test files replay; charts and pictures open in the chart window.
  if (QFileInfo(path).suffix().compare(QLatin1String("tst"), Qt::CaseInsensitive) == 0) {
    if (m_comm) m_comm->startReplay(path);
  } else if (m_chartMenu) {
    m_chartMenu->openChartFile(path);
  }
}

void Startup::startAutomation(bool automationMode) {
  QString why;
  if (installAutomation(m_app, m_window, automationMode, &why)) {
    DesktopApplication* desktop = installDesktopApplication(m_window);
    desktop->openFile = [this](const QString& path) { openFile(path); };
    return;
  }
  // Without the bus the program still navigates; only a server started for it ends.
  std::fprintf(stderr, "tavrik: no automation interface: %s\n", qPrintable(why));
  if (automationMode) QTimer::singleShot(0, qApp, [] { QApplication::exit(1); });
}

void Startup::startChart(const QCommandLineParser& parser) {
  auto* menu = new ChartMenu(m_app, m_window);
  m_chartMenu = menu;
  // The chart window is part of the main window from the start.
  ChartWindow* chart = openChartWindow(m_window);
  if (!chart) return;
  const QString file = parser.isSet(QStringLiteral("chart")) ? parser.value(QStringLiteral("chart")) : QString();
  if (!file.isEmpty()) menu->openChartFile(file);
  if (parser.isSet(QStringLiteral("night"))) menu->setNightScreen(true);
}

void Startup::shutdown() {
  if (m_shutDown) return;
  m_shutDown = true;
  m_window.stopTimers();
  m_window.setShuttingDown();
  // The other windows may still store what they hold, so they close before the database.
  m_window.mdiArea()->closeAllSubWindows();
  m_app.closeDatabase();
  AppSettings& s = m_app.settings;
  if (!m_window.isMaximized() && !m_window.isMinimized()) {
    s.Top = QString::number(m_window.y());
    s.Left = QString::number(m_window.x());
    s.Width = QString::number(m_window.width());
    s.Height = QString::number(m_window.height());
  }
  s.MainWindowState = m_window.isMaximized() ? 2 : (m_window.isMinimized() ? 1 : 0);
  m_app.saveSettings();
  if (s.SoundEnabled && !s.SoundGoodbye.isEmpty()) m_app.sound.play(m_app.paths.file(s.SoundGoodbye));
}

}  // namespace tavrik
