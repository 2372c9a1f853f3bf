#pragma once
// Checks of what a real database file holds.

#include <gtest/gtest.h>

#include "store/database.h"

namespace tavrik::testing {

// Numbers compare by value, whatever their storage class, but a text never equals a
// number.
inline bool sameValue(const QVariant& got, const QVariant& want) {
  return (got.typeId() == QMetaType::QString) == (want.typeId() == QMetaType::QString) && got == want;
}

// Each query's single value must be the one expected.
inline void expectScalars(Database& db, std::initializer_list<std::pair<const char*, QVariant>> rows) {
  for (const auto& [sql, want] : rows) {
    const QVariant got = db.scalar(QString::fromUtf8(sql));
    EXPECT_TRUE(sameValue(got, want)) << sql << " gave " << got.toString().toStdString() << ", not "
                                      << want.toString().toStdString();
  }
}

}  // namespace tavrik::testing
