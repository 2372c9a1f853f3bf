#pragma once
// Where the program keeps its files. `--home DIR` or TAVRIK_HOME puts everything in
// one folder (tests always do); otherwise data go to ~/.local/share/tavrik and the
// settings to ~/.config/tavrik/GPS.ini.

#include <QString>

namespace tavrik {

class AppPaths {
 public:
  // home: the --home value, empty when not given; then TAVRIK_HOME, then XDG.
  static AppPaths resolve(const QString& home);
  static AppPaths inFolder(const QString& folder);

  QString programFolder() const { return m_data; }  // database, $GPS.$$$, sounds, test files
  QString settingsFile() const { return m_settings; }
  QString file(const QString& name) const;           // programFolder + "/" + name
  QString chartsFolder() const { return file(QStringLiteral("charts")); }
  QString iconsFolder() const { return file(QStringLiteral("icons")); }
  // Creates the folders if they are missing; false when that fails.
  bool ensureExists() const;

 private:
  QString m_data;
  QString m_settings;
};

// The last part of a file name; names from Windows files are also split at "\" and ":".
QString fileNamePart(const QString& path);
// Everything up to and including the last separator ("/", "\" or ":").
QString folderPart(const QString& path);

}  // namespace tavrik
