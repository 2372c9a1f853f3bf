#pragma once
// The program's database: an SQLite file behind the operations the program has always
// used on its database (open a recordset on a table or an SQL text, FindFirst/NoMatch,
// AddNew/Edit/Update, MoveNext/EOF, Delete, Execute, BeginTrans/CommitTrans/Rollback,
// and the schema changes of the upgrade chain).
//
// Table and field names are found without regard to case. Text fields compare without
// regard to case, as the program's queries expect. Booleans are stored -1/0, dates as
// ISO-8601 local text. Counter fields are INTEGER PRIMARY KEY AUTOINCREMENT; relations
// are foreign keys with ON UPDATE CASCADE. The file runs in WAL mode, synchronous FULL.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <array>
#include <vector>

#include "store/store_result.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tavrik {

// Field types by the numbers the program's upgrade steps use.
enum class FieldType : int {
  Boolean = 1, Byte = 2, Integer = 3, Long = 4, Currency = 5, Single = 6, Double = 7,
  Date = 8, Text = 10, Memo = 12,
};

struct FieldDef {
  QString name;
  FieldType type = FieldType::Long;
  int size = 0;             // text size; 0 = 255 for Text
  bool counter = false;     // auto-increment key (Long only)
  bool required = false;
  QVariant defaultValue;    // invalid: none
  static FieldDef text(const QString& n, int size = 50) { return {n, FieldType::Text, size, false, false, {}}; }
  static FieldDef of(const QString& n, FieldType t) { return {n, t, 0, false, false, {}}; }
  static FieldDef counterKey(const QString& n) { return {n, FieldType::Long, 0, true, false, {}}; }
};

struct IndexDef {
  QString name;
  QStringList fields;
  bool primary = false;
  bool unique = false;
};

// A relation from table.field (the primary side) to foreignTable.foreignField.
struct RelationDef {
  QString name;
  QString table, field;
  QString foreignTable, foreignField;
  bool cascadeUpdate = true;   // attribute 256
  bool cascadeDelete = false;
};

struct TableDef {
  QString name;
  std::vector<FieldDef> fields;
  std::vector<IndexDef> indexes;  // the counter's primary key is implied by the field
  const FieldDef* field(const QString& name) const;
};

class Database;

// A recordset: the rows of a table or of an SQL text, read as they are needed, with a
// current row. Edits go to the table the rows come from (for "SELECT T.* ..." that is
// T, else the first table after FROM); results of joins and aggregates that do not
// name a table row are read-only.
class Recordset {
 public:
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  bool eof();
  bool bof() const { return m_pos < 0; }
  void moveFirst();
  void moveNext();
  void movePrevious();
  void moveLast();
  // Every row (all are read).
  int recordCount();
  int absolutePosition() const { return m_pos; }
  bool moveTo(int position);

  // FindFirst/FindNext/FindPrevious/FindLast with a criterion text in the program's
  // query dialect ("Id = 1", "description = 'Skipper''s Rock'"). On no match the
  // current row stays and noMatch() is true.
  bool findFirst(const QString& criterion);
  bool findNext(const QString& criterion);
  bool findPrevious(const QString& criterion);
  bool findLast(const QString& criterion);
  bool noMatch() const { return m_noMatch; }

  int fieldCount() const { return static_cast<int>(m_names.size()); }
  QString fieldName(int i) const { return m_names.at(static_cast<size_t>(i)); }
  int fieldIndex(const QString& name) const;  // -1 when there is none
  bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }

  // The current row's value (or, between AddNew/Edit and Update, the edit buffer's).
  // Invalid QVariant for Null, for no current row or an unknown field.
  QVariant value(const QString& field);
  QVariant value(int index);
  bool isNull(const QString& field) { return !value(field).isValid() || value(field).isNull(); }
  // Readers with the program's habits: Null gives "", 0, false.
  QString text(const QString& field);
  double number(const QString& field);
  qint64 integer(const QString& field);
  bool flag(const QString& field);
  QDateTime date(const QString& field);

  StoreResult addNew();
  StoreResult edit();
  // A bool is stored -1/0, a QDateTime as ISO text; a Single field is rounded to
  // single precision.
  StoreResult setValue(const QString& field, const QVariant& v);
  // Writes the edit buffer. After an AddNew the counter field holds the new key, the
  // new row is the last one and lastModified() is its position.
  StoreResult update();
  void cancelUpdate();
  // Deletes the current row; the position then holds no current row until a move.
  StoreResult remove();
  // Reads the rows again from the database.
  StoreResult requery();
  void close();

  bool updatable() const { return !m_base.isEmpty(); }
  bool editing() const { return m_editMode != EditMode::None; }
  int lastModified() const { return m_lastModified; }
  QString baseTable() const { return m_base; }
  // The result of the last operation (reading, finding, moving).
  const StoreResult& lastResult() const { return m_last; }

 private:
  friend class Database;
  enum class EditMode { None, Add, Edit };
  // A row's values are fieldCount() entries of m_values from `first` on: one pool for
  // all rows spares an allocation per row when long tables are read.
  struct Row {
    size_t first = 0;
    qint64 rowid = 0;
    bool deleted = false;
  };

  Recordset(Database& db, QString sql, QString base, bool hasRowid);
  StoreResult start();
  bool fetchOne();          // false at the end
  void fetchAll();
  void finishStatement();
  bool currentValid();
  bool matches(const QString& criterion, const Row& row);
  // The first row from `from` on that matches; the current row stays when none does.
  bool findForward(int from, const QString& criterion);
  QVariant stored(int column, const QVariant& v) const;

  Database* m_db;
  QString m_sql;
  QString m_base;           // actual name of the table edits go to; empty: read-only
  bool m_hasRowid = false;
  sqlite3_stmt* m_stmt = nullptr;
  bool m_done = false;
  int findField(const QString& name) const;
  std::vector<QString> m_names;
  // The last names asked for, as written: readers ask for the same few row after row.
  mutable std::array<std::pair<QString, int>, 8> m_recentFields;
  mutable size_t m_nextRecent = 0;
  std::vector<QString> m_origin;     // column of the base table each field comes from, or empty
  std::vector<FieldType> m_types;
  std::vector<Row> m_rows;
  std::vector<QVariant> m_values;
  int m_pos = 0;
  bool m_noMatch = false;
  EditMode m_editMode = EditMode::None;
  std::vector<QVariant> m_buffer;
  std::vector<bool> m_changed;
  int m_lastModified = -1;
  QString m_counter;                 // counter field of the base table
  StoreResult m_last;
  sqlite3_stmt* m_findStmt = nullptr;
  QString m_findCriterion;
  // The last write and the read-back after it, kept prepared for runs of AddNew/Update.
  sqlite3_stmt* m_writeStmt = nullptr;
  std::vector<bool> m_writeMask;
  bool m_writeAdd = false;
  std::vector<size_t> m_reloadColumns;
  sqlite3_stmt* m_reloadStmt = nullptr;
  void releaseStatements();
  // The next counter value, valid while the connection made no other change.
  qint64 m_nextCounter = 0;
  qint64 m_changesAtNext = -1;
};

