// The calibration tool driven offscreen on a picture rendered from a real chart:
// three reference points marked and given, saved, and the chart's other reference
// points placed by the chart conversion within a pixel or two.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <gtest/gtest.h>

#include "chart/chart_record.h"
#include "chart/chart_row_store.h"
#include "core/messages.h"
#include "geo/ui/position_control.h"
#include "library/ui/calibration_window.h"
#include "test_data.h"
#include "ui_test_app.h"

using namespace tavrik;

TEST(CalibrationWindow, RenderedChartAgainstItsReferencePoints) {
  test::TestApp t;
  App& app = *t;
  ASSERT_TRUE(app.openDatabase([](const QString&) { return QString(); }));
  constexpr double kZoom = 0.5;
  const QString png = t.dir.filePath("southwest pass.png");
  QProcess render;
  render.start(TAVRIK_BINARY_DIR "/src/chart/tavrik-chart", {"render", testDataFile("charts/11361_2.KAP"), png, "0.5", "0", "0", "747", "1172"});
  ASSERT_TRUE(render.waitForFinished(30000));
  ASSERT_TRUE(QFile::exists(png)) << render.readAllStandardError().toStdString();

  struct Ref {
    double x, y, lat, lon;
  };
  std::vector<Ref> refs;
  QFile f(testDataFile("charts/11361_2.ref.txt"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  for (const QByteArray& line : f.readAll().split('\n')) {
    const QList<QByteArray> v = line.simplified().split(' ');
    if (v.size() == 4) refs.push_back({v[0].toDouble() * kZoom, v[1].toDouble() * kZoom, v[2].toDouble(), v[3].toDouble()});
  }
  ASSERT_EQ(refs.size(), 12u);

  CalibrationWindow w(app);
  w.show();
  w.markAt({10, 10});  // nothing loaded yet
  EXPECT_EQ(t.prompter.entries().back().text, MessageText(Msg::NoChartLoaded));
  EXPECT_FALSE(w.load(t.dir.filePath("old.wmf")));
  ASSERT_TRUE(w.load(png));
  const int used[3] = {1, 3, 2};  // top-left, bottom-right, top-right
  for (int i = 0; i < 3; ++i) {
    const Ref& r = refs[static_cast<size_t>(used[i])];
    w.setTab(i);
    w.markAt(QPoint(static_cast<int>(r.x), static_cast<int>(r.y)));
    w.position(i)->setLatitude(r.lat);
    w.position(i)->setLongitude(r.lon);
  }
  w.findChild<QCheckBox*>("mercator")->setChecked(false);
  EXPECT_FALSE(w.save());
  EXPECT_EQ(t.prompter.entries().back().text, MessageText(Msg::NoDescriptionEntered));
  w.findChild<QLineEdit*>("desc")->setText("Skipper's Rock");
  EXPECT_FALSE(w.save());
  EXPECT_EQ(t.prompter.entries().back().text, MessageText(Msg::NoChartDatum));
  auto* datum = w.findChild<QComboBox*>("datum");
  datum->setCurrentIndex(datum->findText("WGS-84"));
  w.setTab(3);
  w.setMarginOption(1);
  w.markAt({100, 1100});  // bottom margin
  if (QWidget* glas = w.findChild<QLabel*>("glas"); glas && !qEnvironmentVariable("TAVRIK_SCREENSHOTS").isEmpty())
    w.grab().save(QDir(qEnvironmentVariable("TAVRIK_SCREENSHOTS")).filePath("calibration.png"));
  ASSERT_TRUE(w.save());
  EXPECT_TRUE(w.imageFile().isEmpty());  // cleared after the save

  const std::optional<ChartLoadResult> chart = LoadChartRecord(app.db, "Skipper's Rock");
  ASSERT_TRUE(chart);
  EXPECT_FALSE(chart->record.mercator);
  for (const Ref& r : refs) {
    float x = 0, y = 0;
    LatLonToView(chart->record, {}, r.lat, r.lon, x, y);
    EXPECT_NEAR(x / kTwipsPerPixel, r.x, 2.0) << r.lat << " " << r.lon;
    EXPECT_NEAR(y / kTwipsPerPixel, r.y, 2.0) << r.lat << " " << r.lon;
  }
  const auto row = findChartRow(app.db, "Skipper's Rock");
  ASSERT_TRUE(row);
  EXPECT_DOUBLE_EQ(row->bottomMargin, (1172 - 1100) * kTwipsPerPixel);
  EXPECT_EQ(row->Scale, " ");

  // Loaded again, the image brings its calibration back.
  ASSERT_TRUE(w.load(png));
  EXPECT_EQ(w.findChild<QLineEdit*>("desc")->text(), "Skipper's Rock");
  EXPECT_EQ(w.findChild<QLabel*>("x2")->text(), QString::number(static_cast<int>(refs[3].x) * 15));
  EXPECT_NEAR(w.position(2)->latitude(), refs[2].lat, 1e-5);
  EXPECT_FALSE(w.findChild<QCheckBox*>("mercator")->isChecked());
}
