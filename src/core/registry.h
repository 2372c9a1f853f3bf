#pragma once
// Direct access to the settings store by company, product and section, the way the
// installer's flags and window placements have always been kept. The key path is
// "Software\" + company + "\" + product + "\" + section; here it is a section of the
// program's settings file ("Software/Kelvorn/Tavrik Pro/3.0").

#include <QRect>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

#include "core/prompter.h"
#include "core/settings_store.h"

namespace tavrik {

class Registry {
 public:
  Registry(SettingsStore& store, Prompter& prompter) : m_store(store), m_prompter(prompter) {}

  QString KeyRoot = QStringLiteral("HKEY_CURRENT_USER");  // kept for callers; one store serves every root
  QString KeyUser;
  QString KeyCompanyName;
  QString KeyProductName;
  QString KeySection;
  QString ValueName;
  QVariant ValueData;

  // Sub-keys and values below the key path.
  int CountKeys();
  int CountValues();
  QStringList GetAllKeys();
  std::vector<std::pair<QString, QString>> GetAllSettings();
  // ValueData = the value of ValueName (def when missing); returns it.
  QVariant GetSetting(const QVariant& def = {});
  // Stores ValueData under ValueName: texts, whole numbers, booleans and bytes; any
  // other kind gives "Unsupported datatype" and stores nothing.
  bool SaveSetting();
  bool DeleteSetting();
  // Window placement under section "Windows": "left,top,width,height".
  bool SaveWindowSetting(const QString& window, const QRect& geometry);
  QRect GetWindowSetting(const QString& window, const QRect& def = {});

  QString keyPath() const;

 private:
  // False (after the message) when company, product or section is empty.
  bool check(const char* operation);
  QString section() const;

  SettingsStore& m_store;
  Prompter& m_prompter;
};

}  // namespace tavrik
