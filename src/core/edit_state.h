#pragma once
// What the windows that mark, draw and record hand each other through the App: the
// position to mark, the drawn point list, the waypoint being edited or moved, the
// current track of the chart window, and the hooks other subsystems listen on.

#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace tavrik {

class ChartProjection;
class TrackFile;

struct EditState {
  // Position to mark, set by the caller before the mark window opens; (0, 0) means
  // the current position.
  float markLatitude = 0, markLongitude = 0;
  // The mark window was opened for the current position: averaging is offered.
  bool markCurrentPosition = false;
  // Drawn point list (latitude, longitude), filled by drawing on the chart and by the
  // great-circle calculation; read by the route and zone save windows.
  std::vector<std::pair<double, double>> drawnPoints;
  // The waypoint the edit window works on and the chart moves on the next click.
  long editWaypoint = 0;
  // The info point the info window edits (0: a new one).
  long editInfo = 0;
  // The chart window's current track while it is open.
  TrackFile* currentTrack = nullptr;
  // Set by the chart window: the projection of the chart shown (null when none), and
  // the active route drawn on it.
  std::function<const ChartProjection*()> chartProjection;
  std::function<void(const std::vector<std::pair<double, double>>&)> showRoute;
  // Set by the edit windows: moves the waypoint being edited (the chart's next click
  // after "&Move"); opens the save window of a drawn route or zone as a dialog over
  // `parent`, which calls `closed` when it closes, saved or not.
  std::function<void(double lat, double lon)> moveWaypointTo;
  std::function<void(bool route, QWidget* parent, std::function<void()> closed)> saveDrawn;
  // Set by the info windows: opens an info point's file under the info policy (false
  // when it was refused or failed, with the reason shown).
  std::function<bool(const QString& file)> openDocument;
  // A waypoint was stored by the mark window (the logbook writes an entry for it).
  std::function<void(long waypoint, double lat, double lon, const QString& description)> waypointMarked;
  // A position was fixed on the chart with "Draw &Fix" (the logbook writes an entry).
  std::function<void(double lat, double lon)> fixDrawn;
};

}  // namespace tavrik
