#pragma once
// Values the chart window and an automation client share: the last chart click (the
// chart writes it, the automation interface reports it) and the line the client asks
// the chart to draw from the own position.

namespace tavrik {

struct AutomationValues {
  // The last click on the chart: chart pixels, position, waypoint number (0 none).
  double ClickX = 0, ClickY = 0, ClickLat = 0, ClickLon = 0;
  int ClickWP = 0;
  bool clickPending = false;
  // The automation line from the own position to (DrawLat, DrawLon); shown once a
  // client asked for it (RequestFlags::drawAutomationLine), until the chart is left.
  double DrawLat = 0, DrawLon = 0, DrawCourse = 0, DrawDistance = 0;
  bool drawLineShown = false;
};

}  // namespace tavrik
