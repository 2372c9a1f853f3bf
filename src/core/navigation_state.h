#pragma once
// The one record of what the vessel's instruments last said. Parsers, start-up and
// the automation interface write it; every display, go-to, alarm and log reads it.
// Everything runs on the one UI thread, so it is a plain struct.

#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>
#include <cstdint>
#include <vector>

namespace tavrik {

// Order of the accepted NMEA sentences; also the order of every per-sentence flag
// string and counter array.
enum class Sentence : int {
  DBS, DBT, GGA, GLL, GSA, GSV, HDM, HDT, HSC, MMB, MTW,
  RMA, RMB, RMC, RSD, TLL, TTM, VHW, VLW, VTG, VWR, ZDA,
};
inline constexpr int kSentenceCount = 22;
inline constexpr std::array<const char*, kSentenceCount> kSentenceNames = {
    "DBS", "DBT", "GGA", "GLL", "GSA", "GSV", "HDM", "HDT", "HSC", "MMB", "MTW",
    "RMA", "RMB", "RMC", "RSD", "TLL", "TTM", "VHW", "VLW", "VTG", "VWR", "ZDA"};
// Index of a three-letter sentence id in the table, -1 when it is not there.
int sentenceIndex(QStringView id);

struct SatelliteRecord {
  int16_t Prn = 0;
  int16_t Elevation = 0;  // degrees
  float Azimuth = 0;      // degrees
  int16_t Snr = 0;        // dB; below 1 means not tracked
};

struct NavigationState {
  // Position and time. Latitude/Longitude are already in the datum of the loaded chart.
  float Latitude = 0;   // degrees, north positive
  float Longitude = 0;  // degrees, east positive
  QTime FixTime;        // local time of day of the last fix; null until a fix arrives
  QString FixDate;      // "mm-dd-yyyy", local
  bool TimeStale = false;
  bool DateStale = false;
  bool DataReceived = false;

  // Motion
  float SpeedOverGround = 0;   // knots
  float CourseOverGround = 0;  // degrees true
  float GpsVariation = 0;      // degrees, east positive
  float HeadingTrue = 0;
  float HeadingMagnetic = 0;
  float WaterSpeed = 0;        // knots
  float SteerHeading = 0;      // magnetic heading to steer; -1 none
  float LogTotal = 0;          // nautical miles
  float LastLogTotal = 0;
  float TripDistance = 0;      // nautical miles
  float TripStartLatitude = 0;
  float TripStartLongitude = 0;
  QDateTime TripStartTime;     // null until the first tick that sees received data

  // Environment
  float DepthFeet = 0;
  float DepthMetres = 0;
  float WaterTemperature = 0;  // deg C
  float AirPressure = 0;       // millibar
  float WindAngle = 0;         // apparent, relative to the bow, 0..180
  QString WindSide;            // "L" or "R" as received
  float WindSpeed = 0;         // knots
  float WindDirection = 0;     // 0 <= x < 360

  // Receiver status
  QString FixMode;             // "A" or "M"
  int16_t FixType = 0;         // 1 no fix, 2 2D, 3 3D
  float Pdop = 0, Hdop = 0, Vdop = 0;
  int16_t SatellitesInView = 0;
  std::vector<SatelliteRecord> Satellites;  // indexes 0..SatellitesInView

  // Sentence statistics, indexed by Sentence.
  std::array<uint32_t, kSentenceCount> ReceivedCount{};
  std::array<uint32_t, kSentenceCount> ErrorCount{};

  uint32_t& received(Sentence s) { return ReceivedCount[static_cast<int>(s)]; }
  uint32_t& errors(Sentence s) { return ErrorCount[static_cast<int>(s)]; }
  uint32_t received(Sentence s) const { return ReceivedCount[static_cast<int>(s)]; }
  uint32_t errors(Sentence s) const { return ErrorCount[static_cast<int>(s)]; }
  void clearCounters() {
    ReceivedCount.fill(0);
    ErrorCount.fill(0);
  }
  // Everything back to zero except the position (start-up restores it separately).
  void resetRunTime();
};

}  // namespace tavrik
