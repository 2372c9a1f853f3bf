#include "core/main_cycle.h"

#include <cmath>

#include "core/number_format.h"
#include "core/units.h"

namespace tavrik {

QString degreesMinutesText(double latitude, double longitude, int decimals) {
  QString minutesPattern = QStringLiteral("0");
  if (decimals > 0) minutesPattern += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
  const auto part = [&](double value, const char* positive, const char* negative) {
    const double a = std::fabs(value);
    double degrees = std::floor(a);
    double minutes = (a - degrees) * 60.0;
    // Minutes that round up to 60 belong to the next degree.
    if (formatNumber(minutes, minutesPattern).toDouble() >= 60.0) {
      degrees += 1;
      minutes = 0;
    }
    return formatNumber(degrees, u"0") + QStringLiteral("° ") + formatNumber(minutes, minutesPattern) +
           QStringLiteral("' ") + QLatin1String(value < 0 ? negative : positive);
  };
  return part(latitude, "N", "S") + QStringLiteral(" / ") + part(longitude, "E", "W");
}

void MainCycle::tick() {
  const QDateTime now = m_clock.now();

  // 1. Trip: one second of travel at the current speed, unless a log (VLW) reports it.
  if (m_nav.received(Sentence::VLW) == 0) m_nav.TripDistance += m_nav.SpeedOverGround / 3600.0f;

  // 2. Trip start at the first tick that sees data.
  if (m_nav.TripStartTime.isNull() && m_nav.DataReceived) {
    m_nav.TripStartLatitude = m_nav.Latitude;
    m_nav.TripStartLongitude = m_nav.Longitude;
    m_nav.TripStartTime = now;
  }

  // 3. Go-to request.
  if ((m_requests.gotoLatitude != 0 || m_requests.gotoLongitude != 0) && hooks.gotoRequest) hooks.gotoRequest();

  // 4.
  ++m_tickCount;

  // 5. Clock fallback. The panels follow the computer clock whenever no sentence has
  // supplied a time since the data stopped, also while the input panel is empty, so
  // that a silent receiver still leaves a running clock.
  if (m_nav.TimeStale) m_panels[Panel::Time] = FormatTime(now.time());
  if (m_nav.DateStale) m_panels[Panel::Date] = FormatDate(now.date());

  // 6. Loss of data: something must arrive in every ten ticks.
  if (m_tickCount >= 10) {
    if (!m_nav.DataReceived) {
      m_panels[Panel::InputSource].clear();
      m_nav.ReceivedCount[static_cast<int>(Sentence::VLW)] = 0;
      m_nav.TimeStale = true;
      m_nav.DateStale = true;
      m_panels[Panel::Time] = FormatTime(now.time());
      m_panels[Panel::Date] = FormatDate(now.date());
    }
    m_nav.DataReceived = false;
    m_tickCount = 0;
  }

  // 7, 8. Radar targets and radar sentences.
  if (m_radar.ageTargets(now)) m_requests.radarRedraw = true;
  m_radar.ageRsd(now, m_nav);

  // 9. Position display: the stored last position (or 0 0) shown as if received
  // would mislead; without a current fix the panel says so.
  if (m_nav.FixTime.isNull() || m_nav.TimeStale)
    m_panels[Panel::Position] = QStringLiteral("No fix");
  else
    m_panels[Panel::Position] = hooks.positionText
                                    ? hooks.positionText(m_nav.Latitude, m_nav.Longitude)
                                    : degreesMinutesText(m_nav.Latitude, m_nav.Longitude, m_settings.decimals());

  // 10, 11.
  if (hooks.writePendingLog) hooks.writePendingLog();
  if (hooks.serviceModem) hooks.serviceModem();
}

void MainCycle::minuteTick() {
  if (hooks.graphMinute) hooks.graphMinute();
}

}  // namespace tavrik
