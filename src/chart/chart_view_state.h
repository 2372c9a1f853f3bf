#pragma once
// The chart window's logic apart from drawing: the texts of its readouts and caption,
// and the one-second fix processing (vessel position, track recording, when to keep
// the vessel in view and when to search the folder for a better chart).

#include <QDateTime>
#include <QLineF>
#include <QPointF>
#include <QString>
#include <optional>

#include "chart/chart_projection.h"
#include "chart/track_file.h"
#include "chart/track_line.h"
#include "core/app_settings.h"
#include "core/clock.h"
#include "core/navigation_state.h"
#include "core/units.h"

namespace tavrik {

// "52°22.123'N  004°53.456'E": the readout of the position under the pointer.
QString ChartPositionText(double lat, double lon);
// Distance ("0.0" and the unit), bearing ("0.0" and "°") from the vessel, separated
// by " / ", and when the vessel moves the time to go as hours "#0" ":" minutes "00".
QString ChartDirectionText(double vesselLat, double vesselLon, double lat, double lon, double speedKn,
                           const Units& units);
// Window caption: description, zoom in per cent ("#0") and the width of the window on
// the chart in the distance unit ("0.00").
QString ChartCaption(const QString& description, double zoom, double windowWidthNm, const Units& units);

// The description of a ship on the chart: "Last updated" with the date ("Long Date")
// and time ("Short time"), speed ("#0.0 " and "Knts"), course ("#0.0" and "°"), wind
// speed and wind direction, one per line.
QString ShipDescription(const QDateTime& lastUpdated, double speedKn, double courseDeg, double windSpeedKn,
                        double windDirectionDeg);

// A fix is present while the receiver's time keeps coming.
bool FixPresent(const NavigationState& nav);

// Direction in which the vessel moves on the picture: rotation + course (0..360).
double ScreenDirection(double rotationDeg, double courseDeg);

class ChartFixCycle {
 public:
  ChartFixCycle(const Clock& clock, TrackFile& file, TrackLine& line) : m_clock(clock), m_file(file), m_line(line) {}

  struct Result {
    bool fix = false;
    QPointF vesselPx;                   // valid with fix
    double directionDeg = 0;            // vessel symbol direction
    std::optional<QLineF> newElement;   // a track element to draw
    bool wroteRecord = false;
    bool wroteBreak = false;
    bool keepInViewTimer = false;       // Timer5 on
    bool folderSearch = false;          // run the folder chart search
  };
  // `Timer1`: proj is the chart shown (nullptr without chart).
  Result tick(const NavigationState& nav, const AppSettings& settings, const ChartProjection* proj,
              bool folderSet);
  bool fixLost() const { return m_fixLost; }

 private:
  const Clock& m_clock;
  TrackFile& m_file;
  TrackLine& m_line;
  bool m_fixLost = false;
  bool m_hadFix = false;
};

}  // namespace tavrik
