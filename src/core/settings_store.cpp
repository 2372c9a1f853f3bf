#include "core/settings_store.h"

#include <QFile>

#include "core/number_format.h"

namespace tavrik {
namespace {

// The text after "key=" in the file as it stands, or a null string. Used for values
// that QSettings splits at unquoted commas (and trims), so that a hand-written
// "Last=Bay, north.kap" reads back exactly.
QString rawFileValue(const QString& path, const QString& section, const QString& key) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  bool inSection = false;
  while (!f.atEnd()) {
    const QString line = QString::fromUtf8(f.readLine()).trimmed();
    if (line.startsWith('[') && line.endsWith(']')) {
      inSection = line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
      continue;
    }
    if (!inSection) continue;
    const qsizetype eq = line.indexOf('=');
    if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) return line.mid(eq + 1).trimmed();
  }
  return {};
}

}  // namespace

SettingsStore::SettingsStore(const QString& iniPath)
    : m_ini(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::actualSection(const QString& section) const {
  const QStringList groups = m_ini->childGroups();
  for (const QString& g : groups)
    if (g.compare(section, Qt::CaseInsensitive) == 0) return g;
  return section;
}

QString SettingsStore::actualKey(const QString& section, const QString& key) const {
  const QString sec = actualSection(section);
  m_ini->beginGroup(sec);
  const QStringList ks = m_ini->childKeys();
  m_ini->endGroup();
  for (const QString& k : ks)
    if (k.compare(key, Qt::CaseInsensitive) == 0) return sec + '/' + k;
  return sec + '/' + key;
}

QString SettingsStore::get(const QString& section, const QString& key, const QString& def) const {
  const QVariant v = m_ini->value(actualKey(section, key));
  if (!v.isValid()) return def;
  // A value with an unquoted comma comes back from QSettings as a trimmed list: take
  // the text of the file instead (the program itself always writes it quoted).
  if (v.typeId() == QMetaType::QStringList) {
    const QString raw = rawFileValue(m_ini->fileName(), section, key);
    return raw.isNull() ? v.toStringList().join(',') : raw;
  }
  return v.toString();
}

bool SettingsStore::contains(const QString& section, const QString& key) const {
  return m_ini->contains(actualKey(section, key));
}

int SettingsStore::getInt(const QString& section, const QString& key, int def) const {
  if (!contains(section, key)) return def;
  const double v = leniNumber(get(section, key));
  if (v > 2147483647.0 || v < -2147483648.0) return 0;
  return static_cast<int>(v);
}

double SettingsStore::getDouble(const QString& section, const QString& key, double def) const {
  if (!contains(section, key)) return def;
  return leniNumber(get(section, key));
}

bool SettingsStore::getBool(const QString& section, const QString& key, bool def) const {
  if (!contains(section, key)) return def;
  const QString t = get(section, key).trimmed();
  if (t.compare("true", Qt::CaseInsensitive) == 0) return true;
  if (t.compare("false", Qt::CaseInsensitive) == 0) return false;
  return leniNumber(t) != 0;
}

void SettingsStore::set(const QString& section, const QString& key, const QString& value) {
  m_ini->setValue(actualKey(section, key), value);
}

void SettingsStore::remove(const QString& section, const QString& key) {
  m_ini->remove(actualKey(section, key));
}

void SettingsStore::removeSection(const QString& section) { m_ini->remove(actualSection(section)); }

QStringList SettingsStore::sections() const { return m_ini->childGroups(); }

QStringList SettingsStore::keys(const QString& section) const {
  m_ini->beginGroup(actualSection(section));
  QStringList ks = m_ini->childKeys();
  m_ini->endGroup();
  return ks;
}

QStringList SettingsStore::subsections(const QString& section) const {
  m_ini->beginGroup(actualSection(section));
  QStringList gs = m_ini->childGroups();
  m_ini->endGroup();
  return gs;
}

void SettingsStore::sync() { m_ini->sync(); }
QString SettingsStore::path() const { return m_ini->fileName(); }

}  // namespace tavrik
