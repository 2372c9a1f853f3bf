// The logbook's windows in a main window offscreen: the Log menu and its timer, the
// log-text window, chooser to list to CSV, the printout into a PDF read back by
// pdftotext, the graphs and their setup, the instrument windows during a replay.
// With TAVRIK_SHOTS=DIR set, each window is also saved there as a PNG to look at.

#include <QAction>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QValueAxis>
#include <gtest/gtest.h>

#include "test_data.h"

#include "core/messages.h"
#include "core/toolbar_layout.h"
#include "core/ui/main_window.h"
#include "log/ui/graph_window.h"
#include "log/ui/instrument_windows.h"
#include "log/ui/log_chooser_window.h"
#include "log/ui/log_list_window.h"
#include "log/ui/log_windows.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

using test::TestApp;

struct Frame {
  Frame() {
    EXPECT_TRUE(app().openDatabase({}));
    app().loadSystemSettings();
    registerLogWindows(app());
    installLogbook(app(), window);
    if (!qgetenv("TAVRIK_SHOTS").isEmpty()) {
      window.resize(1400, 900);
      window.show();
    }
  }
  App& app() { return *t; }
  template <class T>
  T* open(const char* name) {
    return qobject_cast<T*>(window.openWindow(QLatin1String(name)));
  }
  QAction* action(const char* name) { return window.findChild<QAction*>(QLatin1String(name)); }
  // One second of the program: the receive cycle, the main cycle, the log timer.
  void second() {
    app().receiver.tick();
    t.clock.advanceSecs(1);
    app().cycle.tick();
    if (window.findChild<QTimer*>("logtimer")->isActive()) app().logbook.tick();
  }
  void shot(QWidget* w, const char* name) {
    const QByteArray dir = qgetenv("TAVRIK_SHOTS");
    if (dir.isEmpty()) return;
    if (auto* frame = w->parentWidget()) frame->resize(frame->size().expandedTo(w->sizeHint() + QSize(20, 40)));
    w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
  }
  TestApp t;
  MainWindow window{*t};
};

TEST(LogWindows, MenuStartsAndStopsTheLogAndTheLogTextWindowQueuesItsEntry) {
  Frame f;
  QTimer* timer = f.window.findChild<QTimer*>("logtimer");
  f.action("l_start")->trigger();
  EXPECT_TRUE(timer->isActive());
  EXPECT_FALSE(f.action("l_start")->isEnabled());
  EXPECT_TRUE(f.action("l_stop")->isEnabled());
  auto* text = f.open<LogTextWindow>("gpsltext");
  ASSERT_TRUE(text);
  auto* types = text->findChild<QComboBox*>("Combo1");
  for (int i = 0; i < types->count(); ++i) EXPECT_NE(types->itemText(i), "GPS");  // the program's own types hidden
  types->setEditText("Sail change");
  text->findChild<QTextEdit*>("ltext")->setPlainText("Genoa to jib");
  text->findChild<QPushButton*>("Command1")->click();
  f.second();
  f.action("l_stop")->trigger();
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(f.app().panels[Panel::Logging], "Log is stopped");
  const auto rows = f.app().db.rows(
      "SELECT t.description, Log.memo FROM Log LEFT JOIN [Log entry types] t ON t.[Entry type] = Log.[Entry type] "
      "ORDER BY Log.rowid");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1].toString(), "Start logging");
  EXPECT_EQ(rows[1][0].toString(), "Sail change");
  EXPECT_EQ(rows[1][1].toString(), "Genoa to jib");
  // The toolbar buttons of the logbook's windows are there now.
  for (int button : {3, 5, 6, 7, 8, 9, 10}) EXPECT_TRUE(f.window.buttonAvailable(button)) << button;
}

