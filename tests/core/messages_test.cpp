#include "core/messages.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

// A second, independent transcription of the table: every text must match it to the
// character, blanks included.
const char16_t* const kExpected[kMessageCount] = {
    /*   1 */ u"Same port used twice",
    /*   2 */ u"No description entered",
    /*   3 */ u"No bitmap loaded",
    /*   4 */ u"Latitudes cannot be the same",
    /*   5 */ u"Longitudes cannot be the same",
    /*   6 */ u"This chart is not a mercator projection chart, or isn't accurate enough, proceed?",
    /*   7 */ u"Cancel tracking?",
    /*   8 */ u"With non-mercator charts three points must be calibrated    ",
    /*   9 */ u"Loading bitmap failed",
    /*  10 */ u"No maximum entered",
    /*  11 */ u"Database not found or wrong format",
    /*  12 */ u"No chart datum selected",
    /*  13 */ u"Description must have a value",
    /*  14 */ u"Waypoint not approachable",
    /*  15 */ u"No waypoints selected",
    /*  16 */ u"Grid distance muts be numeric",
    /*  17 */ u"Griddistance cannot be zero",
    /*  18 */ u"Testinterval cannot be zero",
    /*  19 */ u"Speed not numeric",
    /*  20 */ u"Variation not numeric",
    /*  21 */ u"Cancel simulation?",
    /*  22 */ u"Course must be less 360",
    /*  23 */ u"No range",
    /*  24 */ u"No factor",
    /*  25 */ u"No log interval entered",
    /*  26 */ u"No record selected",
    /*  27 */ u"Are you sure you want to delete? ",
    /*  28 */ u"No chart selected",
    /*  29 */ u"Chart does not exist",
    /*  30 */ u"Bitmapfile exists, overwrite?",
    /*  31 */ u"Proximity waypoints cannot be approachable",
    /*  32 */ u"Comm settings not correct, please run setup",
    /*  33 */ u"No chart loaded",
    /*  34 */ u"No trackfile selected",
    /*  35 */ u"Trackfile does not exist",
    /*  36 */ u"Track already exist",
    /*  37 */ u"No folder selected",
    /*  38 */ u"Folder does not exist",
    /*  39 */ u"No route selected",
    /*  40 */ u"Route does not exist",
    /*  41 */ u"Route already exist",
    /*  42 */ u"End of testfile",
    /*  43 */ u"No waypoints",
    /*  44 */ u"Testfile exits, overwrite?",
    /*  45 */ u"Approaching < 0.1M",
    /*  46 */ u"No data in track",
    /*  47 */ u"No ellipsoids entered",
    /*  48 */ u"No waypoint types entered",
    /*  49 */ u"No waypoint groups entered",
    /*  50 */ u"Database has wrong version",
    /*  51 */ u"Date/time not correct",
    /*  52 */ u"Cannot load BSB chart",
    /*  53 */ u"No log entry type selected",
    /*  54 */ u"Log entry already exists",
    /*  55 */ u"Interval cannot be zero",
    /*  56 */ u"Periode cannot be zero",
    /*  57 */ u"Minimum has to be less then maximum",
    /*  58 */ u"Wrong date or time",
    /*  59 */ u"User unknown or password not correct",
    /*  60 */ u"Opening com port",
    /*  61 */ u"Dialing the modem",
    /*  62 */ u"No modem found",
    /*  63 */ u"Waiting for connect",
    /*  64 */ u"Line busy, try again",
    /*  65 */ u"Timed out while calling, try again",
    /*  66 */ u"Connecting to ",
    /*  67 */ u"Timed out while waiting for response, try again",
    /*  68 */ u"Lost carrier while waiting for response",
    /*  69 */ u"Receiving information",
    /*  70 */ u"Timed out while receiving, try again",
    /*  71 */ u"Waypoint already exists",
    /*  72 */ u"Lost carrier while receiving",
    /*  73 */ u"No modem connected",
    /*  74 */ u"Majoraxis must be filled",
    /*  75 */ u"Minoraxis must be filled",
    /*  76 */ u"No ellipse selected",
    /*  77 */ u"Zone already exists",
    /*  78 */ u"Name already exists, please enter a different name",
    /*  79 */ u"Type already exists",
    /*  80 */ u"No chart found in database",
    /*  81 */ u"No chart found in folder",
    /*  82 */ u"Are you sure you want to delete this selection?",
    /*  83 */ u"Database already exists, do you want to overwrite it?",
    /*  84 */ u"File is not a valid chart information file",
    /*  85 */ u"You must enter a name",
    /*  86 */ u"Telephone already exists",
    /*  87 */ u"Ship already exists",
    /*  88 */ u"Group already exists",
    /*  89 */ u"Folder already exists",
    /*  90 */ u"No waypoint type selected",
    /*  91 */ u"No waypoint group selected",
    /*  92 */ u"No Garmin found, or not GRMN/GRMN protocol selected",
    /*  93 */ u"No Magellan found",
    /*  94 */ u"Do you want Tavrik Pro to copy the charts from ",
    /*  95 */ u" to ",
    /*  96 */ u"If the bitmap is on removable drive (i.e. floppydisk or CD-ROM), then please insert the disc containing this bitmap",
    /*  97 */ u"Warning",
    /*  98 */ u"does not exist, would you like to continue?",
    /*  99 */ u"Please close all open windows before using this function",
    /* 100 */ u"Charts updated sucessfully",
};

