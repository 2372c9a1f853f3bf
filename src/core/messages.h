#pragma once
// The one table of user-facing message texts, and the generic error report.

#include <QString>

#include "core/prompter.h"

namespace tavrik {

inline constexpr int kMessageCount = 100;

// Message numbers used by name in the code.
namespace Msg {
enum : int {
  SamePortUsedTwice = 1, NoDescriptionEntered = 2, NoBitmapLoaded = 3,
  LatitudesSame = 4, LongitudesSame = 5, NotMercatorProceed = 6, CancelTracking = 7,
  ThreePointsNeeded = 8, LoadingBitmapFailed = 9, NoMaximum = 10,
  DatabaseNotFound = 11, NoChartDatum = 12, DescriptionMustHaveValue = 13,
  WaypointNotApproachable = 14, NoWaypointsSelected = 15, GridDistanceNumeric = 16,
  GridDistanceZero = 17, TestIntervalZero = 18, SpeedNotNumeric = 19,
  VariationNotNumeric = 20, CancelSimulation = 21, CourseLess360 = 22, NoRange = 23,
  NoFactor = 24, NoLogInterval = 25, NoRecordSelected = 26, SureDelete = 27,
  NoChartSelected = 28, ChartDoesNotExist = 29, BitmapExistsOverwrite = 30,
  ProximityNotApproachable = 31, CommSettingsNotCorrect = 32, NoChartLoaded = 33,
  NoTrackfileSelected = 34, TrackfileDoesNotExist = 35, TrackAlreadyExists = 36,
  NoFolderSelected = 37, FolderDoesNotExist = 38, NoRouteSelected = 39,
  RouteDoesNotExist = 40, RouteAlreadyExists = 41, EndOfTestfile = 42, NoWaypoints = 43,
  TestfileExistsOverwrite = 44, Approaching = 45, NoDataInTrack = 46,
  NoEllipsoids = 47, NoWaypointTypes = 48, NoWaypointGroups = 49,
  DatabaseWrongVersion = 50, DateTimeNotCorrect = 51, CannotLoadBsb = 52,
  NoLogEntryType = 53, LogEntryExists = 54, IntervalZero = 55, PeriodeZero = 56,
  MinimumLessMaximum = 57, WrongDateOrTime = 58, UserUnknown = 59, OpeningComPort = 60,
  DialingModem = 61, NoModemFound = 62, WaitingForConnect = 63, LineBusy = 64,
  TimedOutCalling = 65, ConnectingTo = 66, TimedOutResponse = 67,
  LostCarrierResponse = 68, ReceivingInformation = 69, TimedOutReceiving = 70,
  WaypointExists = 71, LostCarrierReceiving = 72, NoModemConnected = 73,
  MajorAxisFilled = 74, MinorAxisFilled = 75, NoEllipseSelected = 76,
  ZoneExists = 77, NameExists = 78, TypeExists = 79, NoChartInDatabase = 80,
  NoChartInFolder = 81, SureDeleteSelection = 82, DatabaseExistsOverwrite = 83,
  NotChartInformationFile = 84, MustEnterName = 85, TelephoneExists = 86,
  ShipExists = 87, GroupExists = 88, FolderExists = 89, NoWaypointType = 90,
  NoWaypointGroup = 91, NoGarmin = 92, NoMagellan = 93, CopyChartsFrom = 94,
  CopyChartsTo = 95, InsertDisc = 96, Warning = 97, DoesNotExistContinue = 98,
  CloseAllWindows = 99, ChartsUpdated = 100,
};
}  // namespace Msg

// Text of entry n (1..100); empty outside the table.
QString MessageText(int n);

// "Error: " + number + " / " + description.
QString ErrorReportText(int errorNumber, const QString& description);
// The generic report of an unexpected error: an exclamation box with that text.
void ShowError(Prompter& prompter, int errorNumber, const QString& description);

}  // namespace tavrik