TEST(LogWindows, ChooserListsTheDayAndExportsCsv) {
  Frame f;
  for (int i = 0; i < 3; ++i) {
    f.app().nav.DepthMetres = 4.0f + i;
    f.app().logbook.RaiseLogEntry({"Watch", {}, 0, 0, i == 2 ? "Anchored, all well" : "", false});
    f.second();
  }
  f.app().logbook.RaiseLogEntry({"Engine", {}, 0, 0, {}, false});
  f.second();
  f.window.runCommand("showlog");
  auto* chooser = qobject_cast<LogChooserWindow*>(f.window.findWindow("gpspllog"));
  ASSERT_TRUE(chooser);
  EXPECT_FALSE(chooser->accept());
  EXPECT_EQ(f.t.prompter.lastText(), MessageText(Msg::NoLogEntryType));
  auto* list = chooser->findChild<QListWidget*>("List1");
  for (auto* item : list->findItems("Watch", Qt::MatchExactly)) item->setSelected(true);
  chooser->findChild<QLineEdit*>("toh")->setText("tea time");
  EXPECT_FALSE(chooser->accept());
  EXPECT_EQ(f.t.prompter.lastText(), MessageText(Msg::WrongDateOrTime));
  chooser->findChild<QLineEdit*>("toh")->setText("23:59");
  ASSERT_TRUE(chooser->accept());
  auto* shown = qobject_cast<LogListWindow*>(f.window.findWindow("gpslshow"));
  ASSERT_TRUE(shown);
  ASSERT_EQ(shown->model()->rowCount(), 3);
  EXPECT_EQ(shown->model()->index(1, 8).data().toString(), "5m");
  // Sorting by depth, deepest first.
  shown->view()->sortByColumn(8, Qt::DescendingOrder);
  EXPECT_EQ(shown->view()->model()->index(0, 8).data().toString(), "6m");
  f.shot(shown, "gpslshow");
  const QString csv = f.t.dir.filePath("log.csv");
  ASSERT_TRUE(shown->exportCsv(csv));
  QFile file(csv);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  EXPECT_EQ(lines.size(), 5);  // header, three rows, the empty end
  EXPECT_TRUE(lines[3].contains(",6,") && lines[3].contains("Anchored, all well"));
  EXPECT_FALSE(shown->exportCsv(f.t.dir.filePath("missing/dir/log.csv")));
}

