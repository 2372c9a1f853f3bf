#pragma once
// The texts of the main window's status panels. Parsers and the main cycle write
// them; the main window shows them. The input-source panel is also read as state
// ("Gps", "Test", "Simul", "OLE", ...).

#include <QString>
#include <array>

namespace tavrik {

enum class Panel {
  InputSource,   // "inputlab"
  Position,      // "position"
  Date,          // "datum"
  Time,          // "tijd"
  Course,        // "course"
  Speed,         // "speed"
  Depth,         // "depth"
  Temperature,   // "temp"
  WindDirection, // "winddir"
  WindSpeed,     // "wind"
  Pressure,      // "pressure"
  Heading,       // "coursew"
  WaterSpeed,    // "speedw"
  Logging,       // "logfile"
  Folder,        // "folder"
};
inline constexpr int kPanelCount = 15;
inline constexpr std::array<const char*, kPanelCount> kPanelKeys = {
    "inputlab", "position", "datum", "tijd", "course", "speed", "depth", "temp",
    "winddir", "wind", "pressure", "coursew", "speedw", "logfile", "folder"};
inline constexpr std::array<const char*, kPanelCount> kPanelNames = {
    "Input status", "Position", "Date", "Time", "Course over ground", "Speed over ground",
    "Depth", "Water temperature", "Wind direction", "Wind speed", "Barometric pressure",
    "Magnetic course", "Speed through water", "Logging status", "Selected folder"};

struct StatusPanels {
  std::array<QString, kPanelCount> text;
  QString& operator[](Panel p) { return text[static_cast<int>(p)]; }
  const QString& operator[](Panel p) const { return text[static_cast<int>(p)]; }
  const QString& inputSource() const { return (*this)[Panel::InputSource]; }
};

}  // namespace tavrik
