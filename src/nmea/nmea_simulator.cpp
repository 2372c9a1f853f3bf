#include "nmea/nmea_simulator.h"

#include <cmath>

#include "core/number_format.h"
#include "geo/nav_math.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {
namespace {

// Wire numbers always use a point, whatever the locale produced.
QString wire(double v, QStringView pattern) { return formatNumber(v, pattern).replace(',', '.'); }

// ddmm.mmm / dddmm.mmm with the minutes' decimals of the "Decimals" setting.
QString coordinate(double value, int degreeDigits, int decimals) {
  const double a = std::fabs(value);
  const double degrees = std::floor(a);
  const QString minutesPattern = decimals > 0 ? QStringLiteral("00.") + QString(decimals, '0') : QStringLiteral("00");
  return wire(degrees, degreeDigits == 2 ? u"00" : u"000") + wire((a - degrees) * 60, minutesPattern);
}

QString line(const QString& body) { return NmeaChecksum(body) + QStringLiteral("\r\n"); }

}  // namespace

void NmeaSimulator::start() {
  m_rx.beginSession();
  if (m_rx.ForwardPort() != 0) m_rx.openForwardPort();
  m_running = true;
}

void NmeaSimulator::stop() {
  if (!m_running) return;
  m_running = false;
  m_rx.endSession();
}

QString NmeaSimulator::sentences() const {
  const Units& units = m_settings.units;
  const double knots = state.speed / units.UnitFactor;

  // RMC carries UTC: the computer's local time less the local offset. An hour that
  // leaves 0..23 is brought back and the date moved with it.
  const QDateTime now = m_clock.now();
  QDate date = now.date();
  int hour = now.time().hour() - m_settings.LocalTimeOffset();
  while (hour < 0) {
    hour += 24;
    date = date.addDays(-1);
  }
  while (hour > 23) {
    hour -= 24;
    date = date.addDays(1);
  }
  const int decimals = m_settings.decimals();
  QString rmc = QStringLiteral("$GPRMC,") + wire(hour, u"00") + wire(now.time().minute(), u"00") +
                wire(now.time().second(), u"00") + QStringLiteral(",A,") + coordinate(state.latitude, 2, decimals) +
                (state.latitude < 0 ? QStringLiteral(",S,") : QStringLiteral(",N,")) +
                coordinate(state.longitude, 3, decimals) +
                (state.longitude < 0 ? QStringLiteral(",W,") : QStringLiteral(",E,")) + wire(knots, u"#0.0") + ',' +
                wire(state.trueCourse, u"#0.0") + ',' + wire(date.day(), u"00") + wire(date.month(), u"00") +
                wire(date.year() % 100, u"00") + ',' + wire(std::fabs(m_nav.GpsVariation), u"#0.0") +
                (m_nav.GpsVariation < 0 ? QStringLiteral(",W") : QStringLiteral(",E")) + QStringLiteral(",A");

  const QString mtw = QStringLiteral("$GPMTW,") + wire(state.waterTemperature, u"#0.0") + QStringLiteral(",C");
  const QString vhw = QStringLiteral("$GPVHW,") + wire(state.trueCourse, u"#0.0") + QStringLiteral(",T,") +
                      wire(state.magneticCourse, u"#0.0") + QStringLiteral(",M,") + wire(knots, u"#0.0") +
                      QStringLiteral(",N,") + wire(knots * 1.852, u"#0.0") + QStringLiteral(",K");
  const double a = static_cast<double>(state.windDirection) - state.magneticCourse;
  const QString vwr = QStringLiteral("$GPVWR,") + wire(std::fabs(a), u"#0.0") +
                      (a < 0 ? QStringLiteral(",L,") : QStringLiteral(",R,")) + wire(state.windSpeed, u"#0.0") +
                      QStringLiteral(",N,") + wire(state.windSpeed * 1852.0 / 3600.0, u"#0.0") + QStringLiteral(",M,") +
                      wire(state.windSpeed * 1.852, u"#0.0") + QStringLiteral(",K");
  // Inches of mercury in field 1 and bars in field 3, both from the same millibar.
  const QString mmb = QStringLiteral("$GPMMB,") + wire(state.airPressure / 33.8639, u"#0.00") + QStringLiteral(",I,") +
                      wire(state.airPressure / 1000.0, u"#0.0000") + QStringLiteral(",B");
  const QString dbt = QStringLiteral("$GPDBT,") + wire(state.depthMetres / 0.3048, u"#0.0") + QStringLiteral(",f,") +
                      wire(state.depthMetres, u"#0.0") + QStringLiteral(",M,") + wire(state.depthMetres / 1.829, u"#0.0") +
                      QStringLiteral(",F");
  return line(rmc) + line(mtw) + line(vhw) + line(vwr) + line(mmb) + line(dbt);
}

void NmeaSimulator::tick() {
  if (m_panels.inputSource().isEmpty()) m_panels[Panel::InputSource] = QStringLiteral("Simul");
  const Units& units = m_settings.units;
  if (state.shownUnit != units.DistanceUnit) {
    double s = state.speed;
    if (state.shownUnit == QLatin1String("Km")) s /= 1.852;
    else if (state.shownUnit == QLatin1String("M")) s /= 1.15078;
    state.speed = static_cast<float>(s * units.UnitFactor);
    state.shownUnit = units.DistanceUnit;
  }
  CalcRecord c;
  c.Lat1 = state.latitude;
  c.Lon1 = state.longitude;
  c.Course = state.trueCourse;
  c.Distance = state.speed / 3600.0 / units.UnitFactor;
  DeadReckoning(c);
  state.latitude = static_cast<float>(c.Lat2);
  state.longitude = static_cast<float>(c.Lon2);
  const QByteArray text = sentences().toLatin1();
  m_rx.inject(0, std::string_view(text.constData(), static_cast<size_t>(text.size())));
}

}  // namespace tavrik
