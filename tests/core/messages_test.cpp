#include "core/messages.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

// A second, independent transcription of the table: every text must match it to the
// character, blanks at the ends included (messages completed at run time are pieces).
static_assert(kMessageCount == 100);
const char16_t* const kExpected[kMessageCount] = {
    /*   1 */ u"Same port used twice", u"No description entered", u"No bitmap loaded",
    /*   4 */ u"Latitudes cannot be the same", u"Longitudes cannot be the same",
    /*   6 */ u"This chart is not a mercator projection chart, or isn't accurate enough, proceed?",
    /*   7 */ u"Cancel tracking?", u"With non-mercator charts three points must be calibrated    ",
    /*   9 */ u"Loading bitmap failed", u"No maximum entered", u"Database not found or wrong format",
    /*  12 */ u"No chart datum selected", u"Description must have a value", u"Waypoint not approachable",
    /*  15 */ u"No waypoints selected", u"Grid distance muts be numeric", u"Griddistance cannot be zero",
    /*  18 */ u"Testinterval cannot be zero", u"Speed not numeric", u"Variation not numeric",
    /*  21 */ u"Cancel simulation?", u"Course must be less 360", u"No range", u"No factor",
    /*  25 */ u"No log interval entered", u"No record selected", u"Are you sure you want to delete? ",
    /*  28 */ u"No chart selected", u"Chart does not exist", u"Bitmapfile exists, overwrite?",
    /*  31 */ u"Proximity waypoints cannot be approachable", u"Comm settings not correct, please run setup",
    /*  33 */ u"No chart loaded", u"No trackfile selected", u"Trackfile does not exist",
    /*  36 */ u"Track already exist", u"No folder selected", u"Folder does not exist", u"No route selected",
    /*  40 */ u"Route does not exist", u"Route already exist", u"End of testfile", u"No waypoints",
    /*  44 */ u"Testfile exits, overwrite?", u"Approaching < 0.1M", u"No data in track",
    /*  47 */ u"No ellipsoids entered", u"No waypoint types entered", u"No waypoint groups entered",
    /*  50 */ u"Database has wrong version", u"Date/time not correct", u"Cannot load BSB chart",
    /*  53 */ u"No log entry type selected", u"Log entry already exists", u"Interval cannot be zero",
    /*  56 */ u"Periode cannot be zero", u"Minimum has to be less then maximum", u"Wrong date or time",
    /*  59 */ u"User unknown or password not correct", u"Opening com port", u"Dialing the modem",
    /*  62 */ u"No modem found", u"Waiting for connect", u"Line busy, try again",
    /*  65 */ u"Timed out while calling, try again", u"Connecting to ",
    /*  67 */ u"Timed out while waiting for response, try again", u"Lost carrier while waiting for response",
    /*  69 */ u"Receiving information", u"Timed out while receiving, try again", u"Waypoint already exists",
    /*  72 */ u"Lost carrier while receiving", u"No modem connected", u"Majoraxis must be filled",
    /*  75 */ u"Minoraxis must be filled", u"No ellipse selected", u"Zone already exists",
    /*  78 */ u"Name already exists, please enter a different name", u"Type already exists",
    /*  80 */ u"No chart found in database", u"No chart found in folder",
    /*  82 */ u"Are you sure you want to delete this selection?",
    /*  83 */ u"Database already exists, do you want to overwrite it?",
    /*  84 */ u"File is not a valid chart information file", u"You must enter a name",
    /*  86 */ u"Telephone already exists", u"Ship already exists", u"Group already exists",
    /*  89 */ u"Folder already exists", u"No waypoint type selected", u"No waypoint group selected",
    /*  92 */ u"No Garmin found, or not GRMN/GRMN protocol selected", u"No Magellan found",
    /*  94 */ u"Do you want Tavrik Pro to copy the charts from ", u" to ",
    /*  96 */ u"If the bitmap is on removable drive (i.e. floppydisk or CD-ROM), then please insert the disc containing this bitmap",
    /*  97 */ u"Warning", u"does not exist, would you like to continue?",
    /*  99 */ u"Please close all open windows before using this function", u"Charts updated sucessfully",
};

TEST(MessageTable, EveryEntryMatchesTheTranscription) {
  for (int n = 1; n <= kMessageCount; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(MessageText(n), QStringView(kExpected[n - 1]).toString());
  }
  for (int n : {0, -1, 101, 1000}) EXPECT_TRUE(MessageText(n).isNull()) << n;
  // The names used in code point at the right numbers.
  const std::pair<int, int> named[] = {
      {Msg::SamePortUsedTwice, 1}, {Msg::DatabaseNotFound, 11}, {Msg::CourseLess360, 22},
      {Msg::TestfileExistsOverwrite, 44}, {Msg::DatabaseWrongVersion, 50}, {Msg::IntervalZero, 55},
      {Msg::UserUnknown, 59}, {Msg::NoWaypoints, 43}, {Msg::Warning, 97}, {Msg::ChartsUpdated, 100}};
  for (auto [name, n] : named) EXPECT_EQ(name, n);
}

TEST(ErrorReport, NumberThenDescriptionAsOneExclamation) {
  EXPECT_EQ(ErrorReportText(0, QString()), "Error: 0 / ");
  EXPECT_EQ(ErrorReportText(-5, "x"), "Error: -5 / x");
  RecordingPrompter prompter;
  ShowError(prompter, 11, "Division by zero");
  ASSERT_EQ(prompter.entries().size(), 1u);
  EXPECT_EQ(prompter.entries()[0].kind, Prompter::Kind::Exclamation);
  EXPECT_EQ(prompter.entries()[0].text, "Error: 11 / Division by zero");
}

}  // namespace
}  // namespace tavrik
