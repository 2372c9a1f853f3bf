#include "core/toolbar_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace tavrik {
namespace {

constexpr int S = kToolbarSeparator, E = kToolbarEmpty, L = kToolbarChartList;

TEST(ToolbarLayout, ButtonTableKeysFollowTheirNumbers) {
  std::set<QString> windows;
  for (const ToolbarButton& b : toolbarButtons()) {
    SCOPED_TRACE(b.key);
    EXPECT_EQ(QString::fromLatin1(b.key), QStringLiteral("but%1").arg(b.number + 1));
    EXPECT_NE(!b.window, !b.command) << "exactly one of window and command";
    if (b.window) {
      EXPECT_TRUE(windows.insert(QLatin1String(b.window)).second);
    }
  }
  EXPECT_EQ(QString::fromLatin1(toolbarButton(18)->window), "gpsgoto");
  EXPECT_EQ(QString::fromLatin1(toolbarButton(19)->window), "gpstime");
  EXPECT_EQ(QString::fromLatin1(toolbarButton(25)->command), "communication");
  EXPECT_EQ(toolbarButton(-1), nullptr);
  EXPECT_EQ(toolbarButton(29), nullptr);
}

TEST(ToolbarLayout, BuiltInArrangementHoldsEveryButtonOnce) {
  const std::vector<int> layout = builtInToolbarLayout();
  std::multiset<int> buttons;
  for (int v : layout)
    if (v >= 0) buttons.insert(v);
  EXPECT_EQ(buttons.size(), static_cast<size_t>(kToolbarButtonCount));
  for (int n = 0; n < kToolbarButtonCount; ++n) EXPECT_EQ(buttons.count(n), 1u) << n;
  EXPECT_EQ(std::count(layout.begin(), layout.end(), L), 1);
  EXPECT_EQ(effectiveToolbarLayout({}), layout) << "no Button setting: the built-in one";
}

TEST(ToolbarLayout, StoredLayoutIsReadAndShownWithOnlyWorkingButtons) {
  struct Row {
    const char* legend;
    std::vector<int> stored;
    std::set<int> available;
    bool chartList;
    std::vector<int> shown;
  };
  const std::vector<Row> rows = {
      {"all available", {0, S, 18, L, 25}, {0, 18, 25}, true, {0, S, 18, L, 25}},
      {"empty places vanish", {E, 0, E, 18}, {0, 18}, false, {0, 18}},
      {"out of range values are empty places", {29, 0, -4, 18, 1000}, {0, 18}, false, {0, 18}},
      {"unavailable buttons vanish, separators collapse", {0, S, 5, S, 18}, {0, 18}, false, {0, S, 18}},
      {"no leading or trailing separator", {S, S, 0, 18, S}, {0, 18}, false, {0, 18}},
      {"chart list without charts", {0, L, 18}, {0, 18}, false, {0, 18}},
      {"nothing available", {0, S, 18}, {}, false, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const auto avail = [&](int n) { return r.available.count(n) != 0; };
    EXPECT_EQ(visibleToolbarLayout(effectiveToolbarLayout(r.stored), avail, r.chartList), r.shown);
  }
}

}  // namespace
}  // namespace tavrik
