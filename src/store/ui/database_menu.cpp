#include "store/ui/database_menu.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include "app/app.h"
#include "core/ui/main_window.h"
#include "store/new_database.h"
#include "store/ui/info_database_window.h"

namespace tavrik {

QString askNewDatabaseFile(MainWindow& window, const QString& folder) {
  QFileDialog dialog(&window, QStringLiteral("Create Tavrik database"), folder, QStringLiteral("Database (*.db)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("db"));
  // The overwrite question is the program's own.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first() : QString();
}

QString askDatabaseFile(const QString& folder, const QString& failedPath) {
  // The title names the file that could not be used, so the user knows what to look for.
  const QString title = failedPath.isEmpty() ? QStringLiteral("Database")
                        : QFileInfo::exists(failedPath) ? QStringLiteral("Database - cannot use %1").arg(failedPath)
                                                        : QStringLiteral("Database - not found: %1").arg(failedPath);
  return QFileDialog::getOpenFileName(nullptr, title, folder, QStringLiteral("Database (*.db)"));
}

void registerStoreWindows(App& app) {
  app.windows.add(QStringLiteral("gpsnewinfo"), [](App& a) { return new InfoDatabaseWindow(a); });
}

void installDatabaseMenu(App& app, MainWindow& window) {
  QMenu* file = window.menu(QStringLiteral("m_file"));
  if (!file) return;
  // Before "Exit" (the menu's last entry) with a separator.
  QAction* before = file->actions().isEmpty() ? nullptr : file->actions().last();
  auto* newdb = new QAction(QStringLiteral("Create &Tavrik database..."), file);
  newdb->setObjectName(QStringLiteral("m_newdb"));
  auto* newinfo = new QAction(QStringLiteral("Create in&fo database..."), file);
  newinfo->setObjectName(QStringLiteral("m_newinfo"));
  file->insertAction(before, newdb);
  file->insertAction(before, newinfo);
  file->insertSeparator(before);
  QObject::connect(newdb, &QAction::triggered, &window, [&app, &window] {
    const QString folder = QFileInfo(app.db.path()).absolutePath();
    const QString f = askNewDatabaseFile(window, folder);
    if (f.isEmpty()) return;
    createNewMainDatabase(app.db, f, app.prompter, [](bool busy) {
      if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
      else QApplication::restoreOverrideCursor();
    });
  });
  QObject::connect(newinfo, &QAction::triggered, &window, [&app] {
    if (app.windows.open) app.windows.open(QStringLiteral("gpsnewinfo"));
  });
}

}  // namespace tavrik
