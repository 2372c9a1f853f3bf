#include "store/database.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

#include "core/messages.h"
#include "store/sql_text.h"

namespace tavrik {
namespace {

const char* const kRowid = "__rowid__";

QString q(const QString& name) { return sqlName(name); }

QString stripBrackets(QString name) {
  name = name.trimmed();
  if (name.size() >= 2 && ((name.startsWith('[') && name.endsWith(']')) || (name.startsWith('"') && name.endsWith('"')) ||
                           (name.startsWith('`') && name.endsWith('`'))))
    name = name.mid(1, name.size() - 2);
  return name;
}

QVariant columnValue(sqlite3_stmt* st, int i) {
  switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st, i));
    case SQLITE_TEXT:
      return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                        sqlite3_column_bytes(st, i)));
    case SQLITE_BLOB:
      return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i)));
    default: return {};
  }
}

int bindValue(sqlite3_stmt* st, int i, const QVariant& v) {
  if (!v.isValid() || v.isNull()) return sqlite3_bind_null(st, i);
  switch (v.typeId()) {
    case QMetaType::Bool: return sqlite3_bind_int64(st, i, v.toBool() ? -1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong: return sqlite3_bind_int64(st, i, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return sqlite3_bind_double(st, i, v.toDouble());
    case QMetaType::QDateTime: {
      const QByteArray t = dbDateText(v.toDateTime()).toUtf8();
      return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QDate: {
      const QByteArray t = dbDateText(QDateTime(v.toDate(), QTime(0, 0))).toUtf8();
      return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QByteArray: {
      const QByteArray b = v.toByteArray();
      return sqlite3_bind_blob(st, i, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    }
    default: {
      const QByteArray t = v.toString().toUtf8();
      return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
  }
}

bool isSelectText(const QString& s) {
  static const QRegularExpression re(QStringLiteral(R"(^\s*(SELECT\b|WITH\b|VALUES\b|PRAGMA\b|\())"),
                                     QRegularExpression::CaseInsensitiveOption);
  return re.match(s).hasMatch();
}

struct Statement {
  sqlite3_stmt* st = nullptr;
  ~Statement() { sqlite3_finalize(st); }
};

}  // namespace

// ---------------------------------------------------------------- field definitions

const FieldDef* TableDef::field(const QString& n) const {
  for (const FieldDef& f : fields)
    if (f.name.compare(n, Qt::CaseInsensitive) == 0) return &f;
  return nullptr;
}

QString fieldSql(const FieldDef& f) {
  QString t;
  if (f.counter) return q(f.name) + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
  switch (f.type) {
    case FieldType::Boolean: t = QStringLiteral("BOOLEAN"); break;
    case FieldType::Byte: t = QStringLiteral("BYTE"); break;
    case FieldType::Integer: t = QStringLiteral("SMALLINT"); break;
    case FieldType::Long: t = QStringLiteral("INTEGER"); break;
    case FieldType::Currency: t = QStringLiteral("CURRENCY"); break;
    case FieldType::Single: t = QStringLiteral("FLOAT"); break;
    case FieldType::Double: t = QStringLiteral("DOUBLE"); break;
    case FieldType::Date: t = QStringLiteral("DATETIME"); break;
    case FieldType::Text: t = QStringLiteral("TEXT(%1) COLLATE NOCASE").arg(f.size > 0 ? f.size : 255); break;
    case FieldType::Memo: t = QStringLiteral("LONGTEXT COLLATE NOCASE"); break;
  }
  QString s = q(f.name) + ' ' + t;
  if (f.required) s += QStringLiteral(" NOT NULL");
  if (f.defaultValue.isValid() && !f.defaultValue.isNull()) {
    const int id = f.defaultValue.typeId();
    if (id == QMetaType::QString) s += QStringLiteral(" DEFAULT ") + sqlQuote(f.defaultValue.toString());
    else if (id == QMetaType::Bool) s += f.defaultValue.toBool() ? QStringLiteral(" DEFAULT -1") : QStringLiteral(" DEFAULT 0");
    else s += QStringLiteral(" DEFAULT ") + QString::number(f.defaultValue.toDouble(), 'g', 17);
  }
  return s;
}

FieldDef fieldFromDeclared(const QString& name, const QString& declared) {
  FieldDef f;
  f.name = name;
  const QString d = declared.trimmed().toUpper();
  static const QRegularExpression size(QStringLiteral(R"(\((\d+)\))"));
  const auto sizeOf = [&] {
    const QRegularExpressionMatch m = size.match(d);
    return m.hasMatch() ? m.captured(1).toInt() : 255;
  };
  if (d.startsWith(QLatin1String("BOOL")) || d.startsWith(QLatin1String("BIT")) || d.startsWith(QLatin1String("YESNO"))) f.type = FieldType::Boolean;
  else if (d.startsWith(QLatin1String("BYTE")) || d.startsWith(QLatin1String("TINYINT"))) f.type = FieldType::Byte;
  else if (d.startsWith(QLatin1String("SMALLINT")) || d.startsWith(QLatin1String("SHORT"))) f.type = FieldType::Integer;
  else if (d.startsWith(QLatin1String("CURRENCY")) || d.startsWith(QLatin1String("MONEY"))) f.type = FieldType::Currency;
  else if (d.startsWith(QLatin1String("FLOAT")) || d.startsWith(QLatin1String("SINGLE")) || d.startsWith(QLatin1String("REAL"))) f.type = FieldType::Single;
  else if (d.startsWith(QLatin1String("DOUBLE")) || d.startsWith(QLatin1String("NUMERIC")) || d.startsWith(QLatin1String("NUMBER"))) f.type = FieldType::Double;
  else if (d.startsWith(QLatin1String("DATE")) || d.startsWith(QLatin1String("TIME"))) f.type = FieldType::Date;
  else if (d.startsWith(QLatin1String("LONGTEXT")) || d.startsWith(QLatin1String("MEMO"))) f.type = FieldType::Memo;
  else if (d.contains(QLatin1String("CHAR")) || d.contains(QLatin1String("TEXT")) || d.isEmpty()) {
    f.type = FieldType::Text;
    f.size = sizeOf();
  } else f.type = FieldType::Long;
  return f;
}

// ---------------------------------------------------------------- Database

Database::Database() = default;

Database::~Database() { close(); }

StoreResult Database::fail(int rc, const QString& context) const {
  const int ext = m_db ? sqlite3_extended_errcode(m_db) : rc;
  const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
  const QString detail = context.isEmpty() ? msg : context + QStringLiteral(": ") + msg;
  const int primary = rc & 0xff;
  if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
    return StoreResult::failure(DbError::DuplicateKey, detail);
  if (ext == SQLITE_CONSTRAINT_FOREIGNKEY)
    return StoreResult::failure(context.trimmed().startsWith(QLatin1String("DELETE"), Qt::CaseInsensitive)
                                    ? DbError::CannotDeleteRelated
                                    : DbError::RelatedRecordRequired,
                                detail);
  if (ext == SQLITE_CONSTRAINT_NOTNULL) return StoreResult::failure(DbError::FieldRequired, detail);
  if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
    return StoreResult::failure(DbError::UnrecognizedFormat, detail, Msg::DatabaseNotFound);
  if (primary == SQLITE_CANTOPEN) return StoreResult::failure(DbError::CannotOpen, detail, Msg::DatabaseNotFound);
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) return StoreResult::failure(DbError::Locked, detail);
  if (primary == SQLITE_ERROR) {
    if (msg.contains(QLatin1String("no such table"))) return StoreResult::failure(DbError::TableNotFound, detail);
    if (msg.contains(QLatin1String("duplicate column"))) return StoreResult::failure(DbError::FieldExists, detail);
    if (msg.contains(QLatin1String("already exists"))) return StoreResult::failure(DbError::TableExists, detail);
    return StoreResult::failure(DbError::SqlError, detail);
  }
  return StoreResult::failure(DbError::Other, detail);
}

QString Database::lastEngineMessage() const { return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString(); }

StoreResult Database::open(const QString& path, Mode mode) {
  close();
  const QByteArray file = QFile::encodeName(path);
  // One thread uses a connection: the engine's own locking of each call is not needed.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  if (mode == Mode::Existing) {
    if (!QFileInfo(path).isFile())
      return StoreResult::failure(DbError::FileNotFound, QStringLiteral("File not found: ") + path, Msg::DatabaseNotFound);
    // The engine would take an empty file for a new database and write into it.
    if (QFileInfo(path).size() == 0)
      return StoreResult::failure(DbError::UnrecognizedFormat, QStringLiteral("Unrecognized database format: ") + path,
                                  Msg::DatabaseNotFound);
  } else {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
    flags |= SQLITE_OPEN_CREATE;
  }
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close(db);
    return StoreResult::failure(DbError::CannotOpen, path + QStringLiteral(": ") + msg, Msg::DatabaseNotFound);
  }
  m_db = db;
  m_path = path;
  sqlite3_extended_result_codes(m_db, 1);
  sqlite3_busy_timeout(m_db, 2000);
  // Reading the schema is what tells a database from any other file.
  StoreResult r = exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
  if (r.ok()) r = exec(QStringLiteral("PRAGMA journal_mode=WAL"));
  if (r.ok()) r = exec(QStringLiteral("PRAGMA synchronous=FULL"));
  if (r.ok()) r = exec(QStringLiteral("PRAGMA foreign_keys=ON"));
  if (!r.ok()) {
    if (r.error == DbError::SqlError || r.error == DbError::Other) {
      r.error = DbError::UnrecognizedFormat;
      r.message = Msg::DatabaseNotFound;
    }
    sqlite3_close(m_db);
    m_db = nullptr;
    m_path.clear();
    return r;
  }
  return StoreResult::success();
}

void Database::close() {
  if (!m_db) return;
  for (Recordset* r : std::set<Recordset*>(m_readers)) r->finishStatement();
  for (Recordset* r : std::set<Recordset*>(m_readers)) {
    r->releaseStatements();
    r->m_db = nullptr;
  }
  m_readers.clear();
  sqlite3_finalize(m_schemaVersionStmt);
  m_schemaVersionStmt = nullptr;
  m_cachedSchemaVersion = -1;
  m_tableNameCache.clear();
  m_counterCache.clear();
  if (m_depth > 0) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
  m_depth = 0;
  sqlite3_close_v2(m_db);
  m_db = nullptr;
  m_path.clear();
}

StoreResult Database::prepare(const QString& sql, sqlite3_stmt** stmt) const {
  if (!m_db) return StoreResult::failure(DbError::NotOpen, QStringLiteral("The database is not open"));
  const QByteArray text = sql.toUtf8();
  const int rc = sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), stmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(*stmt);
    *stmt = nullptr;
    return fail(rc, sql);
  }
  return StoreResult::success();
}

