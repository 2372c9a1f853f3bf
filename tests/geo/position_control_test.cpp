// The position control as a user meets it: typing into fields, leaving them, arrow
// keys, switching notation, display mode; offscreen.
#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "core/sound_player.h"
#include "geo/ui/position_control.h"
#include "geo_windows_fixture.h"

namespace tavrik {
namespace {

class PositionControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    control = std::make_unique<PositionControl>();
    control->setObjectName(QStringLiteral("Position1"));
    control->setSoundPlayer(&sound);
    control->setDecimalSeparator(QLatin1Char('.'));
    control->show();
  }
  QLineEdit* field(const char* tag) {
    QLineEdit* e = control->findChild<QLineEdit*>(QLatin1String(tag));
    EXPECT_NE(e, nullptr) << tag;
    return e;
  }
  void key(const char* tag, Qt::Key k) { QTest::keyClick(field(tag), k); }

  RecordingSoundPlayer sound;
  std::unique_ptr<PositionControl> control;
};

TEST_F(PositionControlTest, DefaultsOfTheProperties) {
  const std::pair<const char*, QVariant> rows[] = {
      {"grid", 1},          {"decimals", 2},       {"majoraxis", 6378137.0},   {"minoraxis", 6356752.3},
      {"Locked", false},    {"Display", false},    {"North", "N"},             {"PosCaption", "Position"},
      {"NGRCaption", "NGR"}, {"UTMCaption2", "UTM X/Y"}, {"position", "0° 0' 0.00'' N / 0° 0' 0.00'' E"},
  };
  for (const auto& [name, value] : rows) EXPECT_EQ(control->property(name).toString(), value.toString()) << name;
}

TEST_F(PositionControlTest, ShowsEachNotationWithItsFieldsOnly) {
  control->setPosition(-33.5, 151.25);
  const struct {
    int grid;
    QStringList visible;
    const char* text;
  } rows[] = {
      {0, {"LATD", "LATM", "LATNS", "LOND", "LONM", "LONEW"}, "33° 30.00' S / 151° 15.00' E"},
      {1, {"LATD", "LATM", "LATS", "LATNS", "LOND", "LONM", "LONS", "LONEW"}, "33° 30' 0.00'' S / 151° 15' 0.00'' E"},
      {2, {"ZONE", "ZONEDES", "UTMX", "UTMY"}, "56 H 337441 x 6291910"},
      {4, {"NGRSQ", "NGRX", "NGRY"}, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.grid);
    control->setGrid(r.grid);
    for (QLineEdit* e : control->findChildren<QLineEdit*>())
      EXPECT_EQ(e->isVisible(), r.visible.contains(e->objectName())) << qPrintable(e->objectName());
    EXPECT_EQ(control->position(), QString::fromUtf8(r.text));
  }
}

