#include "store/sql_text.h"

#include <QRegularExpression>

namespace tavrik {

QString sqlQuote(const QString& text) {
  QString t = text;
  t.replace('\'', QStringLiteral("''"));
  return '\'' + t + '\'';
}

QString sqlName(const QString& name) {
  QString n = name;
  n.replace(']', QStringLiteral("]]"));
  return '[' + n + ']';
}

QString sqlEquals(const QString& field, const QString& value) {
  const QString f = field.contains(' ') ? sqlName(field) : field;
  return f + QStringLiteral(" = ") + sqlQuote(value);
}

QString sqlQuotedList(const QStringList& values) {
  QStringList q;
  q.reserve(values.size());
  for (const QString& v : values) q << sqlQuote(v);
  return q.join(',');
}

QString dbDateText(const QDateTime& t) {
  return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

QDateTime dbDateFromText(const QString& text) {
  const QString s = text.trimmed();
  QDateTime t = QDateTime::fromString(s, Qt::ISODate);
  if (t.isValid()) return t;
  t = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  if (t.isValid()) return t;
  const QDate d = QDate::fromString(s, Qt::ISODate);
  if (d.isValid()) return QDateTime(d, QTime(0, 0));
  return parseJetDate(s);
}

QDateTime parseJetDate(const QString& text) {
  static const QRegularExpression re(QStringLiteral(
      R"(^\s*(?:(\d{1,2})[/\-](\d{1,2})[/\-](\d{2,4}))?\s*(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm])?)?\s*$)"));
  const QRegularExpressionMatch m = re.match(text);
  if (!m.hasMatch() || text.trimmed().isEmpty()) return {};
  QDate date(1899, 12, 30);  // Jet's day zero, for a time without a date
  if (m.capturedLength(1) > 0) {
    int year = m.captured(3).toInt();
    if (m.capturedLength(3) <= 2) year += year < 30 ? 2000 : 1900;
    date = QDate(year, m.captured(1).toInt(), m.captured(2).toInt());
    if (!date.isValid()) return {};
  }
  QTime time(0, 0);
  if (m.capturedLength(4) > 0) {
    int h = m.captured(4).toInt();
    const QString ampm = m.captured(7).toUpper();
    if (!ampm.isEmpty()) {
      if (h < 1 || h > 12) return {};
      if (ampm == QLatin1String("AM") && h == 12) h = 0;
      if (ampm == QLatin1String("PM") && h != 12) h += 12;
    }
    time = QTime(h, m.captured(5).toInt(), m.capturedLength(6) ? m.captured(6).toInt() : 0);
    if (!time.isValid()) return {};
  }
  return QDateTime(date, time);
}

QString jetDateLiteral(const QDateTime& t) {
  return '#' + t.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss")) + '#';
}

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == '_'; }

// The next word after position i (skipping blanks), upper case.
QString nextWord(const QString& s, qsizetype i) {
  while (i < s.size() && s[i].isSpace()) ++i;
  const qsizetype start = i;
  while (i < s.size() && isWordChar(s[i])) ++i;
  return s.mid(start, i - start).toUpper();
}

QString likePattern(const QString& quoted) {
  // quoted includes the quotes; '' inside stays.
  QString out;
  out.reserve(quoted.size());
  for (QChar c : quoted) {
    if (c == '*') out += '%';
    else if (c == '?') out += '_';
    else out += c;
  }
  return out;
}

}  // namespace

QString translateJetSql(const QString& sql) {
  QString out;
  out.reserve(sql.size() + 16);
  bool afterLike = false;
  QChar prevSignificant;
  const qsizetype n = sql.size();
  for (qsizetype i = 0; i < n;) {
    const QChar c = sql[i];
    if (c == '\'') {  // string literal, '' is a quote inside
      qsizetype j = i + 1;
      while (j < n) {
        if (sql[j] == '\'') {
          if (j + 1 < n && sql[j + 1] == '\'') { j += 2; continue; }
          break;
        }
        ++j;
      }
      const QString lit = sql.mid(i, qMin(j, n - 1) - i + 1);
      out += afterLike ? likePattern(lit) : lit;
      afterLike = false;
      prevSignificant = '\'';
      i = j + 1;
      continue;
    }
    if (c == '[' || c == '"' || c == '`') {  // quoted name
      const QChar close = c == '[' ? QChar(']') : c;
      qsizetype j = sql.indexOf(close, i + 1);
      if (j < 0) j = n - 1;
      out += sql.mid(i, j - i + 1);
      prevSignificant = close;
      i = j + 1;
      continue;
    }
    if (c == '#') {  // Jet date literal
      const qsizetype j = sql.indexOf('#', i + 1);
      if (j > i) {
        const QDateTime t = parseJetDate(sql.mid(i + 1, j - i - 1));
        if (t.isValid()) {
          out += sqlQuote(dbDateText(t));
          i = j + 1;
          prevSignificant = '\'';
          continue;
        }
      }
      out += c;
      ++i;
      continue;
    }
    if (isWordChar(c) && !(i > 0 && isWordChar(sql[i - 1]))) {
      qsizetype j = i;
      while (j < n && isWordChar(sql[j])) ++j;
      const QString word = sql.mid(i, j - i);
      const QString upper = word.toUpper();
      const bool qualified = prevSignificant == '.';
      if (!qualified && (upper == QLatin1String("TRUE") || upper == QLatin1String("FALSE"))) {
        out += upper == QLatin1String("TRUE") ? QStringLiteral("-1") : QStringLiteral("0");
      } else if (upper == QLatin1String("GROUP") && (qualified || nextWord(sql, j) != QLatin1String("BY"))) {
        out += '[' + word + ']';
      } else {
        out += word;
      }
      afterLike = upper == QLatin1String("LIKE");
      prevSignificant = 'a';
      i = j;
      continue;
    }
    if (!c.isSpace()) prevSignificant = c;
    out += c;
    ++i;
  }
  return out;
}

bool parseInsertIntoFile(const QString& sql, InsertIntoFile* out) {
  static const QRegularExpression re(
      QStringLiteral(R"(^\s*INSERT\s+INTO\s+(\[[^\]]*\]|\S+)\s+IN\s+'((?:[^']|'')*)'\s*(.*)$)"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch m = re.match(sql);
  if (!m.hasMatch()) return false;
  if (out) {
    QString table = m.captured(1);
    if (table.startsWith('[')) table = table.mid(1, table.size() - 2);
    out->table = table;
    out->file = m.captured(2).replace(QStringLiteral("''"), QStringLiteral("'"));
    out->rest = m.captured(3);
  }
  return true;
}

}  // namespace tavrik
