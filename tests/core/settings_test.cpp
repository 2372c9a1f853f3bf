#include "core/app_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/command_line.h"
#include "core/settings_store.h"

namespace tavrik {
namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
  QString iniPath() const { return m_dir.filePath("GPS.ini"); }
  AppPaths paths() const { return AppPaths::inFolder(m_dir.path()); }
  void writeIni(const QByteArray& text) {
    QFile f(iniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  QByteArray readIni() const {
    QFile f(iniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  AppSettings loadFresh() const {
    SettingsStore ini(iniPath());
    AppSettings s;
    s.load(ini, paths());
    return s;
  }
  QTemporaryDir m_dir;
};

// No settings file at all: every default applies, and reading creates no file.
TEST_F(SettingsFile, DefaultsWithoutAnyFile) {
  const AppSettings s = loadFresh();
  EXPECT_FALSE(QFile::exists(iniPath()));
  const QString folder = paths().programFolder() + '/';

  // Section "GPS"
  EXPECT_TRUE(s.AutoScroll);
  EXPECT_EQ(s.AutoScrollSpeed, 3);
  EXPECT_EQ(s.CrosshairColor, 0);
  EXPECT_FALSE(s.CrosshairInverse);
  EXPECT_TRUE(s.ShowTip);
  EXPECT_TRUE(s.CenterChart);
  EXPECT_EQ(s.ViewMargin, "0.25");
  EXPECT_DOUBLE_EQ(s.viewMargin(), 0.25);
  EXPECT_EQ(s.ZoomMode, 0);
  EXPECT_EQ(s.IconDir, folder + "icons/");
  EXPECT_EQ(s.Maxicons, 0);
  EXPECT_EQ(s.TestDir, folder);
  EXPECT_EQ(s.ChartDir, folder + "charts/");
  EXPECT_EQ(s.Windtop, 0);
  EXPECT_EQ(s.Windleft, 0);
  EXPECT_EQ(s.MainWindowState, 2);
  EXPECT_TRUE(s.Toolbar);
  EXPECT_FALSE(s.Rulers);
  EXPECT_FALSE(s.Crosshairs);
  EXPECT_EQ(s.NMEAOutput, "0");
  EXPECT_EQ(s.Autopilot, "0");
  EXPECT_EQ(s.Decimals, "3");
  EXPECT_EQ(s.decimals(), 3);
  EXPECT_TRUE(s.Database.startsWith(folder + "gps."));
  for (const QString* dir : {&s.LastCHIImportDir, &s.LastCHIExportDir, &s.LastBSBImportDir, &s.LastNKFImportDir,
                             &s.LastCalibDir})
    EXPECT_TRUE(dir->isEmpty());
  EXPECT_EQ(s.Top, "0");
  EXPECT_EQ(s.Left, "0");
  const char* talkers[] = {"$GP", "$AP", "$RA", "$DE", "$LC", "$II"};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s.NMEAIn[i], "1111111111111111111111");
    EXPECT_EQ(s.NMEAOut[i], "1111111111111111111111");
    EXPECT_EQ(s.AllNMEA[i], "0");
    EXPECT_EQ(s.IDIn[i], talkers[i]);
    EXPECT_EQ(s.IDOut[i], talkers[i]);
  }
  // "Statusbar": panels 7..13 hidden
  for (int panel = 1; panel <= 16; ++panel) {
    SCOPED_TRACE(panel);
    EXPECT_EQ(s.StatusbarVisible[panel - 1], panel < 7 || panel > 13);
  }
  EXPECT_EQ(s.XTiles, "6");
  EXPECT_EQ(s.YTiles, "5");
  // One instrument port at 4800 baud on port 1.
  EXPECT_EQ(s.Ports, "1");
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const PortSettings& p = s.Comm[i];
    EXPECT_EQ(p.Baudrate, "4800");
    EXPECT_EQ(p.Bits, "8");
    EXPECT_EQ(p.Parity, "N");
    EXPECT_EQ(p.Paritybits, "1");
    EXPECT_EQ(p.Port, "1");
    EXPECT_EQ(p.Handshake, 0);
  }
  EXPECT_EQ(s.Comm[0].settingsText(), "4800,N,8,1");
  EXPECT_EQ(s.ShipsPort.Baudrate, "4800");
  EXPECT_EQ(s.ShipsPort.Bits, "8");
  EXPECT_EQ(s.ShipsPort.Parity, "N");
  EXPECT_EQ(s.ShipsPort.Paritybits, "1");
  EXPECT_EQ(s.ShipsPort.Port, "2");
  EXPECT_EQ(s.ShipsPort.Handshake, 2);
  EXPECT_EQ(s.ShipsCommunication, "0");
  EXPECT_EQ(s.AnchorWatch, "0.07");
  EXPECT_TRUE(s.ChartTrack);
  EXPECT_TRUE(s.ChartTracking);
  EXPECT_FALSE(s.ChartCircles);
  EXPECT_TRUE(s.ChartLast.isEmpty());
  EXPECT_EQ(s.ChartAccuracy, "100");
  EXPECT_TRUE(s.SearchScale);
  EXPECT_TRUE(s.SoundEnabled);
  EXPECT_EQ(s.SoundWelcome, "WELCOME.WAV");
  EXPECT_EQ(s.SoundGoodbye, "GOODBYE.WAV");
  EXPECT_EQ(s.SoundAnchor, "ANCHOR.WAV");
  EXPECT_EQ(s.SoundApproach, "APPROACH.WAV");
  EXPECT_EQ(s.SoundProximity, "PROXIM.WAV");
  const int colors[] = {65280, 255, 16711680, 16711680, 0, 255, 255, 255, 255};
  const int widths[] = {1, 2, 2, 1, 1, 1, 1, 1, 2};
  for (int i = 0; i < kOverlayCount; ++i) {
    SCOPED_TRACE(kOverlayKeys[i]);
    EXPECT_EQ(s.Styles[i].color, colors[i]);
    EXPECT_EQ(s.Styles[i].width, widths[i]);
  }
  EXPECT_TRUE(s.WaveAtlasPath.isEmpty());
  EXPECT_EQ(s.WaveAtlasParameter, "HS");
  EXPECT_EQ(s.WaveAtlasWindSpeed, 4);
  EXPECT_EQ(s.WaveAtlasWindDir, "NN");
  for (const GraphSettings& g : s.Graphs) {
    EXPECT_EQ(g.left, 0);
    EXPECT_EQ(g.top, 0);
    EXPECT_EQ(g.width, 6550);
    EXPECT_EQ(g.height, 4650);
    EXPECT_EQ(g.interval, 1);
    EXPECT_EQ(g.min, 1);
    EXPECT_EQ(g.max, 100);
    EXPECT_EQ(g.length, 1);
  }
  for (float d : s.compass.DeviationTable) EXPECT_EQ(d, 0);
  EXPECT_TRUE(s.ToolbarButtons);
  EXPECT_TRUE(s.ToolbarLayout.empty());
  EXPECT_TRUE(s.GotoAlarm);
  EXPECT_DOUBLE_EQ(s.GotoAlarmDistance, 0.001);
  EXPECT_FALSE(s.GotoAutomatic);
  EXPECT_DOUBLE_EQ(s.GotoTurnDistance, 0.001);
  EXPECT_FALSE(s.GotoAutoPilot);
  EXPECT_EQ(s.GotoTalkerID, "GP");
  EXPECT_FALSE(s.GotoAAM);
  EXPECT_TRUE(s.GotoAPB);
  EXPECT_FALSE(s.GotoAPA);
  EXPECT_FALSE(s.GotoBOD);
  EXPECT_FALSE(s.GotoBWC);
  EXPECT_TRUE(s.GotoXTE);
  EXPECT_FALSE(s.GotoVTG);
  EXPECT_EQ(s.SystemDB, "None");
  // The System row defaults and what follows from them.
  EXPECT_EQ(s.system.ellipse, 39);
  EXPECT_DOUBLE_EQ(s.system.trackInterval, 60);
  EXPECT_DOUBLE_EQ(s.system.logInterval, 1800);
  EXPECT_EQ(s.system.units, "Nm");
  EXPECT_EQ(s.units.UnitFactor, 1.0f);
  EXPECT_EQ(s.LocalTimeOffset(), 0);
}

TEST_F(SettingsFile, SystemRowSetsUnitsAndVariation) {
  AppSettings s;
  SystemSettings row;
  row.units = "Km";
  row.variation = -2.5;
  row.localTime = -3;
  s.applySystem(row);
  EXPECT_EQ(s.units.UnitFactor, 1.852f);
  EXPECT_EQ(s.units.speedLabel(), "Km/h");
  EXPECT_EQ(s.compass.UserVariation, -2.5f);
  EXPECT_EQ(s.LocalTimeOffset(), -3);
}

TEST_F(SettingsFile, SaveAndLoadRoundTrip) {
  AppSettings s = loadFresh();
  s.AutoScroll = false;
  s.AutoScrollSpeed = 7;
  s.ViewMargin = "0.4";
  s.IconDir = "C:\\GPS\\icons\\";  // Windows paths from old settings keep their backslashes
  s.Decimals = "5";
  s.Width = "1024";
  s.Height = "768";
  s.NMEAIn[3] = "1010101010101010101010";
  s.IDOut[5] = "$XX";
  s.StatusbarVisible[0] = false;
  s.StatusbarVisible[8] = true;
  s.Comm[2].Baudrate = "38400";
  s.Comm[2].Port = "/dev/ttyUSB0";
  s.Comm[2].Handshake = 2;
  s.Ports = "3";
  s.ShipsPort.Port = "/dev/ttyS1";
  s.AnchorWatch = "0.125";
  s.ChartLast = "Bay, north part; 1:50000.kap";  // commas and semicolons in a value
  s.ChartCircles = true;
  s.Styles[static_cast<int>(Overlay::Radar)] = {0x123456, 4};
  s.Graphs[2].max = 250;
  s.compass.DeviationTable[3] = -2.5f;
  s.compass.DeviationTable[15] = 1.25f;
  s.ToolbarLayout = {0, -2, 5, -1, -3};
  s.GotoAlarmDistance = 0.25;
  s.GotoTurnDistance = 0.0004;
  s.GotoVTG = true;
  s.GotoTalkerID = "II";
  s.WaveAtlasPath = "/data/waves atlas";
  s.SoundEnabled = false;
  {
    SettingsStore ini(iniPath());
    s.save(ini);
    ini.sync();
  }
  const AppSettings r = loadFresh();
  EXPECT_FALSE(r.AutoScroll);
  EXPECT_EQ(r.AutoScrollSpeed, 7);
  EXPECT_EQ(r.ViewMargin, "0.4");
  EXPECT_EQ(r.IconDir, "C:\\GPS\\icons\\");
  EXPECT_EQ(r.decimals(), 5);
  EXPECT_EQ(r.Width, "1024");
  EXPECT_EQ(r.Height, "768");
  EXPECT_EQ(r.NMEAIn[3], "1010101010101010101010");
  EXPECT_EQ(r.IDOut[5], "$XX");
  EXPECT_EQ(r.StatusbarVisible, s.StatusbarVisible);
  EXPECT_EQ(r.Comm[2].Baudrate, "38400");
  EXPECT_EQ(r.Comm[2].Port, "/dev/ttyUSB0");
  EXPECT_EQ(r.Comm[2].Handshake, 2);
  EXPECT_EQ(r.Ports, "3");
  EXPECT_EQ(r.ShipsPort.Port, "/dev/ttyS1");
  EXPECT_EQ(r.AnchorWatch, "0.125");
  EXPECT_EQ(r.ChartLast, "Bay, north part; 1:50000.kap");
  EXPECT_TRUE(r.ChartCircles);
  EXPECT_EQ(r.Styles[static_cast<int>(Overlay::Radar)].color, 0x123456);
  EXPECT_EQ(r.Styles[static_cast<int>(Overlay::Radar)].width, 4);
  EXPECT_EQ(r.Graphs[2].max, 250);
  EXPECT_EQ(r.compass.DeviationTable[3], -2.5f);
  EXPECT_EQ(r.compass.DeviationTable[15], 1.3f);  // saved with "#0.0"
  EXPECT_EQ(r.ToolbarLayout, s.ToolbarLayout);
  EXPECT_DOUBLE_EQ(r.GotoAlarmDistance, 0.25);
  EXPECT_DOUBLE_EQ(r.GotoTurnDistance, 0);  // "#0.000" keeps three decimals
  EXPECT_TRUE(r.GotoVTG);
  EXPECT_EQ(r.GotoTalkerID, "II");
  EXPECT_EQ(r.WaveAtlasPath, "/data/waves atlas");
  EXPECT_FALSE(r.SoundEnabled);

  // Booleans are stored as "-1" and "0", distances with three decimals.
  SettingsStore raw(iniPath());
  EXPECT_EQ(raw.get("GPS", "AutoScroll"), "0");
  EXPECT_EQ(raw.get("Chart", "Circles"), "-1");
  EXPECT_EQ(raw.get("Anchor", "Watch"), "0.125");
  EXPECT_EQ(raw.get("GOTO", "AlarmDistance"), "0.250");
  EXPECT_EQ(raw.get("Deviation", "4"), "-2.5");
  EXPECT_EQ(raw.get("Deviation", "1"), "0.0");
}

TEST_F(SettingsFile, ToolbarLayoutShrinksWhenSavedShorter) {
  AppSettings s;
  s.ToolbarLayout = {1, 2, 3, 4, 5};
  {
    SettingsStore ini(iniPath());
    s.save(ini);
    s.ToolbarLayout = {9, 8};
    s.save(ini);
    ini.sync();
  }
  EXPECT_EQ(loadFresh().ToolbarLayout, (std::vector<int>{9, 8}));
}

// Section and key names are found without regard to case: old settings have "GoTo"
// where the program reads "GOTO".
TEST_F(SettingsFile, SectionAndKeyNamesIgnoreCase) {
  writeIni("[GoTo]\nalarm=0\nalarmdistance=0.5\nTALKERID=EC\n[statusBAR]\n1=0\n9=-1\n[comm2]\nbaudrate=9600\n");
  const AppSettings s = loadFresh();
  EXPECT_FALSE(s.GotoAlarm);
  EXPECT_DOUBLE_EQ(s.GotoAlarmDistance, 0.5);
  EXPECT_EQ(s.GotoTalkerID, "EC");
  EXPECT_FALSE(s.StatusbarVisible[0]);
  EXPECT_TRUE(s.StatusbarVisible[8]);
  EXPECT_EQ(s.Comm[1].Baudrate, "9600");

  // Writing under another spelling updates the existing entry instead of adding one.
  {
    SettingsStore ini(iniPath());
    ini.set("GOTO", "TalkerID", "GP");
    ini.sync();
    EXPECT_EQ(ini.get("goto", "talkerid"), "GP");
    EXPECT_EQ(ini.sections().filter(QRegularExpression("^goto$", QRegularExpression::CaseInsensitiveOption)).size(), 1);
    EXPECT_EQ(ini.keys("GOTO").filter(QRegularExpression("^talkerid$", QRegularExpression::CaseInsensitiveOption)).size(), 1);
  }
  EXPECT_FALSE(readIni().contains("[GOTO]"));
}

// Text where a number belongs reads as the numeric conversion does (0 or the leading
// number), never a crash.
TEST_F(SettingsFile, TextWhereNumbersBelongReadsZero) {
  writeIni("[GPS]\nAutoScrollSpeed=abc\nZoomMode=2x\nMaxicons=\nDecimals=lots\nViewMargin=wide\n"
           "Toolbar=maybe\n[COMM]\nHandshake=RTS\n[Colors]\nWaypoints=green\n[Graph1]\nGraph_max=1e99\n"
           "[Deviation]\n1=east\n2=1.5\n[GOTO]\nAlarmDistance=far\n[Toolbar]\nButton1=x\nButton2=3\n");
  const AppSettings s = loadFresh();
  EXPECT_EQ(s.AutoScrollSpeed, 0);
  EXPECT_EQ(s.ZoomMode, 2);
  EXPECT_EQ(s.Maxicons, 0);
  EXPECT_EQ(s.decimals(), 0);
  EXPECT_DOUBLE_EQ(s.viewMargin(), 0);
  EXPECT_FALSE(s.Toolbar);
  EXPECT_EQ(s.Comm[0].Handshake, 0);
  EXPECT_EQ(s.style(Overlay::Waypoints).color, 0);
  EXPECT_EQ(s.Graphs[0].max, 0);
  EXPECT_EQ(s.compass.DeviationTable[0], 0);
  EXPECT_EQ(s.compass.DeviationTable[1], 1.5f);
  EXPECT_DOUBLE_EQ(s.GotoAlarmDistance, 0);
  EXPECT_EQ(s.ToolbarLayout, (std::vector<int>{0, 3}));
}

// A value holding a comma (written by hand or by another program, unquoted) survives
// as it was written, blanks after the comma included.
TEST_F(SettingsFile, ValueWithCommaSurvives) {
  writeIni("[Chart]\nLast=Bay, north.kap\n[GPS]\nChartDir=/charts/a,b\n[COMM]\nPort=4800,N,8,1\n");
  const AppSettings s = loadFresh();
  EXPECT_EQ(s.ChartLast, "Bay, north.kap");
  EXPECT_EQ(s.ChartDir, "/charts/a,b");
  EXPECT_EQ(s.Comm[0].Port, "4800,N,8,1");
  // And a round trip through the program keeps it.
  {
    SettingsStore ini(iniPath());
    s.save(ini);
    ini.sync();
  }
  EXPECT_EQ(loadFresh().ChartLast, "Bay, north.kap");
}

TEST_F(SettingsFile, StoreBasics) {
  SettingsStore ini(iniPath());
  EXPECT_FALSE(ini.contains("Chart", "Last"));
  EXPECT_EQ(ini.get("Chart", "Last", "dflt"), "dflt");
  EXPECT_EQ(ini.getInt("Chart", "Accuracy", 100), 100);
  EXPECT_TRUE(ini.getBool("Chart", "Track", true));
  ini.set("Chart", "Last", "x.kap");
  ini.setBool("Chart", "Track", false);
  ini.setInt("Chart", "Accuracy", 42);
  ini.set("Chart", "Empty", "");
  EXPECT_TRUE(ini.contains("CHART", "LAST"));
  EXPECT_EQ(ini.get("Chart", "Empty", "dflt"), "");  // present but empty is not missing
  EXPECT_FALSE(ini.getBool("chart", "track", true));
  EXPECT_EQ(ini.getInt("chart", "accuracy", 0), 42);
  ini.set("Chart", "Big", "99999999999");
  EXPECT_EQ(ini.getInt("Chart", "Big", 7), 0);
  ini.set("Chart", "B", "true");
  EXPECT_TRUE(ini.getBool("Chart", "B", false));
  ini.set("Chart", "B", "FALSE");
  EXPECT_FALSE(ini.getBool("Chart", "B", true));
  ini.set("Chart", "B", "1");
  EXPECT_TRUE(ini.getBool("Chart", "B", false));
  ini.remove("chart", "last");
  EXPECT_FALSE(ini.contains("Chart", "Last"));
  ini.removeSection("CHART");
  EXPECT_TRUE(ini.keys("Chart").isEmpty());
  EXPECT_EQ(ini.path(), iniPath());
}

// A damaged settings file must not stop the program: what can be read is read, the
// rest keeps its default.
TEST_F(SettingsFile, DamagedFileFallsBackToDefaults) {
  static const char damaged[] = "\x00\xff\xfe[GPS\nAutoScrollSpeed\n=5\n[[x]]\n\n[GPS]\nDecimals=4\n";
  writeIni(QByteArray(damaged, sizeof damaged - 1));
  const AppSettings s = loadFresh();
  EXPECT_EQ(s.decimals(), 4);
  EXPECT_EQ(s.Comm[0].Baudrate, "4800");
}

TEST(SlashOptions, PiecesSelectOptionsByFirstLetter) {
  const struct {
    const char* line;
    const char* user;
    const char* password;
    bool c, s, l;
  } rows[] = {
      {"/u:skipper /p:x /c", "skipper", "x", true, false, false},
      {"/U:Skipper /P:Secret /C /S /L", "Skipper", "Secret", true, true, true},  // values keep their case
      {"  /uskipper  /pword ", "skipper", "word", false, false, false},          // ":" is optional
      {"/x /y:z /s", "", "", false, true, false},    // other letters are ignored
      {"u:skipper c", "", "", false, false, false},  // no "/": the line is ignored
      {"", "", "", false, false, false},
      {"tavrik.exe /c", "", "", true, false, false},  // text before the first "/" is no option
      {"//c/", "", "", true, false, false},
      {"/u", "", "", false, false, false},
      {"/u: two words /c", "two words", "", true, false, false},
      {"/communication /load", "", "", true, false, true},
      {"/p:a:b", "", "a:b", false, false, false},  // only one leading ":" is dropped
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    const SlashOptions o = parseSlashOptions(QString::fromLatin1(r.line));
    EXPECT_EQ(o.user.toStdString(), r.user);
    EXPECT_EQ(o.password.toStdString(), r.password);
    EXPECT_EQ(o.startCommunication, r.c);
    EXPECT_EQ(o.searchChart, r.s);
    EXPECT_EQ(o.loadLastChart, r.l);
  }
}

}  // namespace
}  // namespace tavrik
