#include "core/messages.h"

namespace tavrik {
namespace {

// The texts keep their exact wording and blanks; completed messages are separate
// entries that callers join.
const char* const kMessages[kMessageCount] = {
    /*   1 */ "Same port used twice",
    /*   2 */ "No description entered",
    /*   3 */ "No bitmap loaded",
    /*   4 */ "Latitudes cannot be the same",
    /*   5 */ "Longitudes cannot be the same",
    /*   6 */ "This chart is not a mercator projection chart, or isn't accurate enough, proceed?",
    /*   7 */ "Cancel tracking?",
    /*   8 */ "With non-mercator charts three points must be calibrated    ",
    /*   9 */ "Loading bitmap failed",
    /*  10 */ "No maximum entered",
    /*  11 */ "Database not found or wrong format",
    /*  12 */ "No chart datum selected",
    /*  13 */ "Description must have a value",
    /*  14 */ "Waypoint not approachable",
    /*  15 */ "No waypoints selected",
    /*  16 */ "Grid distance muts be numeric",
    /*  17 */ "Griddistance cannot be zero",
    /*  18 */ "Testinterval cannot be zero",
    /*  19 */ "Speed not numeric",
    /*  20 */ "Variation not numeric",
    /*  21 */ "Cancel simulation?",
    /*  22 */ "Course must be less 360",
    /*  23 */ "No range",
    /*  24 */ "No factor",
    /*  25 */ "No log interval entered",
    /*  26 */ "No record selected",
    /*  27 */ "Are you sure you want to delete? ",
    /*  28 */ "No chart selected",
    /*  29 */ "Chart does not exist",
    /*  30 */ "Bitmapfile exists, overwrite?",
    /*  31 */ "Proximity waypoints cannot be approachable",
    /*  32 */ "Comm settings not correct, please run setup",
    /*  33 */ "No chart loaded",
    /*  34 */ "No trackfile selected",
    /*  35 */ "Trackfile does not exist",
    /*  36 */ "Track already exist",
    /*  37 */ "No folder selected",
    /*  38 */ "Folder does not exist",
    /*  39 */ "No route selected",
    /*  40 */ "Route does not exist",
    /*  41 */ "Route already exist",
    /*  42 */ "End of testfile",
    /*  43 */ "No waypoints",
    /*  44 */ "Testfile exits, overwrite?",
    /*  45 */ "Approaching < 0.1M",
    /*  46 */ "No data in track",
    /*  47 */ "No ellipsoids entered",
    /*  48 */ "No waypoint types entered",
    /*  49 */ "No waypoint groups entered",
    /*  50 */ "Database has wrong version",
    /*  51 */ "Date/time not correct",
    /*  52 */ "Cannot load BSB chart",
    /*  53 */ "No log entry type selected",
    /*  54 */ "Log entry already exists",
    /*  55 */ "Interval cannot be zero",
    /*  56 */ "Periode cannot be zero",
    /*  57 */ "Minimum has to be less then maximum",
    /*  58 */ "Wrong date or time",
    /*  59 */ "User unknown or password not correct",
    /*  60 */ "Opening com port",
    /*  61 */ "Dialing the modem",
    /*  62 */ "No modem found",
    /*  63 */ "Waiting for connect",
    /*  64 */ "Line busy, try again",
    /*  65 */ "Timed out while calling, try again",
    /*  66 */ "Connecting to ",
    /*  67 */ "Timed out while waiting for response, try again",
    /*  68 */ "Lost carrier while waiting for response",
    /*  69 */ "Receiving information",
    /*  70 */ "Timed out while receiving, try again",
    /*  71 */ "Waypoint already exists",
    /*  72 */ "Lost carrier while receiving",
    /*  73 */ "No modem connected",
    /*  74 */ "Majoraxis must be filled",
    /*  75 */ "Minoraxis must be filled",
    /*  76 */ "No ellipse selected",
    /*  77 */ "Zone already exists",
    /*  78 */ "Name already exists, please enter a different name",
    /*  79 */ "Type already exists",
    /*  80 */ "No chart found in database",
    /*  81 */ "No chart found in folder",
    /*  82 */ "Are you sure you want to delete this selection?",
    /*  83 */ "Database already exists, do you want to overwrite it?",
    /*  84 */ "File is not a valid chart information file",
    /*  85 */ "You must enter a name",
    /*  86 */ "Telephone already exists",
    /*  87 */ "Ship already exists",
    /*  88 */ "Group already exists",
    /*  89 */ "Folder already exists",
    /*  90 */ "No waypoint type selected",
    /*  91 */ "No waypoint group selected",
    /*  92 */ "No Garmin found, or not GRMN/GRMN protocol selected",
    /*  93 */ "No Magellan found",
    /*  94 */ "Do you want Tavrik Pro to copy the charts from ",
    /*  95 */ " to ",
    /*  96 */ "If the bitmap is on removable drive (i.e. floppydisk or CD-ROM), then please insert the disc containing this bitmap",
    /*  97 */ "Warning",
    /*  98 */ "does not exist, would you like to continue?",
    /*  99 */ "Please close all open windows before using this function",
    /* 100 */ "Charts updated sucessfully",
};

}  // namespace

QString MessageText(int n) {
  if (n < 1 || n > kMessageCount) return QString();
  return QString::fromUtf8(kMessages[n - 1]);
}

QString ErrorReportText(int errorNumber, const QString& description) {
  return QStringLiteral("Error: ") + QString::number(errorNumber) + QStringLiteral(" / ") + description;
}

void ShowError(Prompter& prompter, int errorNumber, const QString& description) {
  prompter.exclamation(ErrorReportText(errorNumber, description));
}

}  // namespace tavrik
