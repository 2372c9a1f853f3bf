#pragma once
// The App context: owns the shared state of one running program (navigation state,
// settings, status panels, request flags) and the services of each subsystem. There
// are no mutable globals: a test builds as many Apps as it likes, each in its own
// temporary home.

#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "ais/ais_reception.h"
#include "chart/chart_projection.h"
#include "core/app_paths.h"
#include "core/app_settings.h"
#include "core/automation_values.h"
#include "core/clock.h"
#include "core/clock_setter.h"
#include "core/edit_state.h"
#include "core/main_cycle.h"
#include "core/navigation_state.h"
#include "core/prompter.h"
#include "core/request_flags.h"
#include "core/settings_store.h"
#include "core/shared_selections.h"
#include "core/sound_player.h"
#include "core/status_panels.h"
#include "log/graph_history.h"
#include "log/log_query.h"
#include "log/logbook.h"
#include "nmea/nmea_receiver.h"
#include "nmea/nmea_simulator.h"
#include "nmea/network_link.h"
#include "nmea/qserial_link.h"
#include "nmea/test_file.h"
#include "nav/steering.h"
#include "nav/alarm_signal.h"
#include "nav/anchor_watch.h"
#include "nav/zone_alarm.h"
#include "ships/radar_parsers.h"
#include "ships/dial_up_link.h"
#include "ships/ship_exchange.h"
#include "store/database.h"
#include "store/db_datum_lookup.h"

class QWidget;

namespace tavrik {

class App;

// Where the simulator starts so that the vessel sails on the chart shown.
struct SimulationStart {
  double latitude = 0, longitude = 0;
  double courseDeg = 0;  // true
};

// Windows open other windows by their object name through the App.
class WindowRegistry {
 public:
  using Factory = std::function<QWidget*(App&)>;
  void add(const QString& objectName, Factory factory) { m_factories[objectName] = std::move(factory); }
  bool has(const QString& objectName) const { return m_factories.count(objectName) != 0; }
  QStringList names() const;
  QWidget* create(const QString& objectName, App& app) const;
  // Set by the main window: shows the window (creating it on first use) and returns it.
  std::function<QWidget*(const QString&)> open;

