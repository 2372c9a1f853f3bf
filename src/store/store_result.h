#pragma once
// The outcome of a store operation: the database engine's error number (the numbers
// the program has always reported, e.g. 3022 for a duplicate key), the entry of the
// message table that fits (0 when none does; then the general error box applies), and
// the engine's own description.

#include <QString>

namespace tavrik {

namespace DbError {
enum : int {
  None = 0,
  UpdateWithoutAddNew = 3020,   // "Update or CancelUpdate without AddNew or Edit"
  NoCurrentRecord = 3021,
  DuplicateKey = 3022,
  FileNotFound = 3024,
  NotUpdatable = 3027,
  TableExists = 3010,
  CannotOpen = 3051,
  SqlError = 3061,
  TableNotFound = 3078,
  FieldExists = 3191,
  CannotDeleteRelated = 3200,
  RelatedRecordRequired = 3201,
  Locked = 3260,
  ItemNotFound = 3265,          // no field of that name
  FieldRequired = 3314,
  NotOpen = 3420,               // "Object invalid or no longer set"
  UnrecognizedFormat = 3343,    // not a database, or a damaged one
  Transaction = 3034,           // commit or rollback without BeginTrans
  Other = 3000,
};
}  // namespace DbError

struct StoreResult {
  int error = DbError::None;
  int message = 0;  // MessageText number, 0 when the general error box applies
  QString detail;

  bool ok() const { return error == DbError::None; }
  explicit operator bool() const { return ok(); }
  bool duplicateKey() const { return error == DbError::DuplicateKey; }
  static StoreResult success() { return {}; }
  static StoreResult failure(int error, const QString& detail, int message = 0) { return {error, message, detail}; }
};

}  // namespace tavrik