StoreResult Database::exec(const QString& sql) {
  if (!m_db) return StoreResult::failure(DbError::NotOpen, QStringLiteral("The database is not open"));
  char* err = nullptr;
  const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
  sqlite3_free(err);
  if (rc != SQLITE_OK) return fail(rc, sql);
  return StoreResult::success();
}

void Database::settleReaders() {
  for (Recordset* r : std::set<Recordset*>(m_readers)) r->fetchAll();
}

StoreResult Database::execute(const QString& sql, const QVariantList& params) {
  if (!m_db) return StoreResult::failure(DbError::NotOpen, QStringLiteral("The database is not open"));
  m_affected = 0;
  settleReaders();
  InsertIntoFile into;
  if (parseInsertIntoFile(sql, &into)) {
    const QString alias = QStringLiteral("ext%1").arg(++m_attachCount);
    StoreResult r = execute(QStringLiteral("ATTACH DATABASE ? AS ") + alias, {into.file});
    if (!r.ok()) return r;
    r = execute(QStringLiteral("INSERT INTO ") + alias + '.' + q(into.table) + ' ' + into.rest, params);
    const int affected = m_affected;
    exec(QStringLiteral("DETACH DATABASE ") + alias);
    m_affected = affected;
    return r;
  }
  QByteArray text = translateJetSql(sql).toUtf8();
  const char* tail = text.constData();
  const char* end = tail + text.size();
  while (tail < end) {
    sqlite3_stmt* st = nullptr;
    const char* next = nullptr;
    int rc = sqlite3_prepare_v2(m_db, tail, static_cast<int>(end - tail), &st, &next);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(st);
      return fail(rc, sql);
    }
    if (!st) break;  // only blanks or a comment left
    for (int i = 0; i < params.size() && i < sqlite3_bind_parameter_count(st); ++i) bindValue(st, i + 1, params[i]);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
      const StoreResult r = fail(rc, sql);
      sqlite3_finalize(st);
      return r;
    }
    m_affected += sqlite3_changes(m_db);
    sqlite3_finalize(st);
    tail = next;
  }
  return StoreResult::success();
}

QVariant Database::scalar(const QString& sql, const QVariantList& params, StoreResult* result) {
  Statement s;
  StoreResult r = prepare(translateJetSql(sql), &s.st);
  QVariant v;
  if (r.ok()) {
    for (int i = 0; i < params.size() && i < sqlite3_bind_parameter_count(s.st); ++i) bindValue(s.st, i + 1, params[i]);
    const int rc = sqlite3_step(s.st);
    if (rc == SQLITE_ROW) v = columnValue(s.st, 0);
    else if (rc != SQLITE_DONE) r = fail(rc, sql);
  }
  if (result) *result = r;
  return v;
}

std::vector<QVariantList> Database::rows(const QString& sql, const QVariantList& params, StoreResult* result) {
  std::vector<QVariantList> out;
  Statement s;
  StoreResult r = prepare(translateJetSql(sql), &s.st);
  if (r.ok()) {
    for (int i = 0; i < params.size() && i < sqlite3_bind_parameter_count(s.st); ++i) bindValue(s.st, i + 1, params[i]);
    const int n = sqlite3_column_count(s.st);
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
      QVariantList row;
      row.reserve(n);
      for (int i = 0; i < n; ++i) row << columnValue(s.st, i);
      out.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) r = fail(rc, sql);
  }
  if (result) *result = r;
  return out;
}

