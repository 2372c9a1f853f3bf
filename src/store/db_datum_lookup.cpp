#include "store/db_datum_lookup.h"

#include <cmath>

namespace tavrik {

std::optional<DatumDefinition> DatabaseDatumLookup::datum(int number) const {
  if (!m_db.isOpen()) return std::nullopt;
  // "Datum = n", then its ellipsoid "Ellipse = e", in one query.
  const auto rows = m_db.rows(QStringLiteral("SELECT d.description, d.ellipse, d.x, d.y, d.z, e.ellipse, e.majoraxis, "
                                             "e.minoraxis FROM Datums AS d LEFT JOIN Ellipsoids AS e ON e.ellipse = d.ellipse "
                                             "WHERE d.datum = ?"),
                              {number});
  if (rows.empty()) return std::nullopt;
  const QVariantList& r = rows.front();
  // An ellipsoid number that is not a number finds no ellipsoid.
  if (!r[5].isValid() || r[1].typeId() == QMetaType::QString) return std::nullopt;
  const auto num = [](const QVariant& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && std::isfinite(d) ? d : 0.0;
  };
  DatumDefinition def;
  def.datum = number;
  def.description = r[0].toString();
  def.ellipse = static_cast<int>(num(r[1]));
  def.x = num(r[2]);
  def.y = num(r[3]);
  def.z = num(r[4]);
  def.majorAxis = num(r[6]);
  def.minorAxis = num(r[7]);
  return def;
}

}  // namespace tavrik
