#pragma once
// The arithmetic behind the ellipsoid edit window: four linked boxes, the major axis
// a, the minor axis b, and their differences from WGS-84, da = 6378137 - a and
// df = (1/298.257223563 - f) x 10000 with f = (a - b) / a. Typing into one box fills
// its partner; the box that holds the focus is noted so that filling the partner does
// not echo back.

#include <QString>

namespace tavrik {

class EllipsoidEditor {
 public:
  enum class Box { None, MajorAxis, MinorAxis, Da, Df };

  // 10000 / 298.257223563: df of an ellipsoid with WGS-84's flattening is 0.
  static constexpr double kWgs84FlatteningE4 = 33.5281066474748;

  // Fills all four boxes from a stored row.
  void load(double majorAxis, double minorAxis);
  // The user moved into a box.
  void setFocus(Box box) { m_focus = box; }
  Box focus() const { return m_focus; }
  // The text of a box changed. Only a change in the box that holds the focus is the
  // user's; it updates the linked box: a -> da, da -> a, b -> df (with a not 0),
  // df -> b (rounded to 0.1 m).
  void changed(Box box, const QString& text);

  QString text(Box box) const;

  // The check before saving: 0 when both axes hold a length, else the message number.
  int saveCheck() const;
  double majorAxis() const;
  double minorAxis() const;

 private:
  void set(Box box, const QString& text);
  QString m_a, m_b, m_da, m_df;
  Box m_focus = Box::None;
};

}  // namespace tavrik
