#include "core/ui/window_placement.h"

#include <gtest/gtest.h>

#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include "core/settings_store.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

TEST(WindowPlacement, RestoresWhatWasSavedAndIgnoresNonsense) {
  test::qtApp();
  QTemporaryDir dir;
  SettingsStore ini(dir.filePath("GPS.ini"));
  QStandardItemModel model(2, 3);
  const auto grid = [&](QRect geometry, std::vector<int> widths) {
    auto view = std::make_unique<QTableView>();
    view->setModel(&model);
    view->setGeometry(geometry);
    for (int i = 0; i < int(widths.size()); ++i) view->setColumnWidth(i, widths[i]);
    return view;
  };
  const auto saved = grid(QRect(40, 50, 420, 260), {80, 120, 60});
  saveFormPlacement(ini, *saved, "gpslog");
  saveColumnWidths(ini, *saved, "gpslog");
  EXPECT_EQ(ini.get("gpslog", "FormW"), "420");
  EXPECT_EQ(ini.get("gpslog", "Column2"), "120");
  const auto again = grid(QRect(0, 0, 300, 200), {});
  restoreFormPlacement(ini, *again, "GPSLOG");  // sections without case
  restoreColumnWidths(ini, *again, "gpslog");
  EXPECT_EQ(again->geometry(), QRect(40, 50, 420, 260));
  EXPECT_EQ(again->columnWidth(1), 120);

  const struct {
    const char* legend;
    const char* key;
    const char* value;
  } rows[] = {{"text for a width", "FormW", "wide"}, {"too small", "FormH", "3"}, {"column as text", "Column1", "x"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    for (auto [key, value] : {std::pair{"FormX", "5"}, {"FormY", "6"}, {"FormW", "500"}, {"FormH", "400"}, {r.key, r.value}})
      ini.set("bad", key, value);
    const auto w = grid(QRect(1, 2, 300, 200), {77});
    restoreFormPlacement(ini, *w, "bad");
    restoreColumnWidths(ini, *w, "bad");
    EXPECT_EQ(w->pos(), QPoint(5, 6));
    EXPECT_TRUE(!QByteArray(r.key).startsWith("Form") || w->size() == QSize(300, 200)) << "size not kept";
    EXPECT_EQ(w->columnWidth(0), 77);
    ini.removeSection("bad");
  }
}

}  // namespace
}  // namespace tavrik
