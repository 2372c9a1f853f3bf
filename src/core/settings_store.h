#pragma once
// The program's settings file: an INI file, one section per group. Section and key
// names are compared without regard to case (old code writes "GoTo" where it reads
// "GOTO"); values are texts, a missing value yields the caller's default.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

namespace tavrik {

class SettingsStore {
 public:
  explicit SettingsStore(const QString& iniPath);
  ~SettingsStore();

  QString get(const QString& section, const QString& key, const QString& def = {}) const;
  int getInt(const QString& section, const QString& key, int def) const;
  double getDouble(const QString& section, const QString& key, double def) const;
  // "-1", "1", "true" are true; "0", "false" false; anything else read as a number.
  bool getBool(const QString& section, const QString& key, bool def) const;
  bool contains(const QString& section, const QString& key) const;

  void set(const QString& section, const QString& key, const QString& value);
  void setBool(const QString& section, const QString& key, bool value) {
    set(section, key, value ? QStringLiteral("-1") : QStringLiteral("0"));
  }
  void setInt(const QString& section, const QString& key, int value) {
    set(section, key, QString::number(value));
  }
  void remove(const QString& section, const QString& key);
  void removeSection(const QString& section);

  QStringList sections() const;
  QStringList keys(const QString& section) const;
  // The groups below a section ("Software/Kelvorn" -> "Tavrik Pro").
  QStringList subsections(const QString& section) const;
  void sync();
  QString path() const;

 private:
  QString actualSection(const QString& section) const;
  QString actualKey(const QString& section, const QString& key) const;
  std::unique_ptr<QSettings> m_ini;
};

}  // namespace tavrik