qint64 Database::lastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }

StoreResult Database::beginTrans() {
  if (!m_db) return StoreResult::failure(DbError::NotOpen, QStringLiteral("The database is not open"));
  const StoreResult r = m_depth == 0 ? exec(QStringLiteral("BEGIN IMMEDIATE"))
                                     : exec(QStringLiteral("SAVEPOINT tavrik_sp%1").arg(m_depth));
  if (r.ok()) ++m_depth;
  return r;
}

StoreResult Database::commitTrans() {
  if (m_depth == 0) return StoreResult::failure(DbError::Transaction, QStringLiteral("Commit without BeginTrans"));
  const StoreResult r = m_depth == 1 ? exec(QStringLiteral("COMMIT"))
                                     : exec(QStringLiteral("RELEASE tavrik_sp%1").arg(m_depth - 1));
  if (r.ok()) --m_depth;
  return r;
}

StoreResult Database::rollback() {
  if (m_depth == 0) return StoreResult::failure(DbError::Transaction, QStringLiteral("Rollback without BeginTrans"));
  settleReaders();
  StoreResult r;
  if (m_depth == 1) {
    r = exec(QStringLiteral("ROLLBACK"));
    if (!sqlite3_get_autocommit(m_db)) return r;  // still in the transaction: keep the depth
  } else {
    r = exec(QStringLiteral("ROLLBACK TO tavrik_sp%1").arg(m_depth - 1));
    if (r.ok()) r = exec(QStringLiteral("RELEASE tavrik_sp%1").arg(m_depth - 1));
  }
  --m_depth;
  return r;
}

// ---------------------------------------------------------------- schema

QStringList Database::tableNames() const {
  QStringList names;
  Statement s;
  if (!prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                              "ESCAPE '\\' ORDER BY rowid"),
               &s.st)
           .ok())
    return names;
  while (sqlite3_step(s.st) == SQLITE_ROW) names << columnValue(s.st, 0).toString();
  return names;
}

int Database::schemaVersion() const {
  if (!m_db) return -1;
  if (!m_schemaVersionStmt && !prepare(QStringLiteral("PRAGMA schema_version"), &m_schemaVersionStmt).ok()) return -1;
  const int v = sqlite3_step(m_schemaVersionStmt) == SQLITE_ROW ? sqlite3_column_int(m_schemaVersionStmt, 0) : -1;
  sqlite3_reset(m_schemaVersionStmt);
  return v;
}

void Database::checkSchemaCache() const {
  const int v = schemaVersion();
  if (v != m_cachedSchemaVersion || v < 0) {
    m_tableNameCache.clear();
    m_counterCache.clear();
    m_cachedSchemaVersion = v;
  }
}

QString Database::counterField(const QString& table) const {
  checkSchemaCache();
  const auto it = m_counterCache.find(table);
  if (it != m_counterCache.end()) return it->second;
  QString counter;
  if (const auto def = tableDef(table))
    for (const FieldDef& f : def->fields)
      if (f.counter) counter = f.name;
  if (m_cachedSchemaVersion >= 0) m_counterCache[table] = counter;
  return counter;
}

