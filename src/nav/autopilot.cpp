#include "nav/autopilot.h"

#include "core/navigation_state.h"
#include "core/number_format.h"
#include "nav/goto_sentences.h"
#include "nmea/nmea_checksum.h"

namespace tavrik {
namespace {
float within360(float deg) {
  while (deg < 0) deg += 360;
  while (deg >= 360) deg -= 360;
  return deg;
}
}  // namespace

float Autopilot::signedWindAngle() const {
  return m_nav.WindSide == QLatin1String("L") ? -m_nav.WindAngle : m_nav.WindAngle;
}

void Autopilot::lockCourse() {
  m_course = within360(m_nav.HeadingMagnetic);
  m_mode = Mode::Course;
}

void Autopilot::lockWind() {
  m_lockedWind = signedWindAngle();
  m_course = within360(m_nav.HeadingMagnetic);
  m_mode = Mode::Wind;
}

void Autopilot::adjust(float degrees) {
  m_course = within360(m_course + degrees);
  // Turning to starboard brings a starboard wind forward and a port wind aft: the
  // signed angle falls by the turn either way.
  if (m_mode == Mode::Wind) m_lockedWind -= degrees;
}

void Autopilot::tack() { m_lockedWind = -m_lockedWind; }

QByteArray Autopilot::tick() {
  if (m_mode == Mode::Off) return {};
  if (m_mode == Mode::Wind) m_course = within360(signedWindAngle() - m_lockedWind + m_nav.HeadingMagnetic);
  return (NmeaChecksum(buildAutopilotApb(m_nav.HeadingMagnetic, m_course)) + QStringLiteral("\r\n")).toLatin1();
}

QString Autopilot::headingText() const {
  if (m_nav.received(Sentence::VHW) == 0 && m_nav.received(Sentence::HDM) == 0) return {};
  return formatNumber(m_nav.HeadingMagnetic, u"0.0") + QStringLiteral("°");
}

QString Autopilot::windText() const {
  if (m_nav.received(Sentence::VWR) == 0) return {};
  return formatNumber(signedWindAngle(), u"0") + QStringLiteral("°");
}

QString Autopilot::courseText() const { return formatNumber(m_course, u"0.0") + QStringLiteral("°"); }
QString Autopilot::lockedText() const { return formatNumber(m_lockedWind, u"0") + QStringLiteral("°"); }

}  // namespace tavrik