class Database {
 public:
  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  enum class Mode { Existing, Create };
  // Existing: the file must exist and be a database ("Database not found or wrong
  // format" otherwise). Create: a new empty file (an existing one is replaced).
  StoreResult open(const QString& path, Mode mode = Mode::Existing);
  void close();
  bool isOpen() const { return m_db != nullptr; }
  QString path() const { return m_path; }
  sqlite3* handle() const { return m_db; }

  // OpenRecordset on a table name or an SQL text. Never null; on failure the
  // recordset is empty (EOF) and result (and its lastResult) tell why.
  std::unique_ptr<Recordset> openRecordset(const QString& tableOrSql, StoreResult* result = nullptr);
  // Execute: UPDATE, DELETE, INSERT (also "INSERT INTO t IN 'file' ..."), DDL. params
  // bind to "?" in order.
  StoreResult execute(const QString& sql, const QVariantList& params = {});
  int recordsAffected() const { return m_affected; }
  // The first column of the first row, invalid when there is none.
  QVariant scalar(const QString& sql, const QVariantList& params = {}, StoreResult* result = nullptr);
  // Every row of a query, each a list of its column values (Null as invalid).
  std::vector<QVariantList> rows(const QString& sql, const QVariantList& params = {}, StoreResult* result = nullptr);
  qint64 lastInsertId() const;

  // Workspace transactions; they nest (an inner one is a savepoint).
  StoreResult beginTrans();
  StoreResult commitTrans();
  StoreResult rollback();
  int transactionDepth() const { return m_depth; }

  // Schema.
  QStringList tableNames() const;                  // user tables in the order created
  QString tableName(const QString& anyCase) const; // actual name, empty when missing
  bool hasTable(const QString& name) const { return !tableName(name).isEmpty(); }
  bool hasField(const QString& table, const QString& field) const;
  std::optional<TableDef> tableDef(const QString& table) const;
  std::vector<RelationDef> relations() const;
  StoreResult createTable(const TableDef& def, const std::vector<RelationDef>& relations = {});
  StoreResult appendField(const QString& table, const FieldDef& field);
  StoreResult renameField(const QString& table, const QString& from, const QString& to);
  StoreResult deleteField(const QString& table, const QString& field);
  StoreResult createIndex(const QString& table, const IndexDef& index);
  // Adds the relation as a foreign key of the foreign table (the table is rebuilt).
  StoreResult createRelation(const RelationDef& relation);
  StoreResult dropTable(const QString& table);

  // Maps the engine's error to a result (used by Recordset too).
  StoreResult fail(int rc, const QString& context = {}) const;
  QString lastEngineMessage() const;

 private:
  friend class Recordset;
  StoreResult exec(const QString& sql);  // plain, untranslated
  StoreResult prepare(const QString& sql, sqlite3_stmt** stmt) const;
  StoreResult rebuildTable(const TableDef& def, const std::vector<RelationDef>& keep);
  void settleReaders();  // reads every open recordset to its end so the schema may change
  void registerReader(Recordset* r) { m_readers.insert(r); }
  void unregisterReader(Recordset* r) { m_readers.erase(r); }

  // Table names and counter fields, valid while the schema version stays.
  int schemaVersion() const;
  void checkSchemaCache() const;
  QString counterField(const QString& table) const;
  mutable sqlite3_stmt* m_schemaVersionStmt = nullptr;
  mutable int m_cachedSchemaVersion = -1;
  mutable std::map<QString, QString> m_tableNameCache;  // lower case -> actual ("" = none)
  mutable std::map<QString, QString> m_counterCache;    // actual table -> counter field

  sqlite3* m_db = nullptr;
  QString m_path;
  int m_depth = 0;
  int m_affected = 0;
  int m_attachCount = 0;
  std::set<Recordset*> m_readers;
};

// Column text of a field definition in SQLite ("[name] TEXT(50) COLLATE NOCASE").
QString fieldSql(const FieldDef& f);
// A field type read back from a declared column type ("SINGLE", "TEXT(15)", ...).
FieldDef fieldFromDeclared(const QString& name, const QString& declared);

}  // namespace tavrik
