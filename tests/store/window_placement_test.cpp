#include "core/ui/window_placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include "core/settings_store.h"

namespace tavrik {
namespace {

int argc = 1;
char arg0[] = "store_ui_tests";
char* argv[] = {arg0, nullptr};

TEST(WindowPlacement, RestoresWhatWasSavedAndIgnoresNonsense) {
  if (!QApplication::instance()) new QApplication(argc, argv);
  QTemporaryDir dir;
  SettingsStore ini(dir.filePath(QStringLiteral("GPS.ini")));
  QTableView grid;
  QStandardItemModel model(2, 3);
  grid.setModel(&model);
  grid.setGeometry(40, 50, 420, 260);
  grid.setColumnWidth(0, 80);
  grid.setColumnWidth(1, 120);
  grid.setColumnWidth(2, 60);
  saveFormPlacement(ini, grid, QStringLiteral("gpslog"));
  saveColumnWidths(ini, grid, QStringLiteral("gpslog"));
  EXPECT_EQ(ini.get(QStringLiteral("gpslog"), QStringLiteral("FormW")), QStringLiteral("420"));
  EXPECT_EQ(ini.get(QStringLiteral("gpslog"), QStringLiteral("Column2")), QStringLiteral("120"));

  QTableView again;
  again.setModel(&model);
  again.setGeometry(0, 0, 300, 200);
  restoreFormPlacement(ini, again, QStringLiteral("GPSLOG"));  // sections without case
  restoreColumnWidths(ini, again, QStringLiteral("gpslog"));
  EXPECT_EQ(again.geometry(), QRect(40, 50, 420, 260));
  EXPECT_EQ(again.columnWidth(1), 120);

  struct Row {
    const char* legend;
    const char* key;
    const char* value;
  } rows[] = {{"text for a width", "FormW", "wide"}, {"too small", "FormH", "3"}, {"column as text", "Column1", "x"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    ini.set(QStringLiteral("bad"), QStringLiteral("FormX"), QStringLiteral("5"));
    ini.set(QStringLiteral("bad"), QStringLiteral("FormY"), QStringLiteral("6"));
    ini.set(QStringLiteral("bad"), QStringLiteral("FormW"), QStringLiteral("500"));
    ini.set(QStringLiteral("bad"), QStringLiteral("FormH"), QStringLiteral("400"));
    ini.set(QStringLiteral("bad"), QString::fromUtf8(r.key), QString::fromUtf8(r.value));
    QTableView w;
    w.setModel(&model);
    w.setGeometry(1, 2, 300, 200);
    w.setColumnWidth(0, 77);
    restoreFormPlacement(ini, w, QStringLiteral("bad"));
    restoreColumnWidths(ini, w, QStringLiteral("bad"));
    EXPECT_EQ(w.pos(), QPoint(5, 6));
    if (QByteArray(r.key).startsWith("Form")) {
      EXPECT_EQ(w.size(), QSize(300, 200));
    }
    EXPECT_EQ(w.columnWidth(0), 77);
    ini.removeSection(QStringLiteral("bad"));
  }
}

}  // namespace
}  // namespace tavrik
