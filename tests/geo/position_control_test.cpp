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
#include "ui_test_app.h"

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
  // Types into a field as a user does (replacing its text) and leaves it.
  void type(const char* tag, const char* text) {
    QLineEdit* e = field(tag);
    e->clear();
    e->setModified(true);
    e->insert(QString::fromUtf8(text));
    leave(tag);
  }
  void leave(const char* tag) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field(tag), &out);
  }
  void key(const char* tag, Qt::Key k) { QTest::keyClick(field(tag), k); }

  RecordingSoundPlayer sound;
  std::unique_ptr<PositionControl> control;
};

TEST_F(PositionControlTest, DefaultsOfTheProperties) {
  EXPECT_EQ(control->property("grid").toInt(), 1);
  EXPECT_EQ(control->property("decimals").toInt(), 2);
  EXPECT_EQ(control->property("majoraxis").toDouble(), 6378137.0);
  EXPECT_EQ(control->property("minoraxis").toDouble(), 6356752.3);
  EXPECT_FALSE(control->property("Locked").toBool());
  EXPECT_FALSE(control->property("Display").toBool());
  EXPECT_EQ(control->property("North").toString(), "N");
  EXPECT_EQ(control->property("PosCaption").toString(), "Position");
  EXPECT_EQ(control->property("UTMCaption2").toString(), "UTM X/Y");
  EXPECT_EQ(control->property("NGRCaption").toString(), "NGR");
  EXPECT_EQ(control->property("position").toString(), "0° 0' 0.00'' N / 0° 0' 0.00'' E");
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

TEST_F(PositionControlTest, TypingDegreesAndMinutesSetsThePosition) {
  control->setGrid(0);
  QSignalSpy edited(control.get(), &PositionControl::positionEdited);
  type("LATD", "52");
  type("LATM", "22.5");
  type("LONM", "53.25");
  type("LOND", "4");
  EXPECT_NEAR(control->latitude(), 52.375, 1e-12);
  EXPECT_NEAR(control->longitude(), 4.8875, 1e-12);
  type("LATNS", "S");
  EXPECT_NEAR(control->latitude(), -52.375, 1e-12);
  EXPECT_EQ(edited.count(), 5);
  EXPECT_EQ(sound.beeps, 0);
}

TEST_F(PositionControlTest, LeavingUnchangedFieldsKeepsTheFullPrecision) {
  control->setGrid(0);
  control->setPosition(52.123456789, 4.987654321);
  leave("LATD");
  leave("LATM");
  EXPECT_EQ(control->latitude(), 52.123456789);  // not rounded to the shown 0.01'
}

TEST_F(PositionControlTest, CommaDecimalSeparatorIsAccepted) {
  control->setDecimalSeparator(QLatin1Char(','));
  control->setGrid(0);
  type("LATM", "30,5");
  EXPECT_NEAR(control->latitude(), 30.5 / 60, 1e-12);
}

TEST_F(PositionControlTest, NonNumbersReadAsZero) {
  control->setGrid(1);
  control->setPosition(10.5, 20.5);
  type("LATM", "abc");
  EXPECT_NEAR(control->latitude(), 10, 1e-12);
  EXPECT_FALSE(control->position().contains("nan", Qt::CaseInsensitive));
  EXPECT_EQ(sound.beeps, 0);
}

TEST_F(PositionControlTest, ZoneSixtyOneBeepsAndKeepsThePosition) {
  control->setGrid(2);
  control->setPosition(52, 5);
  type("ZONE", "61");
  EXPECT_EQ(sound.beeps, 1);
  EXPECT_EQ(control->latitude(), 52);
  EXPECT_EQ(control->longitude(), 5);
  type("ZONE", "31");
  EXPECT_EQ(sound.beeps, 1);
  EXPECT_NEAR(control->latitude(), 52, 1e-5);  // the shown whole metres
}

TEST_F(PositionControlTest, UtmEntryConvertsBack) {
  control->setGrid(2);
  type("ZONE", "34");
  type("ZONEDES", "m");
  type("UTMX", "388988.67");
  type("UTMY", "9557805.03");
  EXPECT_NEAR(control->latitude(), -4, 1e-7);
  EXPECT_NEAR(control->longitude(), 20, 1e-7);
}

TEST_F(PositionControlTest, DesignatorYBeepsWhenLeft) {
  control->setGrid(2);
  control->setPosition(52, 5);
  type("ZONEDES", "Y");
  EXPECT_EQ(sound.beeps, 1);
  EXPECT_EQ(control->latitude(), 52);
  QTest::qWait(0);  // let the refocus run
  type("ZONEDES", "U");
  EXPECT_EQ(sound.beeps, 1);
}

TEST_F(PositionControlTest, ArrowKeysStepFieldsAndThePosition) {
  control->setGrid(0);
  control->setPosition(52.5, 4.25);
  key("LATD", Qt::Key_Up);
  EXPECT_EQ(field("LATD")->text(), "53");
  EXPECT_NEAR(control->latitude(), 53.5, 1e-12);
  key("LATNS", Qt::Key_Down);
  EXPECT_EQ(field("LATNS")->text(), "S");
  EXPECT_NEAR(control->latitude(), -53.5, 1e-12);
  field("LONM")->setText("59.50");
  key("LONM", Qt::Key_Up);
  EXPECT_EQ(field("LONM")->text(), "59.50");  // minutes stay below 60
  control->setGrid(3);
  field("RDPX")->setText("224999");
  key("RDPX", Qt::Key_Up);
  EXPECT_EQ(field("RDPX")->text(), "224999");
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

TEST_F(PositionControlTest, NationalGridEntry) {
  control->setGrid(4);
  type("NGRSQ", "su");
  type("NGRX", "42290");
  type("NGRY", "11341");
  EXPECT_NEAR(control->latitude(), 50.9, 1e-5);
  EXPECT_NEAR(control->longitude(), -1.4, 1e-5);
  type("NGRSQ", "ZZ");
  EXPECT_EQ(sound.beeps, 1);
  EXPECT_NEAR(control->latitude(), 50.9, 1e-5);
}

TEST_F(PositionControlTest, AnyTextInAnyFieldNeverShowsNotANumber) {
  const char* junk[] = {"", "abc", "-", "1e400", "9999999999", "-1e308", "NaN", "inf", "٣", "  ,  "};
  for (int grid = 0; grid < kGridCount; ++grid) {
    control->setGrid(grid);
    for (const QString& tag : GridNotation::fieldTags(grid))
      for (const char* j : junk) {
        SCOPED_TRACE(testing::Message() << grid << " " << qPrintable(tag) << " '" << j << "'");
        type(tag.toLatin1().constData(), j);
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

}  // namespace
}  // namespace tavrik

namespace tavrik {
namespace {

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
