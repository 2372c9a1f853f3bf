#pragma once
// The in-memory copy of every setting: the settings file (sections below) and the
// `System` row of the database. Every other part reads this; setup windows change it.

#include <QString>
#include <array>

#include "core/app_paths.h"
#include "core/compass.h"
#include "core/settings_store.h"
#include "core/units.h"

namespace tavrik {

struct PortSettings {
  QString Baudrate = QStringLiteral("4800");
  QString Bits = QStringLiteral("8");
  QString Parity = QStringLiteral("N");
  QString Paritybits = QStringLiteral("1");  // the stop bits
  QString Port = QStringLiteral("1");
  int Handshake = 0;                         // 0 None, 1 XON/XOFF, 2 RTS/CTS
  // Baud rate, parity, data bits and stop bits joined by ",", each trimmed: "4800,N,8,1".
  QString settingsText() const;
};

// One overlay's colour (red in the low byte) and pen width.
struct OverlayStyle {
  int color = 0;
  int width = 1;
};

enum class Overlay { Waypoints, Routes, CurrentTrack, DrawTrack, DrawFix, Proximity, Position, Circles, Radar };
inline constexpr int kOverlayCount = 9;
inline constexpr std::array<const char*, kOverlayCount> kOverlayKeys = {
    "Waypoints", "Routes", "CurrentTrack", "DrawTrack", "DrawFix", "Proximity", "Position", "Circles", "Radar"};

struct GraphSettings {
  int left = 0, top = 0, width = 6550, height = 4650, interval = 1, min = 1, max = 100, length = 1;
};

// The `System` row (Id = 1) of the database.
struct SystemSettings {
  int grid = 0;
  int ellipse = 39;
  double trackInterval = 60;
  double testInterval = 1;
  QString units = QStringLiteral("Nm");
  double speed = 5;        // planning speed, knots
  double variation = 0;    // UserVariation
  int localTime = 0;       // LocalTimeOffset, hours
  float gridDistance = 1;
  bool startLog = false;
  int folder = 0;
  int gpsDatum = 0;
  double latitude = 0, longitude = 0;
  bool cursor = false;
  QString icon = QStringLiteral(" ");
  bool positioning = false;
  double logInterval = 1800;
};

struct AppSettings {
  // Section "GPS"
  bool AutoScroll = true;
  int AutoScrollSpeed = 3;
  int CrosshairColor = 0;
  bool CrosshairInverse = false;
  bool ShowTip = true;
  bool CenterChart = true;
  QString ViewMargin = QStringLiteral("0.25");
  int ZoomMode = 0;
  QString IconDir, TestDir, ChartDir;
  int Maxicons = 0;
  int Windtop = 0, Windleft = 0;
  int MainWindowState = 2;
  bool Toolbar = true, Rulers = false, Crosshairs = false;
  QString NMEAOutput = QStringLiteral("0");
  QString Autopilot = QStringLiteral("0");
  QString Decimals = QStringLiteral("3");
  QString Database;
  QString LastCHIImportDir, LastCHIExportDir, LastBSBImportDir, LastNKFImportDir, LastCalibDir;
  QString Top = QStringLiteral("0"), Left = QStringLiteral("0"), Width, Height;
  std::array<QString, 6> NMEAIn, NMEAOut, AllNMEA, IDIn, IDOut;

  // "Statusbar": panel 1..16 shown (index 0 is panel 1).
  std::array<bool, 16> StatusbarVisible{};
  // "Maptech"
  QString XTiles = QStringLiteral("6"), YTiles = QStringLiteral("5");
  // "COMM", "COMM2".."COMM4"
  std::array<PortSettings, 4> Comm;
  QString Ports = QStringLiteral("1");
  // "Ships"
  PortSettings ShipsPort;
  QString ShipsCommunication = QStringLiteral("0");
  // "Anchor"
  QString AnchorWatch = QStringLiteral("0.07");
  // "Chart"
  bool ChartTrack = true, ChartTracking = true, ChartCircles = false;
  bool ChartCourseLine = false;  // "Chart"/`CourseLine`: the course line ahead of the vessel
  QString ChartLast;
  QString ChartAccuracy = QStringLiteral("100");
  // "Folder"
  bool SearchScale = true;
  // "Sound"
  bool SoundEnabled = true;
  QString SoundWelcome = QStringLiteral("WELCOME.WAV"), SoundGoodbye = QStringLiteral("GOODBYE.WAV"),
          SoundAnchor = QStringLiteral("ANCHOR.WAV"), SoundApproach = QStringLiteral("APPROACH.WAV"),
          SoundProximity = QStringLiteral("PROXIM.WAV");
  // "Colors" and "Width"
  std::array<OverlayStyle, kOverlayCount> Styles;
  // "WaveAtlas"
  QString WaveAtlasPath, WaveAtlasParameter = QStringLiteral("HS"), WaveAtlasWindDir = QStringLiteral("NN");
  int WaveAtlasWindSpeed = 4;
  // "Graph1".."Graph3"
  std::array<GraphSettings, 3> Graphs;
  // "Deviation": the compass table; with UserVariation from the System row.
  Compass compass;
  // "Toolbar": Buttons, Button1..ButtonN (-3 empty, -2 separator, -1 chart list, 0..28 buttons)
  bool ToolbarButtons = true;
  std::vector<int> ToolbarLayout;  // empty: the built-in arrangement
  // "GOTO"
  bool GotoAlarm = true;
  double GotoAlarmDistance = 0.001, GotoTurnDistance = 0.001;
  bool GotoAutomatic = false, GotoAutoPilot = false;
  QString GotoTalkerID = QStringLiteral("GP");
  bool GotoAAM = false, GotoAPB = true, GotoAPA = false, GotoBOD = false, GotoBWC = false,
       GotoXTE = true, GotoVTG = false;
  // "Engines"
  QString SystemDB = QStringLiteral("None");

  // The System row, and what is derived from it.
  SystemSettings system;
  Units units;
  int LocalTimeOffset() const { return system.localTime; }

  AppSettings();
  OverlayStyle& style(Overlay o) { return Styles[static_cast<int>(o)]; }
  const OverlayStyle& style(Overlay o) const { return Styles[static_cast<int>(o)]; }
  int decimals() const;       // Decimals as a number, 0..9
  double viewMargin() const;  // ViewMargin as a fraction, 0..0.5

  // Reads every settings-file value; a missing one keeps its default. paths supplies
  // the defaults that live in the program folder.
  void load(const SettingsStore& ini, const AppPaths& paths);
  void save(SettingsStore& ini) const;
  // After the System row is read: units and variation follow it.
  void applySystem(const SystemSettings& s);
};

}  // namespace tavrik