QString Database::tableName(const QString& anyCase) const {
  checkSchemaCache();
  const QString key = stripBrackets(anyCase).toLower();
  const auto it = m_tableNameCache.find(key);
  if (it != m_tableNameCache.end()) return it->second;
  Statement s;
  if (!prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"), &s.st).ok())
    return {};
  const QByteArray n = stripBrackets(anyCase).toUtf8();
  sqlite3_bind_text(s.st, 1, n.constData(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
  const QString actual = sqlite3_step(s.st) == SQLITE_ROW ? columnValue(s.st, 0).toString() : QString();
  if (m_cachedSchemaVersion >= 0) m_tableNameCache[key] = actual;
  return actual;
}

bool Database::hasField(const QString& table, const QString& field) const {
  const auto def = tableDef(table);
  return def && def->field(field) != nullptr;
}

std::optional<TableDef> Database::tableDef(const QString& table) const {
  const QString name = tableName(table);
  if (name.isEmpty()) return std::nullopt;
  TableDef def;
  def.name = name;
  const QString createSql = [&] {
    Statement s;
    if (!prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"), &s.st).ok()) return QString();
    const QByteArray n = name.toUtf8();
    sqlite3_bind_text(s.st, 1, n.constData(), static_cast<int>(n.size()), SQLITE_TRANSIENT);
    return sqlite3_step(s.st) == SQLITE_ROW ? columnValue(s.st, 0).toString() : QString();
  }();
  const bool autoincrement = createSql.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
  {
    Statement s;
    if (!prepare(QStringLiteral("PRAGMA table_info(%1)").arg(q(name)), &s.st).ok()) return std::nullopt;
    QStringList pk;
    int pkCount = 0;
    while (sqlite3_step(s.st) == SQLITE_ROW) {
      FieldDef f = fieldFromDeclared(columnValue(s.st, 1).toString(), columnValue(s.st, 2).toString());
      f.required = sqlite3_column_int(s.st, 3) != 0;
      const QVariant dflt = columnValue(s.st, 4);
      if (dflt.isValid()) {
        const QString d = dflt.toString();
        if (d.startsWith('\'')) f.defaultValue = d.mid(1, d.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        else f.defaultValue = d.toDouble();
      }
      const int pkPos = sqlite3_column_int(s.st, 5);
      if (pkPos > 0) {
        ++pkCount;
        pk << f.name;
      }
      def.fields.push_back(f);
    }
    if (pkCount == 1 && autoincrement)
      for (FieldDef& f : def.fields)
        if (f.name == pk.first() && f.type == FieldType::Long) f.counter = true;
    if (!pk.isEmpty()) def.indexes.push_back({QStringLiteral("PrimaryKey"), pk, true, true});
  }
  {
    Statement s;
    if (!prepare(QStringLiteral("PRAGMA index_list(%1)").arg(q(name)), &s.st).ok()) return def;
    struct Idx {
      QString name;
      bool unique;
      QString origin;
    };
    std::vector<Idx> list;
    while (sqlite3_step(s.st) == SQLITE_ROW)
      list.push_back({columnValue(s.st, 1).toString(), sqlite3_column_int(s.st, 2) != 0, columnValue(s.st, 3).toString()});
    std::reverse(list.begin(), list.end());
    for (const Idx& idx : list) {
      if (idx.origin == QLatin1String("pk")) continue;  // reported above
      Statement is;
      if (!prepare(QStringLiteral("PRAGMA index_info(%1)").arg(q(idx.name)), &is.st).ok()) continue;
      IndexDef d;
      d.name = idx.name.startsWith(name + ':') ? idx.name.mid(name.size() + 1) : idx.name;
      d.unique = idx.unique;
      d.primary = d.name.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) == 0;
      while (sqlite3_step(is.st) == SQLITE_ROW) d.fields << columnValue(is.st, 2).toString();
      if (d.primary && std::any_of(def.indexes.begin(), def.indexes.end(), [](const IndexDef& i) { return i.primary; }))
        continue;
      def.indexes.push_back(d);
    }
  }
  return def;
}

std::vector<RelationDef> Database::relations() const {
  std::vector<RelationDef> rels;
  static const QRegularExpression re(
      QStringLiteral(R"(CONSTRAINT\s+\[([^\]]+)\]\s+FOREIGN\s+KEY\s*\(\[([^\]]+)\]\)\s*REFERENCES\s+\[([^\]]+)\]\s*\(\[([^\]]+)\]\)((?:\s+ON\s+(?:UPDATE|DELETE)\s+CASCADE)*))"),
      QRegularExpression::CaseInsensitiveOption);
  Statement s;
  if (!prepare(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'table' ORDER BY rowid"), &s.st).ok()) return rels;
  while (sqlite3_step(s.st) == SQLITE_ROW) {
    const QString table = columnValue(s.st, 0).toString();
    const QString sql = columnValue(s.st, 1).toString();
    auto it = re.globalMatch(sql);
    if (!it.hasNext()) {
      // Keys written without a name (by other tools): named after the table and field.
      Statement fk;
      if (prepare(QStringLiteral("PRAGMA foreign_key_list(%1)").arg(q(table)), &fk.st).ok())
        while (sqlite3_step(fk.st) == SQLITE_ROW) {
          RelationDef r;
          r.table = columnValue(fk.st, 2).toString();
          r.foreignField = columnValue(fk.st, 3).toString();
          r.field = columnValue(fk.st, 4).toString();
          r.foreignTable = table;
          r.name = r.table + r.foreignTable;
          r.cascadeUpdate = columnValue(fk.st, 5).toString().compare(QLatin1String("CASCADE"), Qt::CaseInsensitive) == 0;
          r.cascadeDelete = columnValue(fk.st, 6).toString().compare(QLatin1String("CASCADE"), Qt::CaseInsensitive) == 0;
          if (r.field.isEmpty()) r.field = r.foreignField;
          rels.push_back(r);
        }
    }
    while (it.hasNext()) {
      const QRegularExpressionMatch m = it.next();
      RelationDef r;
      r.name = m.captured(1);
      r.foreignTable = table;
      r.foreignField = m.captured(2);
      r.table = m.captured(3);
      r.field = m.captured(4);
      r.cascadeUpdate = m.captured(5).contains(QLatin1String("UPDATE"), Qt::CaseInsensitive);
      r.cascadeDelete = m.captured(5).contains(QLatin1String("DELETE"), Qt::CaseInsensitive);
      rels.push_back(r);
    }
  }
  return rels;
}

namespace {

QString relationSql(const RelationDef& r) {
  QString s = QStringLiteral("CONSTRAINT %1 FOREIGN KEY (%2) REFERENCES %3 (%4)")
                  .arg(q(r.name), q(r.foreignField), q(r.table), q(r.field));
  if (r.cascadeUpdate) s += QStringLiteral(" ON UPDATE CASCADE");
  if (r.cascadeDelete) s += QStringLiteral(" ON DELETE CASCADE");
  return s;
}

QString createTableSql(const QString& name, const TableDef& def, const std::vector<RelationDef>& rels) {
  QStringList parts;
  // A primary index on one Long field makes it the row key.
  QString inlineKey;
  QStringList tableKey;
  for (const IndexDef& i : def.indexes) {
    if (!i.primary) continue;
    const FieldDef* f = i.fields.size() == 1 ? def.field(i.fields.first()) : nullptr;
    if (f && (f->counter || f->type == FieldType::Long)) inlineKey = f->name;
    else tableKey = i.fields;
  }
  for (const FieldDef& f : def.fields) {
    QString s = fieldSql(f);
    if (!f.counter && f.name.compare(inlineKey, Qt::CaseInsensitive) == 0) s += QStringLiteral(" PRIMARY KEY");
    parts << s;
  }
  if (!tableKey.isEmpty()) {
    QStringList k;
    for (const QString& f : tableKey) k << q(f);
    parts << QStringLiteral("CONSTRAINT [PrimaryKey] PRIMARY KEY (%1)").arg(k.join(','));
  }
  for (const RelationDef& r : rels) parts << relationSql(r);
  return QStringLiteral("CREATE TABLE %1 (%2)").arg(q(name), parts.join(QStringLiteral(", ")));
}

QString createIndexSql(const QString& table, const IndexDef& i) {
  QStringList f;
  for (const QString& n : i.fields) f << q(n);
  return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
      .arg(i.unique || i.primary ? QStringLiteral("UNIQUE ") : QString(), q(table + ':' + i.name), q(table), f.join(','));
}

}  // namespace

StoreResult Database::createTable(const TableDef& def, const std::vector<RelationDef>& rels) {
  if (hasTable(def.name)) return StoreResult::failure(DbError::TableExists, QStringLiteral("Table '%1' already exists").arg(def.name));
  settleReaders();
  StoreResult r = exec(createTableSql(def.name, def, rels));
  if (!r.ok()) return r;
  for (const IndexDef& i : def.indexes) {
    if (i.primary) continue;
    r = exec(createIndexSql(def.name, i));
    if (!r.ok()) return r;
  }
  return r;
}

StoreResult Database::appendField(const QString& table, const FieldDef& field) {
  const QString t = tableName(table);
  if (t.isEmpty()) return StoreResult::failure(DbError::TableNotFound, QStringLiteral("No table '%1'").arg(table));
  if (hasField(t, field.name))
    return StoreResult::failure(DbError::FieldExists, QStringLiteral("Field '%1' already exists in '%2'").arg(field.name, t));
  settleReaders();
  return exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(q(t), fieldSql(field)));
}

StoreResult Database::renameField(const QString& table, const QString& from, const QString& to) {
  const QString t = tableName(table);
  if (t.isEmpty()) return StoreResult::failure(DbError::TableNotFound, QStringLiteral("No table '%1'").arg(table));
  if (!hasField(t, from)) return StoreResult::failure(DbError::ItemNotFound, QStringLiteral("No field '%1' in '%2'").arg(from, t));
  settleReaders();
  return exec(QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3").arg(q(t), q(from), q(to)));
}

StoreResult Database::deleteField(const QString& table, const QString& field) {
  const auto def = tableDef(table);
  if (!def) return StoreResult::failure(DbError::TableNotFound, QStringLiteral("No table '%1'").arg(table));
  if (!def->field(field)) return StoreResult::failure(DbError::ItemNotFound, QStringLiteral("No field '%1' in '%2'").arg(field, def->name));
  settleReaders();
  StoreResult r = exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(q(def->name), q(field)));
  if (r.ok()) return r;
  // A field in an index: rebuild the table without it and without those indexes.
  TableDef nd = *def;
  nd.fields.erase(std::remove_if(nd.fields.begin(), nd.fields.end(),
                                 [&](const FieldDef& f) { return f.name.compare(field, Qt::CaseInsensitive) == 0; }),
                  nd.fields.end());
  nd.indexes.erase(std::remove_if(nd.indexes.begin(), nd.indexes.end(),
                                  [&](const IndexDef& i) { return i.fields.contains(field, Qt::CaseInsensitive); }),
                   nd.indexes.end());
  std::vector<RelationDef> keep;
  for (const RelationDef& rel : relations())
    if (rel.foreignTable.compare(def->name, Qt::CaseInsensitive) == 0) {
      if (rel.foreignField.compare(field, Qt::CaseInsensitive) == 0) continue;
      keep.push_back(rel);
    }
  return rebuildTable(nd, keep);
}

StoreResult Database::createIndex(const QString& table, const IndexDef& index) {
  const QString t = tableName(table);
  if (t.isEmpty()) return StoreResult::failure(DbError::TableNotFound, QStringLiteral("No table '%1'").arg(table));
  settleReaders();
  return exec(createIndexSql(t, index));
}

StoreResult Database::dropTable(const QString& table) {
  const QString t = tableName(table);
  if (t.isEmpty()) return StoreResult::failure(DbError::TableNotFound, QStringLiteral("No table '%1'").arg(table));
  settleReaders();
  return exec(QStringLiteral("DROP TABLE %1").arg(q(t)));
}

StoreResult Database::createRelation(const RelationDef& rel) {
  const auto parent = tableDef(rel.table);
  const auto child = tableDef(rel.foreignTable);
  if (!parent || !child)
    return StoreResult::failure(DbError::TableNotFound, QStringLiteral("No table for relation '%1'").arg(rel.name));
  if (!parent->field(rel.field) || !child->field(rel.foreignField))
    return StoreResult::failure(DbError::ItemNotFound, QStringLiteral("No field for relation '%1'").arg(rel.name));
  RelationDef r = rel;
  r.table = parent->name;
  r.field = parent->field(rel.field)->name;
  r.foreignTable = child->name;
  r.foreignField = child->field(rel.foreignField)->name;
  std::vector<RelationDef> keep;
  for (const RelationDef& e : relations()) {
    if (e.foreignTable.compare(child->name, Qt::CaseInsensitive) != 0) continue;
    if (e.name.compare(r.name, Qt::CaseInsensitive) == 0)
      return StoreResult::failure(DbError::TableExists, QStringLiteral("Relation '%1' already exists").arg(r.name));
    keep.push_back(e);
  }
  // The primary side must be a key for the engine to follow the relation.
  const bool keyed = std::any_of(parent->indexes.begin(), parent->indexes.end(), [&](const IndexDef& i) {
    return (i.primary || i.unique) && i.fields.size() == 1 && i.fields.first().compare(r.field, Qt::CaseInsensitive) == 0;
  });
  if (!keyed) {
    const StoreResult k = createIndex(parent->name, {r.field, {r.field}, false, true});
    if (!k.ok()) return k;
  }
  keep.push_back(r);
  return rebuildTable(*child, keep);
}

StoreResult Database::rebuildTable(const TableDef& def, const std::vector<RelationDef>& keep) {
  settleReaders();
  const QString tmp = QStringLiteral("__rebuild_") + def.name;
  QStringList cols;
  for (const FieldDef& f : def.fields) cols << q(f.name);
  StoreResult r = exec(QStringLiteral("SAVEPOINT tavrik_rebuild"));
  if (!r.ok()) return r;
  const QVariant seq = scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {def.name});
  const auto run = [&]() -> StoreResult {
    StoreResult s = exec(createTableSql(tmp, def, keep));
    if (s.ok())
      s = exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(q(tmp), cols.join(','), q(def.name)));
    if (s.ok() && seq.isValid())
      s = execute(QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?"), {seq, tmp});
    if (s.ok()) s = exec(QStringLiteral("DROP TABLE %1").arg(q(def.name)));
    if (s.ok()) s = exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(q(tmp), q(def.name)));
    for (const IndexDef& i : def.indexes) {
      if (!s.ok()) break;
      if (!i.primary) s = exec(createIndexSql(def.name, i));
    }
    return s;
  };
  r = run();
  if (!r.ok()) {
    exec(QStringLiteral("ROLLBACK TO tavrik_rebuild"));
    exec(QStringLiteral("RELEASE tavrik_rebuild"));
    return r;
  }
  return exec(QStringLiteral("RELEASE tavrik_rebuild"));
}

// ---------------------------------------------------------------- recordsets

std::unique_ptr<Recordset> Database::openRecordset(const QString& tableOrSql, StoreResult* result) {
  QString sql, base;
  bool rowid = false;
  if (!isSelectText(tableOrSql)) {
    base = tableName(tableOrSql);
    if (base.isEmpty()) {
      std::unique_ptr<Recordset> rs(new Recordset(*this, QString(), QString(), false));
      rs->m_done = true;
      rs->m_last = m_db ? StoreResult::failure(DbError::TableNotFound,
                                               QStringLiteral("Cannot find the input table '%1'").arg(tableOrSql))
                        : StoreResult::failure(DbError::NotOpen, QStringLiteral("The database is not open"));
      if (result) *result = rs->m_last;
      return rs;
    }
    sql = QStringLiteral("SELECT rowid AS %1, * FROM %2").arg(QLatin1String(kRowid), q(base));
    rowid = true;
  } else {
    const QString text = translateJetSql(tableOrSql);
    sql = text;
    static const QRegularExpression sel(
        QStringLiteral(R"(^\s*SELECT\s+(.*?)\s+FROM\s+(.+?)(?:\s+WHERE\s.*|\s+ORDER\s+BY\s.*|\s*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression readOnly(
        QStringLiteral(R"(\b(?:DISTINCT|GROUP\s+BY|UNION|HAVING|LIMIT)\b|\b(?:COUNT|SUM|MAX|MIN|AVG|TOTAL)\s*\()"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression starOf(QStringLiteral(R"(^\s*(\[[^\]]+\]|\w+)\s*\.\s*\*\s*$)"));
    const QRegularExpressionMatch m = sel.match(text);
    if (m.hasMatch() && !readOnly.match(text).hasMatch()) {
      QString ref;
      const QRegularExpressionMatch star = starOf.match(m.captured(1));
      if (star.hasMatch()) {
        ref = star.captured(1);
      } else {
        // The first table after FROM (or its alias).
        QString first = m.captured(2).section(',', 0, 0).trimmed();
        static const QRegularExpression item(QStringLiteral(R"(^(\[[^\]]+\]|[\w]+)(?:\s+(?:AS\s+)?(\[[^\]]+\]|\w+))?\s*$)"),
                                             QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch im = item.match(first);
        if (im.hasMatch()) {
          ref = im.captured(2).isEmpty() ? im.captured(1) : im.captured(2);
          base = tableName(im.captured(1));
        }
      }
      if (star.hasMatch()) {
        base = tableName(ref);
        // An alias: find the table it stands for.
        if (base.isEmpty()) {
          static const QRegularExpression alias(QStringLiteral(R"((\[[^\]]+\]|\w+)\s+(?:AS\s+)?)"),
                                                QRegularExpression::CaseInsensitiveOption);
          for (const QString& part : m.captured(2).split(',')) {
            const QStringList words = part.simplified().split(' ');
            if (words.size() >= 2 && stripBrackets(words.last()).compare(stripBrackets(ref), Qt::CaseInsensitive) == 0)
              base = tableName(words.first());
          }
        }
      }
      if (!base.isEmpty() && !ref.isEmpty()) {
        static const QRegularExpression selectKw(QStringLiteral(R"(^\s*SELECT\s+)"), QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch sk = selectKw.match(text);
        sql = text.left(sk.capturedLength()) + ref + QStringLiteral(".rowid AS ") + QLatin1String(kRowid) + QStringLiteral(", ") +
              text.mid(sk.capturedLength());
        rowid = true;
      } else {
        base.clear();
      }
    }
  }
  std::unique_ptr<Recordset> rs(new Recordset(*this, sql, base, rowid));
  StoreResult r = rs->start();
  if (!r.ok() && rowid && isSelectText(tableOrSql)) {
    // The text did not take the row key: read-only then.
    rs.reset(new Recordset(*this, translateJetSql(tableOrSql), QString(), false));
    r = rs->start();
  }
  if (result) *result = r;
  return rs;
}

Recordset::Recordset(Database& db, QString sql, QString base, bool hasRowid)
    : m_db(&db), m_sql(std::move(sql)), m_base(std::move(base)), m_hasRowid(hasRowid) {
  db.registerReader(this);
}

Recordset::~Recordset() { close(); }

void Recordset::close() {
  finishStatement();
  releaseStatements();
  if (m_db) m_db->unregisterReader(this);
  m_db = nullptr;
  m_rows.clear();
  m_values.clear();
  m_done = true;
  m_editMode = EditMode::None;
}

StoreResult Recordset::start() {
  m_last = m_db->prepare(m_sql, &m_stmt);
  if (!m_last.ok()) {
    m_done = true;
    return m_last;
  }
  const int n = sqlite3_column_count(m_stmt);
  const int first = m_hasRowid ? 1 : 0;
  for (int i = first; i < n; ++i) {
    m_names.push_back(QString::fromUtf8(sqlite3_column_name(m_stmt, i)));
    const char* table = sqlite3_column_table_name(m_stmt, i);
    const char* origin = sqlite3_column_origin_name(m_stmt, i);
    const bool fromBase = table && origin && !m_base.isEmpty() &&
                          QString::fromUtf8(table).compare(m_base, Qt::CaseInsensitive) == 0;
    m_origin.push_back(fromBase ? QString::fromUtf8(origin) : QString());
    const char* decl = sqlite3_column_decltype(m_stmt, i);
    m_types.push_back(decl ? fieldFromDeclared({}, QString::fromUtf8(decl)).type : FieldType::Double);
  }
  if (!m_base.isEmpty()) m_counter = m_db->counterField(m_base);
  fetchOne();
  m_pos = 0;
  return m_last;
}

void Recordset::releaseStatements() {
  sqlite3_finalize(m_findStmt);
  sqlite3_finalize(m_writeStmt);
  sqlite3_finalize(m_reloadStmt);
  m_findStmt = m_writeStmt = m_reloadStmt = nullptr;
  m_findCriterion.clear();
  m_writeMask.clear();
}

bool Recordset::fetchOne() {
  if (m_done || !m_stmt) return false;
  const int rc = sqlite3_step(m_stmt);
  if (rc == SQLITE_ROW) {
    Row row;
    const int first = m_hasRowid ? 1 : 0;
    const int n = first + static_cast<int>(m_names.size());
    row.first = m_values.size();
    if (m_hasRowid) row.rowid = sqlite3_column_int64(m_stmt, 0);
    for (int i = first; i < n; ++i) m_values.push_back(columnValue(m_stmt, i));
    m_rows.push_back(std::move(row));
    return true;
  }
  if (rc != SQLITE_DONE) m_last = m_db->fail(rc, m_sql);
  finishStatement();
  return false;
}

void Recordset::fetchAll() {
  while (fetchOne()) {
  }
}

void Recordset::finishStatement() {
  if (m_stmt) sqlite3_finalize(m_stmt);
  m_stmt = nullptr;
  m_done = true;
}

bool Recordset::eof() {
  while (m_pos >= static_cast<int>(m_rows.size()) && fetchOne()) {
  }
  return m_pos >= static_cast<int>(m_rows.size());
}

bool Recordset::currentValid() {
  if (m_pos < 0 || eof()) return false;
  return !m_rows[static_cast<size_t>(m_pos)].deleted;
}

void Recordset::moveFirst() {
  m_pos = 0;
  while (!eof() && m_rows[static_cast<size_t>(m_pos)].deleted) ++m_pos;
}

void Recordset::moveNext() {
  if (eof()) return;
  ++m_pos;
  while (!eof() && m_rows[static_cast<size_t>(m_pos)].deleted) ++m_pos;
}

void Recordset::movePrevious() {
  if (m_pos < 0) return;
  --m_pos;
  while (m_pos >= 0 && m_rows[static_cast<size_t>(m_pos)].deleted) --m_pos;
}

void Recordset::moveLast() {
  fetchAll();
  m_pos = static_cast<int>(m_rows.size()) - 1;
  while (m_pos >= 0 && m_rows[static_cast<size_t>(m_pos)].deleted) --m_pos;
  if (m_pos < 0) m_pos = static_cast<int>(m_rows.size());
}

bool Recordset::moveTo(int position) {
  if (position < 0) return false;
  while (position >= static_cast<int>(m_rows.size()) && fetchOne()) {
  }
  if (position >= static_cast<int>(m_rows.size()) || m_rows[static_cast<size_t>(position)].deleted) return false;
  m_pos = position;
  return true;
}

int Recordset::recordCount() {
  fetchAll();
  return static_cast<int>(std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) { return !r.deleted; }));
}

int Recordset::fieldIndex(const QString& name) const {
  for (const auto& [asked, index] : m_recentFields)
    if (!asked.isNull() && asked == name) return index;
  const int found = findField(name);
  m_recentFields[m_nextRecent] = {name, found};
  m_nextRecent = (m_nextRecent + 1) % m_recentFields.size();
  return found;
}

int Recordset::findField(const QString& name) const {
  // Readers ask for plain names: those are found without copying them.
  for (size_t i = 0; i < m_names.size(); ++i)
    if (m_names[i].compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  const QString n = stripBrackets(name);
  for (size_t i = 0; i < m_names.size(); ++i)
    if (m_names[i].compare(n, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  // "Table.field" or "[Table].[field]"
  const qsizetype dot = n.lastIndexOf('.');
  if (dot > 0) {
    const QString f = stripBrackets(n.mid(dot + 1));
    for (size_t i = 0; i < m_names.size(); ++i)
      if (m_names[i].compare(f, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  }
  return -1;
}

QVariant Recordset::value(int index) {
  if (index < 0 || index >= fieldCount()) {
    m_last = StoreResult::failure(DbError::ItemNotFound, QStringLiteral("Item not found in this collection"));
    return {};
  }
  if (m_editMode != EditMode::None) return m_buffer[static_cast<size_t>(index)];
  if (!currentValid()) {
    m_last = StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No current record"));
    return {};
  }
  return m_values[m_rows[static_cast<size_t>(m_pos)].first + static_cast<size_t>(index)];
}

QVariant Recordset::value(const QString& field) {
  const int i = fieldIndex(field);
  if (i < 0) {
    m_last = StoreResult::failure(DbError::ItemNotFound, QStringLiteral("Item not found in this collection: ") + field);
    return {};
  }
  return value(i);
}

QString Recordset::text(const QString& field) {
  const QVariant v = value(field);
  return v.isValid() ? v.toString() : QString();
}

double Recordset::number(const QString& field) {
  const QVariant v = value(field);
  if (!v.isValid()) return 0;
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok && std::isfinite(d) ? d : 0;
}

qint64 Recordset::integer(const QString& field) {
  const double d = number(field);
  if (d > 9.2e18 || d < -9.2e18) return 0;
  return static_cast<qint64>(std::llround(d));
}

bool Recordset::flag(const QString& field) {
  const QVariant v = value(field);
  if (!v.isValid()) return false;
  if (v.typeId() == QMetaType::QString) {
    const QString t = v.toString().trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    bool ok = false;
    const double d = t.toDouble(&ok);
    return ok && d != 0;
  }
  return v.toDouble() != 0;
}

QDateTime Recordset::date(const QString& field) {
  const QVariant v = value(field);
  if (!v.isValid()) return {};
  return dbDateFromText(v.toString());
}

bool Recordset::matches(const QString& criterion, const Row& row) {
  if (criterion != m_findCriterion || !m_findStmt) {
    if (m_findStmt) sqlite3_finalize(m_findStmt);
    m_findStmt = nullptr;
    m_findCriterion = criterion;
    QStringList cols;
    std::set<QString> seen;
    for (size_t i = 0; i < m_names.size(); ++i) {
      const QString lower = m_names[i].toLower();
      const QString alias = seen.insert(lower).second ? m_names[i] : QStringLiteral("__dup%1").arg(i);
      const bool text = m_types[i] == FieldType::Text || m_types[i] == FieldType::Memo;
      cols << QStringLiteral("?%1%2 AS %3").arg(i + 1).arg(text ? QStringLiteral(" COLLATE NOCASE") : QString(), q(alias));
    }
    const QString sql = QStringLiteral("SELECT 1 FROM (SELECT %1)%2 WHERE %3")
                            .arg(cols.isEmpty() ? QStringLiteral("1") : cols.join(','),
                                 m_base.isEmpty() ? QString() : QStringLiteral(" AS ") + q(m_base), translateJetSql(criterion));
    m_last = m_db->prepare(sql, &m_findStmt);
    if (!m_last.ok()) return false;
  }
  for (size_t i = 0; i < m_names.size(); ++i) bindValue(m_findStmt, static_cast<int>(i + 1), m_values[row.first + i]);
  const int rc = sqlite3_step(m_findStmt);
  sqlite3_reset(m_findStmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) m_last = m_db->fail(rc, criterion);
  return rc == SQLITE_ROW;
}

bool Recordset::findForward(int from, const QString& criterion) {
  m_last = StoreResult::success();
  if (!m_db) return !(m_noMatch = true);
  for (int i = from;; ++i) {
    while (i >= static_cast<int>(m_rows.size()) && fetchOne()) {
    }
    if (i >= static_cast<int>(m_rows.size())) break;
    if (m_rows[static_cast<size_t>(i)].deleted) continue;
    if (matches(criterion, m_rows[static_cast<size_t>(i)])) {
      m_pos = i;
      m_noMatch = false;
      return true;
    }
    if (!m_last.ok()) break;
  }
  m_noMatch = true;
  return false;
}

bool Recordset::findFirst(const QString& criterion) { return findForward(0, criterion); }

bool Recordset::findNext(const QString& criterion) { return findForward(std::max(m_pos + 1, 0), criterion); }

bool Recordset::findPrevious(const QString& criterion) {
  m_last = StoreResult::success();
  if (!m_db) return !(m_noMatch = true);
  for (int i = std::min(m_pos, static_cast<int>(m_rows.size())) - 1; i >= 0; --i) {
    if (m_rows[static_cast<size_t>(i)].deleted) continue;
    if (matches(criterion, m_rows[static_cast<size_t>(i)])) {
      m_pos = i;
      m_noMatch = false;
      return true;
    }
    if (!m_last.ok()) break;
  }
  m_noMatch = true;
  return false;
}

bool Recordset::findLast(const QString& criterion) {
  fetchAll();
  const int keep = m_pos;
  m_pos = static_cast<int>(m_rows.size());
  if (findPrevious(criterion)) return true;
  m_pos = keep;
  return false;
}

QVariant Recordset::stored(int column, const QVariant& v) const {
  if (!v.isValid() || v.isNull()) return {};
  const FieldType t = m_types[static_cast<size_t>(column)];
  if (t == FieldType::Boolean) {
    bool truth = false;
    if (v.typeId() == QMetaType::QString) {
      const QString s = v.toString().trimmed();
      truth = s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ||
              (s.toDouble() != 0);
    } else {
      truth = v.toDouble() != 0;
    }
    return QVariant(static_cast<qlonglong>(truth ? -1 : 0));
  }
  switch (v.typeId()) {
    case QMetaType::Bool: return QVariant(static_cast<qlonglong>(v.toBool() ? -1 : 0));
    case QMetaType::QDateTime: return QVariant(dbDateText(v.toDateTime()));
    case QMetaType::QDate: return QVariant(dbDateText(QDateTime(v.toDate(), QTime(0, 0))));
    case QMetaType::Float: return QVariant(v.toDouble());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort: return QVariant(v.toLongLong());
    default: return v;
  }
}

StoreResult Recordset::addNew() {
  if (!m_db) return m_last = StoreResult::failure(DbError::NotOpen, QStringLiteral("The recordset is closed"));
  if (m_base.isEmpty()) return m_last = StoreResult::failure(DbError::NotUpdatable, QStringLiteral("Cannot update. Database or object is read-only"));
  m_editMode = EditMode::Add;
  m_buffer.assign(m_names.size(), QVariant());
  m_changed.assign(m_names.size(), false);
  if (!m_counter.isEmpty()) {
    // The key the row will get, readable before Update as the program has always done.
    if (m_changesAtNext != sqlite3_total_changes64(m_db->handle())) {
      m_nextCounter = m_db->scalar(QStringLiteral("SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = ?), 0), "
                                                  "coalesce((SELECT max(rowid) FROM %1), 0)) + 1")
                                       .arg(q(m_base)),
                                   {m_base})
                          .toLongLong();
      m_changesAtNext = sqlite3_total_changes64(m_db->handle());
    }
    const QVariant next = m_nextCounter;
    for (size_t i = 0; i < m_names.size(); ++i)
      if (m_origin[i].compare(m_counter, Qt::CaseInsensitive) == 0) m_buffer[i] = next;
  }
  return m_last = StoreResult::success();
}

StoreResult Recordset::edit() {
  if (!m_db) return m_last = StoreResult::failure(DbError::NotOpen, QStringLiteral("The recordset is closed"));
  if (m_base.isEmpty()) return m_last = StoreResult::failure(DbError::NotUpdatable, QStringLiteral("Cannot update. Database or object is read-only"));
  m_editMode = EditMode::None;
  if (!currentValid()) return m_last = StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No current record"));
  m_editMode = EditMode::Edit;
  const auto from = m_values.begin() + static_cast<std::ptrdiff_t>(m_rows[static_cast<size_t>(m_pos)].first);
  m_buffer.assign(from, from + static_cast<std::ptrdiff_t>(m_names.size()));
  m_changed.assign(m_names.size(), false);
  return m_last = StoreResult::success();
}

StoreResult Recordset::setValue(const QString& field, const QVariant& v) {
  if (m_editMode == EditMode::None)
    return m_last = StoreResult::failure(DbError::UpdateWithoutAddNew, QStringLiteral("Update or CancelUpdate without AddNew or Edit"));
  const int i = fieldIndex(field);
  if (i < 0) return m_last = StoreResult::failure(DbError::ItemNotFound, QStringLiteral("Item not found in this collection: ") + field);
  if (m_origin[static_cast<size_t>(i)].isEmpty())
    return m_last = StoreResult::failure(DbError::NotUpdatable, QStringLiteral("Field '%1' cannot be updated").arg(field));
  m_buffer[static_cast<size_t>(i)] = stored(i, v);
  m_changed[static_cast<size_t>(i)] = true;
  return m_last = StoreResult::success();
}

void Recordset::cancelUpdate() {
  m_editMode = EditMode::None;
  m_buffer.clear();
  m_changed.clear();
}

StoreResult Recordset::update() {
  if (!m_db) return m_last = StoreResult::failure(DbError::NotOpen, QStringLiteral("The recordset is closed"));
  if (m_editMode == EditMode::None)
    return m_last = StoreResult::failure(DbError::UpdateWithoutAddNew, QStringLiteral("Update or CancelUpdate without AddNew or Edit"));
  m_db->settleReaders();
  QVariantList vals;
  for (size_t i = 0; i < m_names.size(); ++i)
    if (m_changed[i]) vals << m_buffer[i];
  if (m_editMode == EditMode::Edit) {
    if (vals.isEmpty()) {
      cancelUpdate();
      return m_last = StoreResult::success();
    }
    vals << m_rows[static_cast<size_t>(m_pos)].rowid;
  }
  // Runs of AddNew/Update set the same fields: the statement is prepared once.
  const bool add = m_editMode == EditMode::Add;
  if (!m_writeStmt || m_writeMask != m_changed || m_writeAdd != add) {
    QStringList cols;
    for (size_t i = 0; i < m_names.size(); ++i)
      if (m_changed[i]) cols << q(m_origin[i]);
    QString sql;
    if (add) {
      if (cols.isEmpty()) sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(q(m_base));
      else {
        QStringList marks;
        for (qsizetype i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(q(m_base), cols.join(','), marks.join(','));
      }
    } else {
      QStringList sets;
      for (const QString& c : cols) sets << c + QStringLiteral(" = ?");
      sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(q(m_base), sets.join(','));
    }
    sqlite3_finalize(m_writeStmt);
    m_writeStmt = nullptr;
    m_writeMask.clear();
    m_last = m_db->prepare(sql, &m_writeStmt);
    if (!m_last.ok()) return m_last;
    m_writeMask = m_changed;
    m_writeAdd = add;
  }
  sqlite3_stmt* st = m_writeStmt;
  for (int i = 0; i < vals.size(); ++i) bindValue(st, i + 1, vals[i]);
  const int rc = sqlite3_step(st);
  if (rc != SQLITE_DONE) {
    m_last = m_db->fail(rc, m_base);
    sqlite3_reset(st);
    return m_last;  // the edit buffer stays for a correction or CancelUpdate
  }
  sqlite3_reset(st);
  const qint64 rowid = m_editMode == EditMode::Add ? m_db->lastInsertId() : m_rows[static_cast<size_t>(m_pos)].rowid;
  // Read the row back so defaults, keys and the engine's conversions show.
  std::vector<QVariant> values = m_buffer;
  if (!m_reloadStmt) {
    QStringList origins;
    m_reloadColumns.clear();
    for (size_t i = 0; i < m_names.size(); ++i)
      if (!m_origin[i].isEmpty()) {
        origins << q(m_origin[i]);
        m_reloadColumns.push_back(i);
      }
    if (!origins.isEmpty())
      m_db->prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(origins.join(','), q(m_base)), &m_reloadStmt);
  }
  if (sqlite3_stmt* rd = m_reloadStmt) {
    sqlite3_bind_int64(rd, 1, rowid);
    if (sqlite3_step(rd) == SQLITE_ROW)
      for (size_t k = 0; k < m_reloadColumns.size(); ++k) values[m_reloadColumns[k]] = columnValue(rd, static_cast<int>(k));
    sqlite3_reset(rd);
  }
  if (m_editMode == EditMode::Add) {
    if (!m_counter.isEmpty() && m_changesAtNext >= 0) {
      // Only our own insert happened since the prediction: the next key follows it.
      if (sqlite3_total_changes64(m_db->handle()) == m_changesAtNext + 1) {
        m_nextCounter = std::max(m_nextCounter, rowid + 1);
        m_changesAtNext = sqlite3_total_changes64(m_db->handle());
      } else {
        m_changesAtNext = -1;
      }
    }
    Row row;
    row.rowid = rowid;
    row.first = m_values.size();
    m_values.insert(m_values.end(), std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()));
    m_rows.push_back(row);
    m_lastModified = static_cast<int>(m_rows.size()) - 1;
  } else {
    Row& row = m_rows[static_cast<size_t>(m_pos)];
    row.rowid = rowid;
    std::move(values.begin(), values.end(), m_values.begin() + static_cast<std::ptrdiff_t>(row.first));
    m_lastModified = m_pos;
  }
  cancelUpdate();
  return m_last = StoreResult::success();
}

StoreResult Recordset::remove() {
  if (!m_db) return m_last = StoreResult::failure(DbError::NotOpen, QStringLiteral("The recordset is closed"));
  if (m_base.isEmpty()) return m_last = StoreResult::failure(DbError::NotUpdatable, QStringLiteral("Cannot update. Database or object is read-only"));
  if (!currentValid()) return m_last = StoreResult::failure(DbError::NoCurrentRecord, QStringLiteral("No current record"));
  m_last = m_db->execute(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(q(m_base)), {m_rows[static_cast<size_t>(m_pos)].rowid});
  if (m_last.ok()) m_rows[static_cast<size_t>(m_pos)].deleted = true;
  return m_last;
}

StoreResult Recordset::requery() {
  if (!m_db) return m_last = StoreResult::failure(DbError::NotOpen, QStringLiteral("The recordset is closed"));
  finishStatement();
  releaseStatements();
  cancelUpdate();
  m_rows.clear();
  m_values.clear();
  m_names.clear();
  m_recentFields.fill({});
  m_origin.clear();
  m_types.clear();
  m_done = false;
  m_noMatch = false;
  return start();
}

}  // namespace tavrik
