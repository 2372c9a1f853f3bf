#include "core/app_settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/command_line.h"
#include "core/settings_store.h"

namespace tavrik {
namespace {

// A settings value by its name, for tables of fields: {FIELD(s, AutoScroll), true}.
#define FIELD(settings, f) #f, QVariant::fromValue((settings).f)

struct FieldRow {
  const char* name;
  QVariant actual, expected;
};

void expectFields(std::initializer_list<FieldRow> rows) {
  for (const FieldRow& r : rows)
    EXPECT_TRUE(r.actual == r.expected) << r.name << " is " << r.actual.toString().toStdString() << ", not "
                                        << r.expected.toString().toStdString();
}

class SettingsFile : public ::testing::Test {
 protected:
  QString iniPath() const { return m_dir.filePath("GPS.ini"); }
  AppPaths paths() const { return AppPaths::inFolder(m_dir.path()); }
  void writeIni(const QByteArray& text) {
    QFile f(iniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  void save(const AppSettings& s) {
    SettingsStore ini(iniPath());
    s.save(ini);
    ini.sync();
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
  EXPECT_TRUE(s.Database.startsWith(folder + "gps."));
  expectFields({
      {FIELD(s, AutoScroll), true}, {FIELD(s, AutoScrollSpeed), 3}, {FIELD(s, CrosshairColor), 0},
      {FIELD(s, CrosshairInverse), false}, {FIELD(s, ShowTip), true}, {FIELD(s, CenterChart), true},
      {FIELD(s, ViewMargin), "0.25"}, {FIELD(s, viewMargin()), 0.25}, {FIELD(s, ZoomMode), 0},
      {FIELD(s, IconDir), folder + "icons/"}, {FIELD(s, Maxicons), 0}, {FIELD(s, TestDir), folder},
      {FIELD(s, ChartDir), folder + "charts/"}, {FIELD(s, Windtop), 0}, {FIELD(s, Windleft), 0},
      {FIELD(s, MainWindowState), 2}, {FIELD(s, Toolbar), true}, {FIELD(s, Rulers), false},
      {FIELD(s, Crosshairs), false}, {FIELD(s, NMEAOutput), "0"}, {FIELD(s, Autopilot), "0"},
      {FIELD(s, Decimals), "3"}, {FIELD(s, decimals()), 3}, {FIELD(s, LastCHIImportDir), ""},
      {FIELD(s, LastCHIExportDir), ""}, {FIELD(s, LastBSBImportDir), ""}, {FIELD(s, LastNKFImportDir), ""},
      {FIELD(s, LastCalibDir), ""}, {FIELD(s, Top), "0"}, {FIELD(s, Left), "0"}, {FIELD(s, XTiles), "6"},
      {FIELD(s, YTiles), "5"}, {FIELD(s, Ports), "1"}, {FIELD(s, ShipsCommunication), "0"},
      {FIELD(s, AnchorWatch), "0.07"}, {FIELD(s, ChartTrack), true}, {FIELD(s, ChartTracking), true},
      {FIELD(s, ChartCircles), false}, {FIELD(s, ChartLast), ""}, {FIELD(s, ChartAccuracy), "100"},
      {FIELD(s, SearchScale), true}, {FIELD(s, SoundEnabled), true}, {FIELD(s, SoundWelcome), "WELCOME.WAV"},
      {FIELD(s, SoundGoodbye), "GOODBYE.WAV"}, {FIELD(s, SoundAnchor), "ANCHOR.WAV"},
      {FIELD(s, SoundApproach), "APPROACH.WAV"}, {FIELD(s, SoundProximity), "PROXIM.WAV"},
      {FIELD(s, WaveAtlasPath), ""}, {FIELD(s, WaveAtlasParameter), "HS"}, {FIELD(s, WaveAtlasWindSpeed), 4},
      {FIELD(s, WaveAtlasWindDir), "NN"}, {FIELD(s, ToolbarButtons), true}, {FIELD(s, GotoAlarm), true},
      {FIELD(s, GotoAlarmDistance), 0.001}, {FIELD(s, GotoAutomatic), false}, {FIELD(s, GotoTurnDistance), 0.001},
      {FIELD(s, GotoAutoPilot), false}, {FIELD(s, GotoTalkerID), "GP"}, {FIELD(s, GotoAAM), false},
      {FIELD(s, GotoAPB), true}, {FIELD(s, GotoAPA), false}, {FIELD(s, GotoBOD), false}, {FIELD(s, GotoBWC), false},
      {FIELD(s, GotoXTE), true}, {FIELD(s, GotoVTG), false}, {FIELD(s, SystemDB), "None"},
      // The System row defaults and what follows from them.
      {FIELD(s, system.ellipse), 39}, {FIELD(s, system.trackInterval), 60.0}, {FIELD(s, system.logInterval), 1800.0},
      {FIELD(s, system.units), "Nm"}, {FIELD(s, units.UnitFactor), 1.0f}, {FIELD(s, LocalTimeOffset()), 0},
  });
  EXPECT_TRUE(s.ToolbarLayout.empty());
  const char* talkers[] = {"$GP", "$AP", "$RA", "$DE", "$LC", "$II"};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    expectFields({{FIELD(s, NMEAIn[i]), "1111111111111111111111"}, {FIELD(s, NMEAOut[i]), "1111111111111111111111"},
                  {FIELD(s, AllNMEA[i]), "0"}, {FIELD(s, IDIn[i]), talkers[i]}, {FIELD(s, IDOut[i]), talkers[i]}});
  }
  for (int panel = 1; panel <= 16; ++panel)  // panels 7..13 hidden
    EXPECT_EQ(s.StatusbarVisible[panel - 1], panel < 7 || panel > 13) << panel;
  // Instrument ports at 4800 baud on port 1; the ships' port on port 2 with RTS/CTS.
  for (const PortSettings* p : {&s.Comm[0], &s.Comm[1], &s.Comm[2], &s.Comm[3], &s.ShipsPort}) {
    const bool ships = p == &s.ShipsPort;
    SCOPED_TRACE(ships ? 4 : p - &s.Comm[0]);
    EXPECT_EQ(p->settingsText(), "4800,N,8,1");
    EXPECT_EQ(p->Baudrate + p->Bits + p->Parity + p->Paritybits, "48008N1");
    EXPECT_EQ(p->Port, ships ? "2" : "1");
    EXPECT_EQ(p->Handshake, ships ? 2 : 0);
  }
  const int colors[] = {65280, 255, 16711680, 16711680, 0, 255, 255, 255, 255};
  const int widths[] = {1, 2, 2, 1, 1, 1, 1, 1, 2};
  for (int i = 0; i < kOverlayCount; ++i) {
    EXPECT_EQ(s.Styles[i].color, colors[i]) << kOverlayKeys[i];
    EXPECT_EQ(s.Styles[i].width, widths[i]) << kOverlayKeys[i];
  }
  for (const GraphSettings& g : s.Graphs) {
    const int got[] = {g.left, g.top, g.width, g.height, g.interval, g.min, g.max, g.length};
    EXPECT_EQ(std::vector<int>(std::begin(got), std::end(got)), (std::vector<int>{0, 0, 6550, 4650, 1, 1, 100, 1}));
  }
  for (float d : s.compass.DeviationTable) EXPECT_EQ(d, 0);
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
  save(s);
  const AppSettings r = loadFresh();
  expectFields({
      {FIELD(r, AutoScroll), false}, {FIELD(r, AutoScrollSpeed), 7}, {FIELD(r, ViewMargin), "0.4"},
      {FIELD(r, IconDir), "C:\\GPS\\icons\\"}, {FIELD(r, decimals()), 5}, {FIELD(r, Width), "1024"},
      {FIELD(r, Height), "768"}, {FIELD(r, NMEAIn[3]), "1010101010101010101010"}, {FIELD(r, IDOut[5]), "$XX"},
      {FIELD(r, Comm[2].Baudrate), "38400"}, {FIELD(r, Comm[2].Port), "/dev/ttyUSB0"},
      {FIELD(r, Comm[2].Handshake), 2}, {FIELD(r, Ports), "3"}, {FIELD(r, ShipsPort.Port), "/dev/ttyS1"},
      {FIELD(r, AnchorWatch), "0.125"}, {FIELD(r, ChartLast), "Bay, north part; 1:50000.kap"},
      {FIELD(r, ChartCircles), true}, {FIELD(r, Styles[static_cast<int>(Overlay::Radar)].color), 0x123456},
      {FIELD(r, Styles[static_cast<int>(Overlay::Radar)].width), 4}, {FIELD(r, Graphs[2].max), 250},
      {FIELD(r, compass.DeviationTable[3]), -2.5f},
      {FIELD(r, compass.DeviationTable[15]), 1.3f},  // saved with "#0.0"
      {FIELD(r, GotoAlarmDistance), 0.25},
      {FIELD(r, GotoTurnDistance), 0.0},  // "#0.000" keeps three decimals
      {FIELD(r, GotoVTG), true}, {FIELD(r, GotoTalkerID), "II"}, {FIELD(r, WaveAtlasPath), "/data/waves atlas"},
      {FIELD(r, SoundEnabled), false},
  });
  EXPECT_EQ(r.StatusbarVisible, s.StatusbarVisible);
  EXPECT_EQ(r.ToolbarLayout, s.ToolbarLayout);

  // Booleans are stored as "-1" and "0", distances with three decimals.
  SettingsStore raw(iniPath());
  EXPECT_EQ(raw.get("GPS", "AutoScroll"), "0");
  EXPECT_EQ(raw.get("Chart", "Circles"), "-1");
  EXPECT_EQ(raw.get("Anchor", "Watch"), "0.125");
  EXPECT_EQ(raw.get("GOTO", "AlarmDistance"), "0.250");
  EXPECT_EQ(raw.get("Deviation", "4"), "-2.5");
  EXPECT_EQ(raw.get("Deviation", "1"), "0.0");

  // A shorter toolbar saved over a longer one leaves no buttons of the old one.
  s.ToolbarLayout = {9, 8};
  save(s);
  EXPECT_EQ(loadFresh().ToolbarLayout, (std::vector<int>{9, 8}));
}

// Section and key names are found without regard to case: old settings have "GoTo"
// where the program reads "GOTO".
TEST_F(SettingsFile, SectionAndKeyNamesIgnoreCase) {
  writeIni("[GoTo]\nalarm=0\nalarmdistance=0.5\nTALKERID=EC\n[statusBAR]\n1=0\n9=-1\n[comm2]\nbaudrate=9600\n");
  const AppSettings s = loadFresh();
  expectFields({{FIELD(s, GotoAlarm), false}, {FIELD(s, GotoAlarmDistance), 0.5}, {FIELD(s, GotoTalkerID), "EC"},
                {FIELD(s, StatusbarVisible[0]), false}, {FIELD(s, StatusbarVisible[8]), true},
                {FIELD(s, Comm[1].Baudrate), "9600"}});

  // Writing under another spelling updates the existing entry instead of adding one.
  {
    SettingsStore ini(iniPath());
    ini.set("GOTO", "TalkerID", "GP");
    ini.sync();
    EXPECT_EQ(ini.get("goto", "talkerid"), "GP");
    const auto exactly = [](const char* name) {
      return QRegularExpression(QStringLiteral("^%1$").arg(name), QRegularExpression::CaseInsensitiveOption);
    };
    EXPECT_EQ(ini.sections().filter(exactly("goto")).size(), 1);
    EXPECT_EQ(ini.keys("GOTO").filter(exactly("talkerid")).size(), 1);
  }
  QFile f(iniPath());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_FALSE(f.readAll().contains("[GOTO]"));
}

// Text where a number belongs reads as the numeric conversion does (0 or the leading
// number), never a crash. A damaged file must not stop the program either: what can be
// read is read, the rest keeps its default.
TEST_F(SettingsFile, BrokenValuesAndDamagedFiles) {
  writeIni("[GPS]\nAutoScrollSpeed=abc\nZoomMode=2x\nMaxicons=\nDecimals=lots\nViewMargin=wide\n"
           "Toolbar=maybe\n[COMM]\nHandshake=RTS\n[Colors]\nWaypoints=green\n[Graph1]\nGraph_max=1e99\n"
           "[Deviation]\n1=east\n2=1.5\n[GOTO]\nAlarmDistance=far\n[Toolbar]\nButton1=x\nButton2=3\n");
  AppSettings s = loadFresh();
  expectFields({{FIELD(s, AutoScrollSpeed), 0}, {FIELD(s, ZoomMode), 2}, {FIELD(s, Maxicons), 0},
                {FIELD(s, decimals()), 0}, {FIELD(s, viewMargin()), 0.0}, {FIELD(s, Toolbar), false},
                {FIELD(s, Comm[0].Handshake), 0}, {FIELD(s, style(Overlay::Waypoints).color), 0},
                {FIELD(s, Graphs[0].max), 0}, {FIELD(s, compass.DeviationTable[0]), 0.0f},
                {FIELD(s, compass.DeviationTable[1]), 1.5f}, {FIELD(s, GotoAlarmDistance), 0.0}});
  EXPECT_EQ(s.ToolbarLayout, (std::vector<int>{0, 3}));

  static const char damaged[] = "\x00\xff\xfe[GPS\nAutoScrollSpeed\n=5\n[[x]]\n\n[GPS]\nDecimals=4\n";
  writeIni(QByteArray(damaged, sizeof damaged - 1));
  s = loadFresh();
  EXPECT_EQ(s.decimals(), 4);
  EXPECT_EQ(s.Comm[0].Baudrate, "4800");
}

// A value holding a comma (written by hand or by another program, unquoted) survives
// as it was written, blanks after the comma included, and through a round trip.
TEST_F(SettingsFile, ValueWithCommaSurvives) {
  writeIni("[Chart]\nLast=Bay, north.kap\n[GPS]\nChartDir=/charts/a,b\n[COMM]\nPort=4800,N,8,1\n");
  const AppSettings s = loadFresh();
  expectFields({{FIELD(s, ChartLast), "Bay, north.kap"}, {FIELD(s, ChartDir), "/charts/a,b"},
                {FIELD(s, Comm[0].Port), "4800,N,8,1"}});
  save(s);
  EXPECT_EQ(loadFresh().ChartLast, "Bay, north.kap");
}

// Present but empty is not missing; numbers beyond an int read 0; booleans read
// "true"/"false" in any case and numbers; removal ignores case too.
TEST_F(SettingsFile, StoreReadsTypesAndRemoves) {
  SettingsStore ini(iniPath());
  EXPECT_FALSE(ini.contains("Chart", "Last"));
  EXPECT_EQ(ini.get("Chart", "Last", "dflt"), "dflt");
  EXPECT_EQ(ini.getInt("Chart", "Accuracy", 100), 100);
  EXPECT_TRUE(ini.getBool("Chart", "Track", true));
  ini.set("Chart", "Last", "x.kap");
  ini.setBool("Chart", "Track", false);
  ini.setInt("Chart", "Accuracy", 42);
  ini.set("Chart", "Empty", "");
  ini.set("Chart", "Big", "99999999999");
  EXPECT_TRUE(ini.contains("CHART", "LAST"));
  EXPECT_EQ(ini.get("Chart", "Empty", "dflt"), "");
  EXPECT_FALSE(ini.getBool("chart", "track", true));
  EXPECT_EQ(ini.getInt("chart", "accuracy", 0), 42);
  EXPECT_EQ(ini.getInt("Chart", "Big", 7), 0);
  for (auto [text, value] : {std::pair{"true", true}, {"FALSE", false}, {"1", true}}) {
    ini.set("Chart", "B", text);
    EXPECT_EQ(ini.getBool("Chart", "B", !value), value) << text;
  }
  ini.remove("chart", "last");
  EXPECT_FALSE(ini.contains("Chart", "Last"));
  ini.removeSection("CHART");
  EXPECT_TRUE(ini.keys("Chart").isEmpty());
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
      {"/x /y:z /s", "", "", false, true, false},                                // other letters are ignored
      {"u:skipper c", "", "", false, false, false},                              // no "/": the line is ignored
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
