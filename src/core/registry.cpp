#include "core/registry.h"

namespace tavrik {

QString Registry::keyPath() const {
  return QStringLiteral("Software\\") + KeyCompanyName + '\\' + KeyProductName + '\\' + KeySection;
}

QString Registry::section() const {
  return QStringLiteral("Software/") + KeyCompanyName + '/' + KeyProductName + '/' + KeySection;
}

bool Registry::check(const char* operation) {
  const char* missing = KeyCompanyName.isEmpty()   ? "KeyCompanyName"
                        : KeyProductName.isEmpty() ? "KeyProductName"
                        : KeySection.isEmpty()     ? "KeySection"
                                                   : nullptr;
  if (!missing) return true;
  m_prompter.exclamation(QString::fromUtf8(missing) + QStringLiteral("-property bevat geen waarde."),
                         QStringLiteral("Registry [") + QString::fromUtf8(operation) + ']');
  return false;
}

int Registry::CountKeys() { return check("CountKeys") ? static_cast<int>(GetAllKeys().size()) : 0; }

int Registry::CountValues() { return check("CountValues") ? static_cast<int>(m_store.keys(section()).size()) : 0; }

QStringList Registry::GetAllKeys() {
  if (!check("GetAllKeys")) return {};
  return m_store.subsections(section());
}

std::vector<std::pair<QString, QString>> Registry::GetAllSettings() {
  std::vector<std::pair<QString, QString>> all;
  if (!check("GetAllSettings")) return all;
  for (const QString& k : m_store.keys(section())) all.emplace_back(k, m_store.get(section(), k));
  return all;
}

QVariant Registry::GetSetting(const QVariant& def) {
  if (!check("GetSetting")) return {};
  ValueData = m_store.contains(section(), ValueName) ? QVariant(m_store.get(section(), ValueName)) : def;
  return ValueData;
}

bool Registry::SaveSetting() {
  if (!check("SaveSetting")) return false;
  QString text;
  switch (ValueData.typeId()) {
    case QMetaType::QString: text = ValueData.toString(); break;
    case QMetaType::Bool: text = ValueData.toBool() ? QStringLiteral("-1") : QStringLiteral("0"); break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::Long: text = QString::number(ValueData.toLongLong()); break;
    case QMetaType::QByteArray: text = QString::fromLatin1(ValueData.toByteArray().toHex()); break;
    default:
      m_prompter.exclamation(QStringLiteral("Unsupported datatype"), QStringLiteral("Registry [SaveSetting]"));
      return false;
  }
  m_store.set(section(), ValueName, text);
  return true;
}

bool Registry::DeleteSetting() {
  if (!check("DeleteSetting")) return false;
  m_store.remove(section(), ValueName);
  return true;
}

bool Registry::SaveWindowSetting(const QString& window, const QRect& g) {
  if (!check("SaveWindowSetting")) return false;
  m_store.set(section() + QStringLiteral("/Windows"), window,
              QStringLiteral("%1,%2,%3,%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()));
  return true;
}

QRect Registry::GetWindowSetting(const QString& window, const QRect& def) {
  if (!check("GetWindowSetting")) return def;
  const QStringList parts = m_store.get(section() + QStringLiteral("/Windows"), window).split(',');
  if (parts.size() != 4) return def;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) return def;
  }
  return {v[0], v[1], v[2], v[3]};
}

}  // namespace tavrik
