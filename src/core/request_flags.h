#pragma once
// Requests other windows raise for the chart window; its 100 ms pump serves and
// clears them, so no chart is loaded or drawn inside another window's handler.

namespace tavrik {

struct RequestFlags {
  bool redrawAll = false;
  bool nightScreenChanged = false;
  bool searchChart = false;
  bool centreOnPosition = false;
  bool redrawGotoLine = false;
  bool redrawCourseLine = false;
  bool chartChanged = false;       // load the chart named in the active record
  bool redrawOverlays = false;
  bool drawAutomationLine = false;
  bool shipsChanged = false;
  bool radarRedraw = false;
  bool moveWaypoint = false;
  int zoomRequest = 0;             // per cent; -1 fit in window; 0 none
  // Go-to request position; (0, 0) means none.
  double gotoLatitude = 0, gotoLongitude = 0;
  // Drawing modes of the chart's pop-up menu.
  bool drawRoute = false, drawZone = false, drawTrack = false, drawFix = false;
};

}  // namespace tavrik
