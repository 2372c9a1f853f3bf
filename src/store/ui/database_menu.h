#pragma once
// The database commands of the main window's File menu: "Create &Tavrik database..."
// (a new empty database of the open one's structure) and "Create in&fo database...".

#include <QString>

namespace tavrik {

class App;
class MainWindow;

void registerStoreWindows(App& app);
void installDatabaseMenu(App& app, MainWindow& window);

// The save dialog of "Create Tavrik database...": "Database (*.db)"; empty on cancel.
QString askNewDatabaseFile(MainWindow& window, const QString& folder);
// The open dialog of start-up when the database cannot be used; empty on cancel.
QString askDatabaseFile(const QString& folder, const QString& failedPath = {});

}  // namespace tavrik
