#include "core/app_paths.h"

#include <QDir>
#include <QStandardPaths>

namespace tavrik {

AppPaths AppPaths::inFolder(const QString& folder) {
  AppPaths p;
  p.m_data = QDir(folder).absolutePath();
  p.m_settings = p.m_data + QStringLiteral("/GPS.ini");
  return p;
}

AppPaths AppPaths::resolve(const QString& home) {
  if (!home.isEmpty()) return inFolder(home);
  const QString env = qEnvironmentVariable("TAVRIK_HOME");
  if (!env.isEmpty()) return inFolder(env);
  AppPaths p;
  QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  if (dataHome.isEmpty()) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
  QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (configHome.isEmpty()) configHome = QDir::homePath() + QStringLiteral("/.config");
  p.m_data = dataHome + QStringLiteral("/tavrik");
  p.m_settings = configHome + QStringLiteral("/tavrik/GPS.ini");
  return p;
}

QString AppPaths::file(const QString& name) const { return m_data + '/' + name; }

bool AppPaths::ensureExists() const {
  QDir d;
  return d.mkpath(m_data) && d.mkpath(QFileInfo(m_settings).absolutePath());
}

QString fileNamePart(const QString& path) {
  qsizetype cut = -1;
  for (qsizetype i = 0; i < path.size(); ++i)
    if (path[i] == '/' || path[i] == '\\' || path[i] == ':') cut = i;
  return path.mid(cut + 1);
}

QString folderPart(const QString& path) {
  return path.left(path.size() - fileNamePart(path).size());
}

}  // namespace tavrik