TEST(MessageTable, EveryEntryMatchesTheTranscription) {
  for (int n = 1; n <= kMessageCount; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(MessageText(n), QStringView(kExpected[n - 1]).toString());
  }
}

TEST(MessageTable, HasExactlyOneHundredNonEmptyEntries) {
  for (int n = 1; n <= kMessageCount; ++n) {
    SCOPED_TRACE(n);
    EXPECT_FALSE(MessageText(n).trimmed().isEmpty());
  }
  EXPECT_EQ(kMessageCount, 100);
  for (int n : {0, -1, 101, 1000}) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(MessageText(n).isNull());
  }
}

// Blanks at the ends belong to the texts; messages completed at run time are pieces.
TEST(MessageTable, KeepsLeadingAndTrailingBlanks) {
  const QString eight = MessageText(Msg::ThreePointsNeeded);
  EXPECT_TRUE(eight.endsWith(QStringLiteral("calibrated    ")));
  EXPECT_FALSE(eight.endsWith(QStringLiteral("     ")));
  const QString sure = MessageText(Msg::SureDelete);
  EXPECT_TRUE(sure.endsWith(QStringLiteral("? ")));
  EXPECT_FALSE(sure.endsWith(QStringLiteral("  ")));
  EXPECT_EQ(MessageText(Msg::CopyChartsTo), QStringLiteral(" to "));
  EXPECT_EQ(MessageText(Msg::ConnectingTo), QStringLiteral("Connecting to "));
  EXPECT_EQ(MessageText(Msg::CopyChartsFrom) + "/media/cd" + MessageText(Msg::CopyChartsTo) + "/home/charts",
            QStringLiteral("Do you want Tavrik Pro to copy the charts from /media/cd to /home/charts"));
}

// The names used in code point at the right numbers.
TEST(MessageTable, NamedNumbersPointAtTheirTexts) {
  const struct {
    int n;
    const char* text;
  } rows[] = {
      {Msg::SamePortUsedTwice, "Same port used twice"},
      {Msg::DatabaseNotFound, "Database not found or wrong format"},
      {Msg::CourseLess360, "Course must be less 360"},
      {Msg::TestfileExistsOverwrite, "Testfile exits, overwrite?"},
      {Msg::DatabaseWrongVersion, "Database has wrong version"},
      {Msg::IntervalZero, "Interval cannot be zero"},
      {Msg::UserUnknown, "User unknown or password not correct"},
      {Msg::NoWaypoints, "No waypoints"},
      {Msg::Warning, "Warning"},
      {Msg::ChartsUpdated, "Charts updated sucessfully"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(MessageText(r.n).toStdString(), r.text);
  }
}

TEST(ErrorReport, NumberThenDescription) {
  EXPECT_EQ(ErrorReportText(11, QStringLiteral("Division by zero")), QStringLiteral("Error: 11 / Division by zero"));
  EXPECT_EQ(ErrorReportText(0, QString()), QStringLiteral("Error: 0 / "));
  EXPECT_EQ(ErrorReportText(-5, QStringLiteral("x")), QStringLiteral("Error: -5 / x"));
}

TEST(ErrorReport, ShownAsOneExclamation) {
  RecordingPrompter prompter;
  ShowError(prompter, 11, QStringLiteral("Division by zero"));
  ASSERT_EQ(prompter.entries().size(), 1u);
  EXPECT_EQ(prompter.entries()[0].kind, Prompter::Kind::Exclamation);
  EXPECT_EQ(prompter.entries()[0].text, QStringLiteral("Error: 11 / Division by zero"));
}

}  // namespace
}  // namespace tavrik
