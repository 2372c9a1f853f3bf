#pragma once
// The autopilot window's logic: lock the magnetic heading or the apparent wind angle,
// adjust by 1 or 10 degrees, tack, and every tick the APB that steers the locked
// course. The window owns the timer and the port.

#include <QByteArray>
#include <QString>

namespace tavrik {

struct NavigationState;

class Autopilot {
 public:
  enum class Mode { Off, Course, Wind };
  explicit Autopilot(const NavigationState& nav) : m_nav(nav) {}

  // "Lock &course": the course to steer is the present magnetic heading.
  void lockCourse();
  // "Lock &wind": keeps the present apparent wind angle (negative from port).
  void lockWind();
  void stop() { m_mode = Mode::Off; }
  // "&<", "&>", "<<", ">>": -1, +1, -10, +10 degrees.
  void adjust(float degrees);
  // "&Tack": the wind from the other side.
  void tack();

  // One tick: in wind mode the course follows the wind. Returns the APB line with
  // checksum and CR LF (empty when off).
  QByteArray tick();

  Mode mode() const { return m_mode; }
  float courseToSteer() const { return m_course; }
  float lockedWind() const { return m_lockedWind; }
  float signedWindAngle() const;
  // Texts of the window: heading (empty until VHW or HDM came), wind angle (empty
  // until VWR came), course to steer and locked angle with "°".
  QString headingText() const;
  QString windText() const;
  QString courseText() const;
  QString lockedText() const;

 private:
  const NavigationState& m_nav;
  Mode m_mode = Mode::Off;
  float m_course = 0;
  float m_lockedWind = 0;
};

}  // namespace tavrik
