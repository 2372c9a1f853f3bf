#include "geo/ellipsoid_editor.h"

#include <cmath>

#include "core/messages.h"
#include "core/number_format.h"
#include "geo/datum.h"

namespace tavrik {

namespace {

// Metres to 0.1 mm; df (units of 1e-4) to 1e-10, which is 1e-14 in flattening.
QString metres(double v) { return formatNumber(v, u"0.####"); }
QString flatteningE4(double v) { return formatNumber(v, u"0.##########"); }

double value(const QString& text) { return parseLocaleNumber(text); }

double dfOf(double a, double b) { return EllipsoidEditor::kWgs84FlatteningE4 - (a - b) / a * 10000; }

}  // namespace

void EllipsoidEditor::load(double majorAxis, double minorAxis) {
  m_a = metres(majorAxis);
  m_b = metres(minorAxis);
  m_da = metres(kWgs84MajorAxis - majorAxis);
  m_df = majorAxis != 0 ? flatteningE4(dfOf(majorAxis, minorAxis)) : QString();
}

void EllipsoidEditor::changed(Box box, const QString& text) {
  set(box, text);
  if (box != m_focus) return;  // an echo of our own update
  switch (box) {
    case Box::MajorAxis:
      m_da = metres(kWgs84MajorAxis - value(m_a));
      break;
    case Box::Da:
      m_a = metres(kWgs84MajorAxis - value(m_da));
      break;
    case Box::MinorAxis: {
      const double a = value(m_a);
      if (a != 0) m_df = flatteningE4(dfOf(a, value(m_b)));
      break;
    }
    case Box::Df: {
      const double a = value(m_a);
      const double b = a - a * (1 / kWgs84InverseFlattening - value(m_df) / 10000);
      m_b = metres(roundHalfEven(b, 1));
      break;
    }
    case Box::None:
      break;
  }
}

void EllipsoidEditor::set(Box box, const QString& text) {
  switch (box) {
    case Box::MajorAxis: m_a = text; break;
    case Box::MinorAxis: m_b = text; break;
    case Box::Da: m_da = text; break;
    case Box::Df: m_df = text; break;
    case Box::None: break;
  }
}

QString EllipsoidEditor::text(Box box) const {
  switch (box) {
    case Box::MajorAxis: return m_a;
    case Box::MinorAxis: return m_b;
    case Box::Da: return m_da;
    case Box::Df: return m_df;
    case Box::None: break;
  }
  return {};
}

int EllipsoidEditor::saveCheck() const {
  // An axis that reads as no length (blank, "abc", 0) would store an ellipsoid that
  // cannot convert anything: it counts as not filled.
  if (m_a.trimmed().isEmpty() || !(value(m_a) > 0)) return Msg::MajorAxisFilled;
  if (m_b.trimmed().isEmpty() || !(value(m_b) > 0)) return Msg::MinorAxisFilled;
  return 0;
}

double EllipsoidEditor::majorAxis() const { return value(m_a); }
double EllipsoidEditor::minorAxis() const { return value(m_b); }

}  // namespace tavrik
