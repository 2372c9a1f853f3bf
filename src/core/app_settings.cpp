#include "core/app_settings.h"

#include <algorithm>

#include "core/number_format.h"

namespace tavrik {
namespace {
const QString kGps = QStringLiteral("GPS");
const std::array<const char*, 6> kTalkers = {"$GP", "$AP", "$RA", "$DE", "$LC", "$II"};
const QString kAllSentences = QStringLiteral("1111111111111111111111");
const std::array<int, kOverlayCount> kDefaultColors = {65280, 255, 16711680, 16711680, 0, 255, 255, 255, 255};
const std::array<int, kOverlayCount> kDefaultWidths = {1, 2, 2, 1, 1, 1, 1, 1, 2};
QString commSection(int i) { return i == 0 ? QStringLiteral("COMM") : QStringLiteral("COMM%1").arg(i + 1); }
}  // namespace

QString PortSettings::settingsText() const {
  return Baudrate.trimmed() + ',' + Parity.trimmed() + ',' + Bits.trimmed() + ',' + Paritybits.trimmed();
}

AppSettings::AppSettings() {
  for (int i = 0; i < 6; ++i) {
    NMEAIn[i] = kAllSentences;
    NMEAOut[i] = kAllSentences;
    AllNMEA[i] = QStringLiteral("0");
    IDIn[i] = QLatin1String(kTalkers[i]);
    IDOut[i] = QLatin1String(kTalkers[i]);
  }
  for (int i = 0; i < 16; ++i) StatusbarVisible[i] = !(i + 1 >= 7 && i + 1 <= 13);
  for (int i = 0; i < kOverlayCount; ++i) Styles[i] = {kDefaultColors[i], kDefaultWidths[i]};
  ShipsPort.Port = QStringLiteral("2");
  ShipsPort.Handshake = 2;
}

int AppSettings::decimals() const { return std::clamp(static_cast<int>(leniNumber(Decimals)), 0, 9); }

double AppSettings::viewMargin() const { return std::clamp(leniNumber(ViewMargin), 0.0, 0.5); }

void AppSettings::applySystem(const SystemSettings& s) {
  system = s;
  units = Units::fromSetting(s.units);
  compass.UserVariation = static_cast<float>(s.variation);
}

namespace {

// A serial port's section: the line settings, the port and the handshake.
PortSettings readPort(const SettingsStore& ini, const QString& s, const QString& port, int handshake) {
  PortSettings p;
  p.Baudrate = ini.get(s, "Baudrate", "4800");
  p.Bits = ini.get(s, "Bits", "8");
  p.Parity = ini.get(s, "Parity", "N");
  p.Paritybits = ini.get(s, "Paritybits", "1");
  p.Port = ini.get(s, "Port", port);
  p.Handshake = ini.getInt(s, "Handshake", handshake);
  return p;
}

void writePort(SettingsStore& ini, const QString& s, const PortSettings& p) {
  ini.set(s, "Baudrate", p.Baudrate);
  ini.set(s, "Bits", p.Bits);
  ini.set(s, "Parity", p.Parity);
  ini.set(s, "Paritybits", p.Paritybits);
  ini.set(s, "Port", p.Port);
  ini.setInt(s, "Handshake", p.Handshake);
}

}  // namespace

void AppSettings::load(const SettingsStore& ini, const AppPaths& paths) {
  const QString folder = paths.programFolder() + '/';
  AutoScroll = ini.getBool(kGps, "AutoScroll", true);
  AutoScrollSpeed = ini.getInt(kGps, "AutoScrollSpeed", 3);
  CrosshairColor = ini.getInt(kGps, "CrosshairColor", 0);
  CrosshairInverse = ini.getBool(kGps, "CrosshairInverse", false);
  ShowTip = ini.getBool(kGps, "ShowTip", true);
  CenterChart = ini.getBool(kGps, "CenterChart", true);
  ViewMargin = ini.get(kGps, "ViewMargin", "0.25");
  ZoomMode = ini.getInt(kGps, "ZoomMode", 0);
  IconDir = ini.get(kGps, "IconDir", folder + "icons/");
  Maxicons = ini.getInt(kGps, "Maxicons", 0);
  TestDir = ini.get(kGps, "TestDir", folder);
  ChartDir = ini.get(kGps, "ChartDir", folder + "charts/");
  Windtop = ini.getInt(kGps, "Windtop", 0);
  Windleft = ini.getInt(kGps, "Windleft", 0);
  MainWindowState = ini.getInt(kGps, "MainWindowState", 2);
  Toolbar = ini.getBool(kGps, "Toolbar", true);
  Rulers = ini.getBool(kGps, "Rulers", false);
  Crosshairs = ini.getBool(kGps, "Crosshairs", false);
  NMEAOutput = ini.get(kGps, "NMEAOutput", "0");
  Autopilot = ini.get(kGps, "Autopilot", "0");
  Decimals = ini.get(kGps, "Decimals", "3");
  Database = ini.get(kGps, "Database", folder + "gps.db");
  LastCHIImportDir = ini.get(kGps, "LastCHIImportDir");
  LastCHIExportDir = ini.get(kGps, "LastCHIExportDir");
  LastBSBImportDir = ini.get(kGps, "LastBSBImportDir");
  LastNKFImportDir = ini.get(kGps, "LastNKFImportDir");
  LastCalibDir = ini.get(kGps, "LastCalibDir");
  Top = ini.get(kGps, "Top", "0");
  Left = ini.get(kGps, "Left", "0");
  Width = ini.get(kGps, "Width", Width);
  Height = ini.get(kGps, "Height", Height);
  for (int i = 0; i < 6; ++i) {
    NMEAIn[i] = ini.get(kGps, QStringLiteral("NMEAIn%1").arg(i), kAllSentences);
    NMEAOut[i] = ini.get(kGps, QStringLiteral("NMEAOut%1").arg(i), kAllSentences);
    AllNMEA[i] = ini.get(kGps, QStringLiteral("AllNMEA%1").arg(i), "0");
    IDIn[i] = ini.get(kGps, QStringLiteral("IDIn%1").arg(i), QLatin1String(kTalkers[i]));
    IDOut[i] = ini.get(kGps, QStringLiteral("IDOut%1").arg(i), QLatin1String(kTalkers[i]));
  }
  for (int i = 0; i < 16; ++i)
    StatusbarVisible[i] = ini.getBool("Statusbar", QString::number(i + 1), !(i + 1 >= 7 && i + 1 <= 13));
  XTiles = ini.get("Maptech", "XTiles", "6");
  YTiles = ini.get("Maptech", "YTiles", "5");
  for (int i = 0; i < 4; ++i) Comm[i] = readPort(ini, commSection(i), QStringLiteral("1"), 0);
  Ports = ini.get("COMM", "Ports", "1");
  ShipsPort = readPort(ini, QStringLiteral("Ships"), QStringLiteral("2"), 2);
  ShipsCommunication = ini.get("Ships", "Communication", "0");
  AnchorWatch = ini.get("Anchor", "Watch", "0.07");
  ChartTrack = ini.getBool("Chart", "Track", true);
  ChartTracking = ini.getBool("Chart", "Tracking", true);
  ChartCircles = ini.getBool("Chart", "Circles", false);
  ChartCourseLine = ini.getBool("Chart", "CourseLine", false);
  ChartLast = ini.get("Chart", "Last");
  ChartAccuracy = ini.get("Chart", "Accuracy", "100");
  SearchScale = ini.getBool("Folder", "SearchScale", true);
  SoundEnabled = ini.getBool("Sound", "Enabled", true);
  SoundWelcome = ini.get("Sound", "Welcome", "WELCOME.WAV");
  SoundGoodbye = ini.get("Sound", "Goodbye", "GOODBYE.WAV");
  SoundAnchor = ini.get("Sound", "Anchor", "ANCHOR.WAV");
  SoundApproach = ini.get("Sound", "Approach", "APPROACH.WAV");
  SoundProximity = ini.get("Sound", "Proximity", "PROXIM.WAV");
  for (int i = 0; i < kOverlayCount; ++i) {
    Styles[i].color = ini.getInt("Colors", kOverlayKeys[i], kDefaultColors[i]);
    Styles[i].width = ini.getInt("Width", kOverlayKeys[i], kDefaultWidths[i]);
  }
  WaveAtlasPath = ini.get("WaveAtlas", "Path");
  WaveAtlasParameter = ini.get("WaveAtlas", "Parameter", "HS");
  WaveAtlasWindSpeed = ini.getInt("WaveAtlas", "WindSpeed", 4);
  WaveAtlasWindDir = ini.get("WaveAtlas", "WindDir", "NN");
  for (int g = 0; g < 3; ++g) {
    const QString s = QStringLiteral("Graph%1").arg(g + 1);
    GraphSettings& gs = Graphs[g];
    gs.left = ini.getInt(s, "Graph_left", 0);
    gs.top = ini.getInt(s, "Graph_top", 0);
    gs.width = ini.getInt(s, "Graph_width", 6550);
    gs.height = ini.getInt(s, "Graph_height", 4650);
    gs.interval = ini.getInt(s, "Graph_interval", 1);
    gs.min = ini.getInt(s, "Graph_min", 1);
    gs.max = ini.getInt(s, "Graph_max", 100);
    gs.length = ini.getInt(s, "Graph_length", 1);
  }
  for (int i = 0; i < 16; ++i)
    compass.DeviationTable[i] = static_cast<float>(ini.getDouble("Deviation", QString::number(i + 1), 0));
  ToolbarButtons = ini.getBool("Toolbar", "Buttons", true);
  ToolbarLayout.clear();
  for (int i = 1; ini.contains("Toolbar", QStringLiteral("Button%1").arg(i)); ++i)
    ToolbarLayout.push_back(ini.getInt("Toolbar", QStringLiteral("Button%1").arg(i), -3));
  GotoAlarm = ini.getBool("GOTO", "Alarm", true);
  GotoAlarmDistance = ini.getDouble("GOTO", "AlarmDistance", 0.001);
  GotoAutomatic = ini.getBool("GOTO", "Automatic", false);
  GotoTurnDistance = ini.getDouble("GOTO", "TurnDistance", 0.001);
  GotoAutoPilot = ini.getBool("GOTO", "AutoPilot", false);
  GotoTalkerID = ini.get("GOTO", "TalkerID", "GP");
  GotoAAM = ini.getBool("GOTO", "AAM", false);
  GotoAPB = ini.getBool("GOTO", "APB", true);
  GotoAPA = ini.getBool("GOTO", "APA", false);
  GotoBOD = ini.getBool("GOTO", "BOD", false);
  GotoBWC = ini.getBool("GOTO", "BWC", false);
  GotoXTE = ini.getBool("GOTO", "XTE", true);
  GotoVTG = ini.getBool("GOTO", "VTG", false);
  SystemDB = ini.get("Engines", "SystemDB", "None");
}

void AppSettings::save(SettingsStore& ini) const {
  ini.setBool(kGps, "AutoScroll", AutoScroll);
  ini.setInt(kGps, "AutoScrollSpeed", AutoScrollSpeed);
  ini.setInt(kGps, "CrosshairColor", CrosshairColor);
  ini.setBool(kGps, "CrosshairInverse", CrosshairInverse);
  ini.setBool(kGps, "ShowTip", ShowTip);
  ini.setBool(kGps, "CenterChart", CenterChart);
  ini.set(kGps, "ViewMargin", ViewMargin);
  ini.setInt(kGps, "ZoomMode", ZoomMode);
  ini.set(kGps, "IconDir", IconDir);
  ini.setInt(kGps, "Maxicons", Maxicons);
  ini.set(kGps, "TestDir", TestDir);
  ini.set(kGps, "ChartDir", ChartDir);
  ini.setInt(kGps, "Windtop", Windtop);
  ini.setInt(kGps, "Windleft", Windleft);
  ini.setInt(kGps, "MainWindowState", MainWindowState);
  ini.setBool(kGps, "Toolbar", Toolbar);
  ini.setBool(kGps, "Rulers", Rulers);
  ini.setBool(kGps, "Crosshairs", Crosshairs);
  ini.set(kGps, "NMEAOutput", NMEAOutput);
  ini.set(kGps, "Autopilot", Autopilot);
  ini.set(kGps, "Decimals", Decimals);
  ini.set(kGps, "Database", Database);
  ini.set(kGps, "LastCHIImportDir", LastCHIImportDir);
  ini.set(kGps, "LastCHIExportDir", LastCHIExportDir);
  ini.set(kGps, "LastBSBImportDir", LastBSBImportDir);
  ini.set(kGps, "LastNKFImportDir", LastNKFImportDir);
  ini.set(kGps, "LastCalibDir", LastCalibDir);
  ini.set(kGps, "Top", Top);
  ini.set(kGps, "Left", Left);
  ini.set(kGps, "Width", Width);
  ini.set(kGps, "Height", Height);
  for (int i = 0; i < 6; ++i) {
    ini.set(kGps, QStringLiteral("NMEAIn%1").arg(i), NMEAIn[i]);
    ini.set(kGps, QStringLiteral("NMEAOut%1").arg(i), NMEAOut[i]);
    ini.set(kGps, QStringLiteral("AllNMEA%1").arg(i), AllNMEA[i]);
    ini.set(kGps, QStringLiteral("IDIn%1").arg(i), IDIn[i]);
    ini.set(kGps, QStringLiteral("IDOut%1").arg(i), IDOut[i]);
  }
  for (int i = 0; i < 16; ++i) ini.setBool("Statusbar", QString::number(i + 1), StatusbarVisible[i]);
  ini.set("Maptech", "XTiles", XTiles);
  ini.set("Maptech", "YTiles", YTiles);
  for (int i = 0; i < 4; ++i) writePort(ini, commSection(i), Comm[i]);
  ini.set("COMM", "Ports", Ports);
  writePort(ini, QStringLiteral("Ships"), ShipsPort);
  ini.set("Ships", "Communication", ShipsCommunication);
  ini.set("Anchor", "Watch", formatNumber(leniNumber(AnchorWatch), u"#0.000"));
  ini.setBool("Chart", "Track", ChartTrack);
  ini.setBool("Chart", "Tracking", ChartTracking);
  ini.setBool("Chart", "Circles", ChartCircles);
  ini.setBool("Chart", "CourseLine", ChartCourseLine);
  ini.set("Chart", "Last", ChartLast);
  ini.set("Chart", "Accuracy", ChartAccuracy);
  ini.setBool("Folder", "SearchScale", SearchScale);
  ini.setBool("Sound", "Enabled", SoundEnabled);
  ini.set("Sound", "Welcome", SoundWelcome);
  ini.set("Sound", "Goodbye", SoundGoodbye);
  ini.set("Sound", "Anchor", SoundAnchor);
  ini.set("Sound", "Approach", SoundApproach);
  ini.set("Sound", "Proximity", SoundProximity);
  for (int i = 0; i < kOverlayCount; ++i) {
    ini.setInt("Colors", kOverlayKeys[i], Styles[i].color);
    ini.setInt("Width", kOverlayKeys[i], Styles[i].width);
  }
  ini.set("WaveAtlas", "Path", WaveAtlasPath);
  ini.set("WaveAtlas", "Parameter", WaveAtlasParameter);
  ini.setInt("WaveAtlas", "WindSpeed", WaveAtlasWindSpeed);
  ini.set("WaveAtlas", "WindDir", WaveAtlasWindDir);
  for (int g = 0; g < 3; ++g) {
    const QString s = QStringLiteral("Graph%1").arg(g + 1);
    const GraphSettings& gs = Graphs[g];
    ini.setInt(s, "Graph_left", gs.left);
    ini.setInt(s, "Graph_top", gs.top);
    ini.setInt(s, "Graph_width", gs.width);
    ini.setInt(s, "Graph_height", gs.height);
    ini.setInt(s, "Graph_interval", gs.interval);
    ini.setInt(s, "Graph_min", gs.min);
    ini.setInt(s, "Graph_max", gs.max);
    ini.setInt(s, "Graph_length", gs.length);
  }
  for (int i = 0; i < 16; ++i)
    ini.set("Deviation", QString::number(i + 1), formatNumber(compass.DeviationTable[i], u"#0.0"));
  ini.setBool("Toolbar", "Buttons", ToolbarButtons);
  // Entries of a longer earlier layout would otherwise be read back as part of this one.
  for (const QString& key : ini.keys("Toolbar"))
    if (key.size() > 6 && key.startsWith(QLatin1String("Button"), Qt::CaseInsensitive) &&
        std::all_of(key.begin() + 6, key.end(), [](QChar c) { return c.isDigit(); }))
      ini.remove("Toolbar", key);
  for (size_t i = 0; i < ToolbarLayout.size(); ++i)
    ini.setInt("Toolbar", QStringLiteral("Button%1").arg(i + 1), ToolbarLayout[i]);
  ini.setBool("GOTO", "Alarm", GotoAlarm);
  ini.set("GOTO", "AlarmDistance", formatNumber(GotoAlarmDistance, u"#0.000"));
  ini.setBool("GOTO", "Automatic", GotoAutomatic);
  ini.set("GOTO", "TurnDistance", formatNumber(GotoTurnDistance, u"#0.000"));
  ini.setBool("GOTO", "AutoPilot", GotoAutoPilot);
  ini.set("GOTO", "TalkerID", GotoTalkerID);
  ini.setBool("GOTO", "AAM", GotoAAM);
  ini.setBool("GOTO", "APB", GotoAPB);
  ini.setBool("GOTO", "APA", GotoAPA);
  ini.setBool("GOTO", "BOD", GotoBOD);
  ini.setBool("GOTO", "BWC", GotoBWC);
  ini.setBool("GOTO", "XTE", GotoXTE);
  ini.setBool("GOTO", "VTG", GotoVTG);
  ini.set("Engines", "SystemDB", SystemDB);
}

}  // namespace tavrik
