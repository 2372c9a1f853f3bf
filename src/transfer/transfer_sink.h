#pragma once
// What a transfer reports while it runs: the window shows it, the database keeps the
// records, the command-line tool prints them. Every method has a default that does
// nothing, so each side overrides what it needs.

#include <QString>

#include "transfer/garmin_protocol.h"

namespace tavrik {

enum class Dataset { Waypoints, Proximity, Routes, Tracks };
enum class ReceiverKind { Garmin, Magellan };
QString receiverKindName(ReceiverKind k);

class TransferSink {
 public:
  virtual ~TransferSink() = default;
  // The status label: replaced by setStatus, extended by appendStatus.
  virtual void setStatus(const QString&) {}
  virtual void appendStatus(const QString&) {}
  // The number of records announced; progress runs from 0 to it.
  virtual void recordsExpected(int) {}
  // The record label, and one step of progress.
  virtual void recordShown(const QString&) {}
  virtual void waypoint(const garmin::WaypointRecord&, bool /*proximity*/) {}
  virtual void routeHeader(const garmin::RouteHeader&) {}
  virtual void routeWaypoint(const garmin::WaypointRecord&) {}
  virtual void trackPoint(const garmin::TrackPoint&) {}
  // Magellan routes: the route of this description becomes current (made when
  // missing); its points name stored waypoints, false when there is none.
  virtual void routeNamed(const QString&) {}
  virtual bool routePointNamed(const QString&) { return false; }
  // A record that could not be used (too short, bad field): shown, not stored.
  virtual void recordRejected(const QString&) {}
  virtual void completed() {}
  // The transfer stopped; the message says why.
  virtual void failed(const QString&) {}
};

}  // namespace tavrik
