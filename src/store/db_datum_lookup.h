#pragma once
// Datums and ellipsoids as the user keeps them: the Datums and Ellipsoids tables.

#include "geo/datum.h"
#include "store/database.h"

namespace tavrik {

class DatabaseDatumLookup final : public DatumLookup {
 public:
  explicit DatabaseDatumLookup(Database& db) : m_db(db) {}
  // "Datum = n" joined with its ellipsoid "Ellipse = e"; nullopt when either is
  // missing, the database is closed, or the datum's ellipsoid number is not a number.
  std::optional<DatumDefinition> datum(int number) const override;

 private:
  Database& m_db;
};

}  // namespace tavrik
