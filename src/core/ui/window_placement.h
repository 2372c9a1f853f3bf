#pragma once
// Where the list windows (log, route, position and ship lists) were and how wide
// their columns were: keys FormX, FormY, FormW, FormH and Column1..ColumnN in a
// section named by the window. Read on load, written on unload; values that are not
// numbers, or sizes too small to use, leave the window as it is.

#include <QString>

class QWidget;
class QTableView;

namespace tavrik {

class SettingsStore;

void restoreFormPlacement(const SettingsStore& ini, QWidget& window, const QString& section);
void saveFormPlacement(SettingsStore& ini, const QWidget& window, const QString& section);
void restoreColumnWidths(const SettingsStore& ini, QTableView& grid, const QString& section);
void saveColumnWidths(SettingsStore& ini, const QTableView& grid, const QString& section);

}  // namespace tavrik