 private:
  std::map<QString, Factory> m_factories;
};

struct StartOptions {
  QString loginUser, loginPassword;
  bool startCommunication = false;  // "/c"
  bool searchChart = false;         // "/s"
  bool loadLastChart = false;       // "/l"
};

class App {
 public:
  App(const AppPaths& paths, const Clock& clock, Prompter& prompter, SoundPlayer& sound);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const AppPaths paths;
  SettingsStore ini;
  AppSettings settings;
  NavigationState nav;
  StatusPanels panels;
  RequestFlags requests;
  SharedSelections selections;
  // The last chart click and the automation line (chart window and automation client).
  AutomationValues automation;
  const Clock& clock;
  Prompter& prompter;
  SoundPlayer& sound;
  WindowRegistry windows;
  StartOptions options;
  // The main database, open from start-up to shutdown.
  Database db;
  // The info database while one is open.
  Database infoDb;
  // Datums and ellipsoids of the main database, for DatumConvert.
  DatabaseDatumLookup datumLookup{db};
  // Description of the active chart (the "/l" option and the Chart/Last setting).
  QString activeChart;
  // Night screen: the main window's menu state; the chart window applies it when it
  // serves requests.nightScreenChanged and at every chart load.
  bool nightScreen = false;
  // Datum of the chart shown: received positions are converted into it.
  int activeChartDatum = 0;
  // "/c": starts communication as the menu command does; set by the serial link work.
  std::function<void()> startCommunication;
  // Set by the chart window: a start on the water of the chart shown when (lat, lon)
  // is not on it; nothing when it is, or when no chart is shown.
  std::function<std::optional<SimulationStart>(double lat, double lon)> simulationStartOnChart;
  // Marks, drawn points, the waypoint being edited and the current track.
  EditState edit;
  // Radar targets (TTM, TLL) and the time of the last RSD.
  RadarTargets radar;
  // "Start log at startup": starts logging with this event text; set by the logbook.
  std::function<void(const QString&)> startLogging;
  // The main window's one-second cycle (Timer1) and its hooks.
  MainCycle cycle{nav, panels, requests, radar, settings, clock};
  // The NMEA receive path: port sets, receive buffers, dispatch and parsers.
  NmeaReceiver receiver{nav, panels, settings, prompter, sourceLinkFactory(clock)};
  // TTM, TLL and RSD into the target table.
  RadarParsers radarParsers{nav, radar, requests, clock};
  // The ship position exchange by modem: the modem port, a call, answering calls
  // (ticked by the main cycle).
  ShipExchange ships{nav, settings, requests, clock, db, qserialLinkFactory()};
  // "St&art telephone...": the instrument port dialled through a modem; the
  // Communication menu ticks it with the receive cycle and stops it with communication.
  DialUpLink dialUp{clock, prompter, receiverDialLine(receiver)};
  // Go-to and route following with its output sentences.
  Steering steering{nav, settings, requests, clock, receiver};
  // Test files ("&Output to testfile...", "&Input from testfile...") and the simulator.
  TestFileRecorder recorder{receiver};
  TestFilePlayer player{receiver, nav, panels, settings, prompter};
  NmeaSimulator simulator{receiver, panels, nav, settings, clock};
  // Alarm signalling (arrival, anchor, zone): the main window sets the hooks and
  // ticks `alarms` every 100 ms.
  AlarmWindowHooks alarmWindows;
  AlarmSignal alarms{clock, sound, alarmWindows, [this] { return settings.SoundEnabled; },
                     [this](const QString& name) { return soundFile(name); }};
  // Zones and proximity waypoints watched against the own position; the main window
  // checks them every second and signals them, the chart window adds the regions it drew.
  ZoneAlarm zoneAlarm;
  // The logbook: entries raised anywhere (RaiseLogEntry), written by the main cycle.
  Logbook logbook{db, nav, settings, panels, prompter, clock};
  // The log commands' chooser mode and selection, and whether the chart plots it.
  LogDisplay logDisplay;
  // Temperature, pressure and depth histories, filled by Timer3 for the graph windows.
  GraphHistory graphs{settings};
  // AIS targets from the VDM/VDO lines of every port set; `installAis` connects it to
  // the receive path and ticks it every second.
  AisReception ais;
  // Layers painted over the chart's overlays (the AIS targets), in displayed pixels.
  std::function<void(QPainter&, const ChartProjection&, const QRectF& visible)> paintChartLayers;
  // Set by the chart window while it is open: repaints what is visible.
  std::function<void()> repaintChart;
  // Man over board: the MOB position while the MOB window is open.
  ManOverboard mob;
  // Sets the computer clock ("Set Pc time & date"); tests put a recording one here.
  SystemClockSetter systemClockSetter;
  ClockSetter* clockSetter = &systemClockSetter;

  // Reads the settings file into settings (defaults where values are missing).
  void loadSettings();
  // Writes settings back to the settings file.
  void saveSettings();

  // Start-up: opens the database at settings.Database (a new one at version 13 only at
  // the default path, on the first start), runs the upgrade chain and saves the path
  // back. A file that is missing, is not a database or has the wrong version shows its
  // message and chooseFile is asked for another, given the path that failed; false when
  // it gives none (the program then ends).
  bool openDatabase(const std::function<QString(const QString& failedPath)>& chooseFile);
  // The System row into settings (units, variation) and the last position into nav;
  // the current folder's name into its status panel.
  void loadSystemSettings();
  // The "/c", "/s" and "/l" actions and "Start log at startup", at the end of start-up.
  void applyStartOptions();
  // Reads the zones and proximity waypoints for the zone alarm from the database, in
  // the datum of the own position (the chart's); at start-up and when the tables or
  // the chart change.
  void reloadAlarmAreas();
  // A sound setting's file: a bare name lies in the program folder, a chosen file is
  // a full path; empty for an empty name.
  QString soundFile(const QString& name) const;
  // Shutdown: the last position into the System row, then the databases closed.
  void closeDatabase();
};

}  // namespace tavrik