// Entries typed into fields and left, in order: the position they give, or a beep and the
// position kept. Only what was typed is read back: leaving unchanged fields does not round
// the position to the shown decimals.
TEST_F(PositionControlTest, EntriesSetThePositionOrBeep) {
  const struct {
    const char* legend;
    int grid;
    char separator;
    double startLat, startLon;
    std::vector<std::pair<const char*, const char*>> entries;  // a null text: left without typing
    double lat, lon, tolerance;
    int beeps, edits;  // edits -1: not counted
  } rows[] = {
      {"degrees and minutes, then south", 0, '.', 0, 0,
       {{"LATD", "52"}, {"LATM", "22.5"}, {"LONM", "53.25"}, {"LOND", "4"}, {"LATNS", "S"}}, -52.375, 4.8875, 1e-12, 0, 5},
      {"fields left unchanged", 0, '.', 52.123456789, 4.987654321, {{"LATD", nullptr}, {"LATM", nullptr}},
       52.123456789, 4.987654321, 0, 0, 0},
      {"comma decimal separator", 0, ',', 0, 0, {{"LATM", "30,5"}}, 30.5 / 60, 0, 1e-12, 0, 1},
      {"non-number reads as 0", 1, '.', 10.5, 20.5, {{"LATM", "abc"}}, 10, 20.5, 1e-12, 0, 1},
      {"UTM south, lower-case designator", 2, '.', 0, 0,
       {{"ZONE", "34"}, {"ZONEDES", "m"}, {"UTMX", "388988.67"}, {"UTMY", "9557805.03"}}, -4, 20, 1e-7, -1, -1},
      {"zone 61 beeps and keeps the position", 2, '.', 52, 5, {{"ZONE", "61"}}, 52, 5, 0, 1, 0},
      {"zone 61, then 31 at the shown whole metres", 2, '.', 52, 5, {{"ZONE", "61"}, {"ZONE", "31"}}, 52, 5, 1e-5, 1, 1},
      {"designator Y beeps when left", 2, '.', 52, 5, {{"ZONEDES", "Y"}}, 52, 5, 0, 1, 0},
      {"designator Y, then U", 2, '.', 52, 5, {{"ZONEDES", "Y"}, {"ZONEDES", "U"}}, 52, 5, 1e-5, 1, -1},
      {"National Grid, then unknown letters beep", 4, '.', 0, 0,
       {{"NGRSQ", "su"}, {"NGRX", "42290"}, {"NGRY", "11341"}, {"NGRSQ", "ZZ"}}, 50.9, -1.4, 1e-5, 1, -1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    SetUp();  // a fresh control for each row
    sound.beeps = 0;
    control->setDecimalSeparator(QLatin1Char(r.separator));
    control->setGrid(r.grid);
    control->setPosition(r.startLat, r.startLon);
    QSignalSpy edited(control.get(), &PositionControl::positionEdited);
    for (const auto& [tag, text] : r.entries) {
      if (text) {
        test::enter(field(tag), QString::fromUtf8(text));
      } else {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(field(tag), &out);
      }
      QTest::qWait(0);  // let a refocus run
    }
    EXPECT_NEAR(control->latitude(), r.lat, r.tolerance);
    EXPECT_NEAR(control->longitude(), r.lon, r.tolerance);
    if (r.beeps >= 0) { EXPECT_EQ(sound.beeps, r.beeps); }
    if (r.edits >= 0) { EXPECT_EQ(edited.count(), r.edits); }
  }
}

// The steps themselves are the notation's; here they reach the field and the position.
TEST_F(PositionControlTest, ArrowKeysStepFieldsAndThePosition) {
  control->setGrid(0);
  control->setPosition(52.5, 4.25);
  key("LATD", Qt::Key_Up);
  EXPECT_EQ(field("LATD")->text(), "53");
  EXPECT_NEAR(control->latitude(), 53.5, 1e-12);
  key("LATNS", Qt::Key_Down);
  EXPECT_EQ(field("LATNS")->text(), "S");
  EXPECT_NEAR(control->latitude(), -53.5, 1e-12);
  control->setGrid(2);
  control->setPosition(52, 5);
  key("ZONE", Qt::Key_Up);
  EXPECT_EQ(field("ZONE")->text(), "32");
  EXPECT_NEAR(control->longitude(), 5 + 6 - 0.15, 0.2);  // the same metres one zone east
  EXPECT_EQ(sound.beeps, 0);
}

TEST_F(PositionControlTest, LockedFieldsAreReadOnlyAndDoNotStep) {
  control->setGrid(0);
  control->setPosition(52.5, 4.25);
  control->setProperty("Locked", true);
  EXPECT_TRUE(field("LATD")->isReadOnly());
  key("LATD", Qt::Key_Up);
  EXPECT_EQ(field("LATD")->text(), "52");
  EXPECT_EQ(control->latitude(), 52.5);
}

TEST_F(PositionControlTest, DisplayModeShowsOnlyTheLabelWithPosCaption) {
  control->setGrid(0);
  control->setPosition(52.375, 4.8875);
  control->setPosCaption(QStringLiteral("Target"));
  control->setProperty("Display", true);
  for (QLineEdit* e : control->findChildren<QLineEdit*>()) EXPECT_FALSE(e->isVisible()) << qPrintable(e->objectName());
  auto* label = control->findChild<QLabel*>(QStringLiteral("display"));
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isVisible());
  EXPECT_EQ(label->text(), QString::fromUtf8("52° 22.50' N / 4° 53.25' E"));
  auto* caption = control->findChild<QLabel*>(QStringLiteral("PosCaption"));
  EXPECT_TRUE(caption->isVisible());
  EXPECT_EQ(caption->text(), "Target");
  EXPECT_FALSE(control->findChild<QLabel*>(QStringLiteral("LatCaption"))->isVisible());
  control->setPosition(-1, -2);
  EXPECT_EQ(label->text(), QString::fromUtf8("1° 0.00' S / 2° 0.00' W"));
}

TEST_F(PositionControlTest, AnyTextInAnyFieldNeverShowsNotANumber) {
  const char* junk[] = {"", "abc", "-", "1e400", "9999999999", "-1e308", "NaN", "inf", "٣", "  ,  "};
  for (int grid = 0; grid < kGridCount; ++grid) {
    control->setGrid(grid);
    for (const QString& tag : GridNotation::fieldTags(grid))
      for (const char* j : junk) {
        SCOPED_TRACE(testing::Message() << grid << " " << qPrintable(tag) << " '" << j << "'");
        test::enter(control->field(tag), QString::fromUtf8(j));
        key(tag.toLatin1().constData(), Qt::Key_Up);
        EXPECT_TRUE(std::isfinite(control->latitude()));
        EXPECT_TRUE(std::isfinite(control->longitude()));
        EXPECT_LE(std::fabs(control->latitude()), 90);
        control->refresh();
        EXPECT_FALSE(control->position().contains("nan", Qt::CaseInsensitive)) << qPrintable(control->position());
        EXPECT_FALSE(control->position().contains("inf", Qt::CaseInsensitive)) << qPrintable(control->position());
      }
  }
}

TEST_F(PositionControlTest, Screenshots) {
  const QString dir = qEnvironmentVariable("TAVRIK_SHOTS");
  if (dir.isEmpty()) GTEST_SKIP() << "set TAVRIK_SHOTS to a folder";
  control->setPosition(52.375, 4.8875);
  for (int grid = 0; grid < kGridCount; ++grid) {
    control->setGrid(grid);
    if (grid == 4) control->setPosition(50.9, -1.4);
    control->adjustSize();
    EXPECT_TRUE(control->grab().save(dir + QStringLiteral("/position_grid%1.png").arg(grid)));
  }
  control->setProperty("Display", true);
  control->adjustSize();
  EXPECT_TRUE(control->grab().save(dir + QStringLiteral("/position_display.png")));
}

}  // namespace
}  // namespace tavrik