TEST(LogWindows, PrintoutPdfHasOneLinePerEntryAndExtraLinesOnlyForTexts) {
  test::qtApp();  // QPrinter needs the application, also when this test runs alone
  std::vector<LogRow> rows(150);
  for (size_t i = 0; i < rows.size(); ++i) {
    rows[i].type = "Watch";
    rows[i].date = QDateTime(QDate(2026, 6, 2), QTime(0, 0).addSecs(static_cast<int>(i) * 60));
    rows[i].depthM = 3.25;
  }
  rows[1].memo = "Reefed at the buoy";
  rows[2].position = "Harbour entrance";
  const QString pdf = QDir::temp().filePath("tavrik_log_printout.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  printer.setPageOrientation(QPageLayout::Landscape);
  int pages = 0;
  {
    QPainter painter(&printer);
    pages = printLog(painter, printer, rows, Units::fromSetting("Nm"), GridNotation());
  }
  EXPECT_GE(pages, 2);  // 150 entries do not fit one page
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  ASSERT_TRUE(text.waitForFinished(10000));
  const QString out = QString::fromUtf8(text.readAllStandardOutput());
  EXPECT_EQ(out.count("Watch"), 150);
  EXPECT_EQ(out.count("3.3m"), 150);  // "0.0" rounds 3.25 half away from zero
  EXPECT_EQ(out.count("Reefed at the buoy"), 1);
  EXPECT_EQ(out.count("Position: Harbour entrance"), 1);
  EXPECT_EQ(out.count("Position:"), 1);  // an empty position prints no line
  if (qgetenv("TAVRIK_SHOTS").isEmpty()) QFile::remove(pdf);
}

TEST(LogWindows, GraphsDrawTheirOwnHistoryClampedAndSetupStopsAtTheFirstRefusal) {
  Frame f;
  f.app().settings.Graphs[2] = {0, 0, 6550, 4650, 7, 0, 100, 1};
  f.app().graphs.resize();
  NavigationState& nav = f.app().nav;
  nav.received(Sentence::DBT) = 1;
  nav.received(Sentence::MTW) = 1;
  for (int m = 0; m < 63; ++m) {
    nav.DepthMetres = 80.0f + m;
    nav.WaterTemperature = 12 + m * 0.05f;
    f.app().cycle.minuteTick();
  }
  auto* depth = f.open<GraphWindow>("gpsgrapd");
  auto* temperature = f.open<GraphWindow>("gpsgrapt");
  ASSERT_TRUE(depth && temperature);
  EXPECT_EQ(depth->windowTitle(), "Depth");
  EXPECT_EQ(temperature->windowTitle(), "Temperature");
  ASSERT_EQ(depth->series()->count(), 9);
  EXPECT_EQ(depth->series()->at(8).y(), 100);  // 142 m drawn at the maximum
  EXPECT_EQ(depth->valueAxis()->max(), 100);
  EXPECT_EQ(temperature->series()->count(), 60);
  f.shot(depth, "gpsgrapd");
  f.shot(temperature, "gpsgrapt");
  f.shot(f.open<GraphWindow>("gpsgrapp"), "gpsgrapp");

  auto* setup = f.open<GraphSetupWindow>("gpsgset");
  ASSERT_TRUE(setup);
  setup->findChild<QLineEdit*>("interval")->setText("3");
  setup->selectGraph(1);
  setup->findChild<QLineEdit*>("min")->setText("1050");
  setup->findChild<QLineEdit*>("max")->setText("950");
  EXPECT_FALSE(setup->accept());
  EXPECT_EQ(f.t.prompter.lastText(), MessageText(Msg::MinimumLessMaximum));
  EXPECT_EQ(f.app().settings.Graphs[0].interval, 3);  // stored before the refusal
  EXPECT_EQ(f.app().settings.Graphs[1].min, 1);       // the refused graph unchanged
  EXPECT_EQ(f.app().graphs.values(0).size(), 20u);
}

TEST(LogWindows, InstrumentsAndWindDuringAReplay) {
  Frame f;
  f.app().receiver.beginSession();
  QFile capture(testDataFile("nmea/irene-20150429-NMEA0036.TXT"));
  ASSERT_TRUE(capture.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = capture.readAll().split('\n');
  auto* instruments = f.open<InstrumentsWindow>("gpsinstr");
  auto* wind = f.open<WindDisplayWindow>("gpsswind");
  ASSERT_TRUE(instruments && wind);
  for (int i = 0; i < 330 && i < lines.size(); ++i) {
    f.app().receiver.inject(0, lines[i].toStdString() + "\n");
    if (i % 11 == 10) f.second();
  }
  instruments->refresh();
  wind->refresh();
  EXPECT_EQ(instruments->value("temp"), FormatTemperature(9.0f));
  EXPECT_FALSE(instruments->value("elapsed").isEmpty());
  EXPECT_EQ(wind->value("a_force"), QString::number(Beaufort(f.app().nav.WindSpeed)) + " Bf");
  f.shot(instruments, "gpsinstr");
  f.shot(wind, "gpsswind");
  instruments->findChild<QPushButton*>("Command1")->click();
  EXPECT_EQ(f.app().nav.TripDistance, 0);

  auto* calculator = f.open<WindCalculatorWindow>("gpswind");
  calculator->findChild<QLineEdit*>("h")->setText("90");
  calculator->findChild<QLineEdit*>("s")->setText("6");
  calculator->findChild<QLineEdit*>("wst")->setText("0");
  calculator->findChild<QPushButton*>("cmdApparent")->click();
  EXPECT_EQ(calculator->findChild<QLineEdit*>("wha")->text(), "90");
  EXPECT_EQ(calculator->findChild<QLineEdit*>("wsa")->text(), "6.0");
  f.shot(calculator, "gpswind");

  auto* deviation = f.open<DeviationWindow>("gpsdev");
  deviation->entry(3)->setText("360");
  deviation->entry(4)->setText("2.5");
  EXPECT_FALSE(deviation->accept());
  EXPECT_EQ(f.app().settings.compass.DeviationTable[4], 0.0f);
  deviation->entry(3)->setText("-3");
  EXPECT_TRUE(deviation->accept());
  EXPECT_EQ(f.app().settings.compass.DeviationTable[4], 2.5f);
}

}  // namespace
}  // namespace tavrik
