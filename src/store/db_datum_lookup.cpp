#include "store/db_datum_lookup.h"

#include <cmath>

namespace tavrik {

std::optional<DatumDefinition> DatabaseDatumLookup::datum(int number) const {
  if (!m_db.isOpen()) return std::nullopt;
  auto d = m_db.openRecordset(QStringLiteral("SELECT * FROM Datums WHERE Datum = %1").arg(number));
  if (!d->lastResult().ok() || d->eof()) return std::nullopt;
  bool numeric = false;
  const double ellipse = d->value(QStringLiteral("ellipse")).toDouble(&numeric);
  if (!numeric || !std::isfinite(ellipse) || std::abs(ellipse) > 2147483647.0) return std::nullopt;
  DatumDefinition def;
  def.datum = number;
  def.description = d->text(QStringLiteral("description"));
  def.ellipse = static_cast<int>(ellipse);
  def.x = d->number(QStringLiteral("x"));
  def.y = d->number(QStringLiteral("y"));
  def.z = d->number(QStringLiteral("z"));
  auto e = m_db.openRecordset(QStringLiteral("SELECT * FROM Ellipsoids WHERE Ellipse = %1").arg(def.ellipse));
  if (!e->lastResult().ok() || e->eof()) return std::nullopt;
  def.majorAxis = e->number(QStringLiteral("majoraxis"));
  def.minorAxis = e->number(QStringLiteral("minoraxis"));
  return def;
}

}  // namespace tavrik
