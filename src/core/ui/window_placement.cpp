#include "core/ui/window_placement.h"

#include <QHeaderView>
#include <QTableView>
#include <QWidget>

#include "core/settings_store.h"

namespace tavrik {
namespace {

// The value as a whole number, or nothing when it is missing or not a number.
bool readInt(const SettingsStore& ini, const QString& section, const QString& key, int* out) {
  if (!ini.contains(section, key)) return false;
  bool ok = false;
  const double d = ini.get(section, key).trimmed().toDouble(&ok);
  if (!ok || d < -100000 || d > 100000) return false;
  *out = static_cast<int>(d);
  return true;
}

}  // namespace

void restoreFormPlacement(const SettingsStore& ini, QWidget& window, const QString& section) {
  int x = 0, y = 0, w = 0, h = 0;
  if (readInt(ini, section, QStringLiteral("FormX"), &x) && readInt(ini, section, QStringLiteral("FormY"), &y))
    window.move(x, y);
  if (readInt(ini, section, QStringLiteral("FormW"), &w) && readInt(ini, section, QStringLiteral("FormH"), &h) && w >= 50 &&
      h >= 30)
    window.resize(w, h);
}

void saveFormPlacement(SettingsStore& ini, const QWidget& window, const QString& section) {
  ini.setInt(section, QStringLiteral("FormX"), window.x());
  ini.setInt(section, QStringLiteral("FormY"), window.y());
  ini.setInt(section, QStringLiteral("FormW"), window.width());
  ini.setInt(section, QStringLiteral("FormH"), window.height());
}

void restoreColumnWidths(const SettingsStore& ini, QTableView& grid, const QString& section) {
  const int n = grid.horizontalHeader()->count();
  for (int i = 0; i < n; ++i) {
    int w = 0;
    if (readInt(ini, section, QStringLiteral("Column%1").arg(i + 1), &w) && w >= 5 && w <= 5000) grid.setColumnWidth(i, w);
  }
}

void saveColumnWidths(SettingsStore& ini, const QTableView& grid, const QString& section) {
  const int n = grid.horizontalHeader()->count();
  for (int i = 0; i < n; ++i) ini.setInt(section, QStringLiteral("Column%1").arg(i + 1), grid.columnWidth(i));
}

}  // namespace tavrik
