#include "store/new_database.h"

#include <QDir>
#include <QFileInfo>

#include "core/messages.h"
#include "store/upgrade.h"

namespace tavrik {

QString withDatabaseSuffix(const QString& file) {
  const QString f = file.trimmed();
  if (f.isEmpty() || !QFileInfo(f).suffix().isEmpty()) return f;
  return f + QStringLiteral(".db");
}

bool createNewMainDatabase(Database& open, const QString& file, Prompter& prompter,
                           const std::function<void(bool)>& busy) {
  const QString path = withDatabaseSuffix(file);
  if (path.isEmpty()) return false;
  if (QFileInfo::exists(path) && !prompter.question(MessageText(Msg::DatabaseExistsOverwrite))) return false;
  if (busy) busy(true);
  const StoreResult r = copyDatabaseStructure(open, path);
  if (busy) busy(false);
  if (!r.ok()) {
    ShowError(prompter, r.error, r.detail);
    return false;
  }
  return true;
}

bool createNewInfoDatabase(const QString& folder, const InfoDatabaseHeader& header, Prompter& prompter, QString* created) {
  const QString name = header.name.trimmed();
  if (name.isEmpty()) {
    prompter.information(MessageText(Msg::MustEnterName));
    return false;
  }
  const QString path = QDir(folder).filePath(withDatabaseSuffix(name));
  if (QFileInfo::exists(path) && !prompter.question(MessageText(Msg::DatabaseExistsOverwrite))) return false;
  InfoDatabaseHeader h = header;
  h.name = name;
  Database info;
  const StoreResult r = createInfoDatabase(info, path, h);
  info.close();
  if (!r.ok()) {
    ShowError(prompter, r.error, r.detail);
    return false;
  }
  if (created) *created = path;
  return true;
}

}  // namespace tavrik
