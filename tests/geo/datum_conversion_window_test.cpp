// The datum conversion window over a database made as at first start.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "core/number_format.h"
#include "geo/datum.h"
#include "geo/datum_catalogue.h"
#include "geo/ui/datum_conversion_window.h"
#include "geo/ui/position_control.h"
#include "store/schema.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

TEST(DatumConversionWindow, ConvertsTheEnteredPositionAndHeight) {
  test::TestApp t;
  App& app = *t;
  ASSERT_TRUE(createMainDatabase(app.db, t.paths.file(QStringLiteral("gps.db")), t.clock.now()).ok());
  DatumConversionWindow w(app);
  auto* datum1 = w.findChild<QComboBox*>(QStringLiteral("datum1"));
  auto* datum2 = w.findChild<QComboBox*>(QStringLiteral("datum2"));
  auto* p1 = w.findChild<PositionControl*>(QStringLiteral("Position1"));
  auto* p2 = w.findChild<PositionControl*>(QStringLiteral("Position2"));
  auto* h1 = w.findChild<QLineEdit*>(QStringLiteral("height1"));
  auto* h2 = w.findChild<QLineEdit*>(QStringLiteral("height2"));
  auto* convert = w.findChild<QPushButton*>(QStringLiteral("Command1"));
  ASSERT_TRUE(datum1 && datum2 && p1 && p2 && h1 && h2 && convert);
  EXPECT_EQ(datum1->findText(QStringLiteral("Default")), -1) << "the built-in row is not offered";

  struct Row {
    const char* legend;
    int from, to;
    double lat, lon;
    const char* height;
    double heightValue;  // what the height text counts as
  };
  const Row rows[] = {
      {"ED50 to WGS-84", 12, kWgs84Datum, 52.0, 4.0, "0", 0},
      {"OSGB36 to WGS-84 at 45 m", 27, kWgs84Datum, 51.5, -0.1, "45", 45},
      {"height not a number counts as 0", 40, kWgs84Datum, 35.6, 139.8, "abc", 0},
      {"same datum: unchanged", 12, 12, 52.0, 4.0, "12.5", 12.5},
  };
  const CatalogueDatumLookup catalogue;  // the database was seeded from it
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    datum1->setCurrentIndex(datum1->findData(r.from));
    datum2->setCurrentIndex(datum2->findData(r.to));
    p1->setPosition(r.lat, r.lon);
    h1->setText(QLatin1String(r.height));
    convert->click();
    CalcRecord c;
    c.Lat1 = r.lat;
    c.Lon1 = r.lon;
    c.Height1 = r.heightValue;
    c.Datum1 = r.from;
    c.Datum2 = r.to;
    DatumConvert(c, catalogue);
    EXPECT_EQ(p2->latitude(), c.Lat2);
    EXPECT_EQ(p2->longitude(), c.Lon2);
    EXPECT_EQ(h2->text(), formatNumber(c.Height2, u"0.0"));
    if (r.from == r.to) {
      EXPECT_EQ(p2->latitude(), r.lat);
    }
  }
}

TEST(DatumConversionWindow, Screenshot) {
  const QString dir = qEnvironmentVariable("TAVRIK_SHOTS");
  if (dir.isEmpty()) GTEST_SKIP() << "set TAVRIK_SHOTS to a folder";
  test::TestApp t;
  App& app = *t;
  ASSERT_TRUE(createMainDatabase(app.db, t.paths.file(QStringLiteral("gps.db")), t.clock.now()).ok());
  DatumConversionWindow w(app);
  auto* datum1 = w.findChild<QComboBox*>(QStringLiteral("datum1"));
  datum1->setCurrentIndex(datum1->findData(12));
  w.findChild<PositionControl*>(QStringLiteral("Position1"))->setPosition(52.37, 4.9);
  w.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  w.adjustSize();
  w.show();
  EXPECT_TRUE(w.grab().save(dir + QStringLiteral("/gpsdconv.png")));
}

}  // namespace
}  // namespace tavrik
