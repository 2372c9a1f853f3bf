#pragma once
// Checks of what a real database file holds.

#include <gtest/gtest.h>

#include "store/database.h"

namespace tavrik::testing {

// Each query's single value must equal the one expected; numbers compare by value,
// whatever their storage class, but a text never equals a number.
inline void expectScalars(Database& db, std::initializer_list<std::pair<const char*, QVariant>> rows) {
  for (const auto& [sql, want] : rows) {
    const QVariant got = db.scalar(QString::fromUtf8(sql));
    const bool text = want.typeId() == QMetaType::QString;
    EXPECT_TRUE((got.typeId() == QMetaType::QString) == text && got == want)
        << sql << " gave " << got.toString().toStdString() << ", not " << want.toString().toStdString();
  }
}

}  // namespace tavrik::testing
