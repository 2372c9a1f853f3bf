#include "ais/ais_targets.h"

#include <algorithm>
#include <cmath>

namespace tavrik {
namespace {

constexpr double kDegToRad = M_PI / 180.0;

// East and north offsets in nautical miles of (lat, lon) from the own vessel, with
// the WGS-84 radii of curvature at the mid latitude (a minute of latitude is 1843 m
// at the equator and 1862 m at the poles, not 1852 m).
void offset(const OwnVessel& own, double lat, double lon, double& east, double& north) {
  constexpr double a = 6378137.0, e2 = 0.00669437999014;
  double dLon = lon - own.longitude;
  if (dLon > 180) dLon -= 360;
  if (dLon < -180) dLon += 360;
  const double mid = (own.latitude + lat) / 2 * kDegToRad;
  const double w = 1 - e2 * std::sin(mid) * std::sin(mid);
  const double meridian = a * (1 - e2) / (w * std::sqrt(w)), normal = a / std::sqrt(w);
  east = dLon * kDegToRad * normal * std::cos(mid) / 1852.0;
  north = (lat - own.latitude) * kDegToRad * meridian / 1852.0;
}

}  // namespace

CpaResult closestApproach(const OwnVessel& own, double lat, double lon, double speed, double course) {
  double rx, ry;
  offset(own, lat, lon, rx, ry);
  const double vx = speed * std::sin(course * kDegToRad) - own.speed * std::sin(own.course * kDegToRad);
  const double vy = speed * std::cos(course * kDegToRad) - own.speed * std::cos(own.course * kDegToRad);
  const double v2 = vx * vx + vy * vy;
  // Same course and speed: the distance stays as it is.
  if (v2 < 1e-9) return {std::hypot(rx, ry), 0};
  const double tHours = -(rx * vx + ry * vy) / v2;
  return {std::hypot(rx + vx * tHours, ry + vy * tHours), tHours * 60.0};
}

void AisTargets::update(const AisMessage& m, qint64 nowMs) {
  if (m.ownVessel || m.mmsi == 0) return;
  AisTarget& t = m_targets[m.mmsi];
  t.mmsi = m.mmsi;
  t.lastReportMs = nowMs;
  switch (m.type) {
    case 4: t.kind = AisTargetKind::BaseStation; break;
    case 18:
    case 19:
    case 24: t.kind = AisTargetKind::ClassB; break;
    case 21: t.kind = AisTargetKind::AidToNavigation; break;
    default: break;
  }
  if (m.hasPosition()) {
    t.hasPosition = true;
    t.latitude = m.latitude();
    t.longitude = m.longitude();
  }
  if (m.isPositionReport()) {
    t.speed = m.hasSpeed() ? m.speedKnots() : -1;
    t.course = m.hasCourse() ? m.courseDegrees() : -1;
    t.heading = m.hasHeading() ? m.heading : -1;
    if (m.type <= 3) t.status = m.status;
  }
  const bool names = m.type == 5 || m.type == 19 || m.type == 21 || (m.type == 24 && m.partno == 0);
  if (names && m.shipname[0]) t.name = QString::fromLatin1(m.shipname.data());
  const bool sizes = m.type == 5 || m.type == 19 || m.type == 21 || (m.type == 24 && m.partno == 1);
  if (sizes && m.mothershipMmsi == 0 && (m.toBow || m.toStern)) {
    t.length = m.toBow + m.toStern;
    t.beam = m.toPort + m.toStarboard;
  }
  if ((m.type == 5 || (m.type == 24 && m.partno == 1)) && m.callsign[0])
    t.callsign = QString::fromLatin1(m.callsign.data());
  if (m.type == 5 || m.type == 19 || (m.type == 24 && m.partno == 1)) t.shiptype = m.shiptype;
  if (m.type == 5) t.destination = QString::fromLatin1(m.destination.data());
}

void AisTargets::refresh(const OwnVessel& own, const AisAlarmLimits& limits, qint64 nowMs) {
  std::erase_if(m_targets, [&](const auto& e) { return nowMs - e.second.lastReportMs >= kLostAfterMs; });
  for (auto& [mmsi, t] : m_targets) {
    t.rangeNm = t.bearing = -1;
    t.cpaKnown = t.dangerous = false;
    if (!own.valid || !t.hasPosition) continue;
    double east, north;
    offset(own, t.latitude, t.longitude, east, north);
    t.rangeNm = std::hypot(east, north);
    t.bearing = std::fmod(std::atan2(east, north) / kDegToRad + 360.0, 360.0);
    // Aids and base stations do not move; a moving target needs its course and speed.
    const bool fixed = t.kind == AisTargetKind::AidToNavigation || t.kind == AisTargetKind::BaseStation;
    if (!fixed && (t.speed < 0 || (t.course < 0 && t.speed > 0.1))) continue;
    const CpaResult c =
        closestApproach(own, t.latitude, t.longitude, fixed ? 0 : t.speed, fixed || t.course < 0 ? 0 : t.course);
    t.cpaKnown = true;
    t.cpaNm = c.cpaNm;
    t.tcpaMinutes = c.tcpaMinutes;
    // Aids and base stations are charted hazards, not traffic: no collision alarm.
    t.dangerous = !fixed && c.cpaNm < limits.cpaNm && c.tcpaMinutes >= 0 && c.tcpaMinutes <= limits.tcpaMinutes;
  }
}

bool AisCpaAlarm::update(const std::vector<uint32_t>& dangerous) {
  m_current = dangerous;
  std::erase_if(m_acknowledged, [&](uint32_t m) { return std::find(dangerous.begin(), dangerous.end(), m) == dangerous.end(); });
  m_sounding = std::any_of(dangerous.begin(), dangerous.end(), [&](uint32_t m) {
    return std::find(m_acknowledged.begin(), m_acknowledged.end(), m) == m_acknowledged.end();
  });
  return m_sounding;
}

const AisTarget* AisTargets::find(uint32_t mmsi) const {
  const auto it = m_targets.find(mmsi);
  return it == m_targets.end() ? nullptr : &it->second;
}

std::vector<const AisTarget*> AisTargets::byRange() const {
  std::vector<const AisTarget*> out;
  out.reserve(m_targets.size());
  for (const auto& e : m_targets) out.push_back(&e.second);
  std::sort(out.begin(), out.end(), [](const AisTarget* a, const AisTarget* b) {
    const bool ra = a->rangeNm >= 0, rb = b->rangeNm >= 0;
    if (ra != rb) return ra;
    if (ra && a->rangeNm != b->rangeNm) return a->rangeNm < b->rangeNm;
    return a->mmsi < b->mmsi;
  });
  return out;
}

std::vector<uint32_t> AisTargets::dangerous() const {
  std::vector<const AisTarget*> hits;
  for (const auto& e : m_targets)
    if (e.second.dangerous) hits.push_back(&e.second);
  std::sort(hits.begin(), hits.end(), [](const AisTarget* a, const AisTarget* b) {
    return a->cpaNm != b->cpaNm ? a->cpaNm < b->cpaNm : a->mmsi < b->mmsi;
  });
  std::vector<uint32_t> out;
  for (const AisTarget* t : hits) out.push_back(t->mmsi);
  return out;
}

}  // namespace tavrik
