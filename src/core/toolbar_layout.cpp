#include "core/toolbar_layout.h"

namespace tavrik {

namespace {
// clang-format off
const std::array<ToolbarButton, kToolbarButtonCount> kButtons = {{
    {0,  "but1",  "Mark",    "Mark waypoint",                 "gpsmark",  nullptr},
    {1,  "but2",  "Folder",  "Select folder",                 "gpsselfl", nullptr},
    {2,  "but3",  "Calc",    "Mercator calculations",         "gpscalc",  nullptr},
    {3,  "but4",  "Wind",    "Wind",                          "gpsswind", nullptr},
    {4,  "but5",  "Nearby",  "Waypoints from current position", "gpswshow", nullptr},
    {5,  "but6",  "Log+",    "Log entry",                     "gpsltext", nullptr},
    {6,  "but7",  "Log",     "Show log",                      nullptr,    "showlog"},
    {7,  "but8",  "Instr",   "Instruments",                   "gpsinstr", nullptr},
    {8,  "but9",  "Temp",    "Temperature graph",             "gpsgrapt", nullptr},
    {9,  "but10", "Depth",   "Depth graph",                   "gpsgrapd", nullptr},
    {10, "but11", "Press",   "Pressure graph",                "gpsgrapp", nullptr},
    {11, "but12", "MOB",     "Man overboard",                 "gpsmob",   nullptr},
    {12, "but13", "Overview", "Show overview",                "gpstshow", nullptr},
    {13, "but14", "Find",    "Search waypoints",              "gpsswps",  nullptr},
    {14, "but15", "Centre",  "Centre the chart on the position", nullptr, "centre"},
    {15, "but16", "Zoom",    "Zoomfactor",                    "gpszoom",  nullptr},
    {16, "but17", "Circles", "Range circles",                 nullptr,    "circles"},
    {17, "but18", "Refresh", "Refresh the chart",             nullptr,    "refresh"},
    {18, "but19", "Go to",   "Go to",                         "gpsgoto",  nullptr},
    {19, "but20", "Clock",   "Set Pc time & date",            "gpstime",  nullptr},
    {20, "but21", "Route",   "Select route",                  "gpsselrt", nullptr},
    {21, "but22", "Show rt", "Show route",                    "gpsrshow", nullptr},
    {22, "but23", "Anchor",  "Anchor watch",                  "gpswatch", nullptr},
    {23, "but24", "Call",    "Call ships",                    "gpscship", nullptr},
    {24, "but25", "Ships",   "Redraw ships",                  nullptr,    "ships"},
    {25, "but26", "Comm",    "Start or stop communication",   nullptr,    "communication"},
    {26, "but27", "Search",  "Search a chart for the position", nullptr,  "search"},
    {27, "but28", "Chart",   "Show or hide the chart window", nullptr,    "chartwindow"},
    {28, "but29", "Auto",    "Automatic positioning",         nullptr,    "positioning"},
}};
// clang-format on
}  // namespace

const std::array<ToolbarButton, kToolbarButtonCount>& toolbarButtons() { return kButtons; }

const ToolbarButton* toolbarButton(int number) {
  return number >= 0 && number < kToolbarButtonCount ? &kButtons[static_cast<size_t>(number)] : nullptr;
}

std::vector<int> builtInToolbarLayout() {
  // Communication first, then what a helmsman reaches for, the chart commands with the
  // chart list, the instruments and log, and the planning windows.
  return {25, kToolbarSeparator, 0,  18, 11, 22, kToolbarSeparator, 14, 26, 17, 15, 16, 28, 27,
          kToolbarChartList, kToolbarSeparator, 7,  3,  8,  9,  10, kToolbarSeparator, 5, 6,
          kToolbarSeparator, 2,  13, 4,  1,  20, 21, 12, kToolbarSeparator, 23, 24, 19};
}

std::vector<int> effectiveToolbarLayout(const std::vector<int>& stored) {
  if (stored.empty()) return builtInToolbarLayout();
  std::vector<int> out;
  for (int v : stored) out.push_back(v < kToolbarEmpty || v >= kToolbarButtonCount ? kToolbarEmpty : v);
  return out;
}

std::vector<int> visibleToolbarLayout(const std::vector<int>& layout, const std::function<bool(int)>& buttonAvailable,
                                      bool chartListAvailable) {
  std::vector<int> out;
  bool pendingSeparator = false;
  for (int v : layout) {
    if (v == kToolbarSeparator) {
      pendingSeparator = !out.empty();
      continue;
    }
    const bool shown = v == kToolbarChartList ? chartListAvailable
                                              : (v >= 0 && v < kToolbarButtonCount && buttonAvailable && buttonAvailable(v));
    if (!shown) continue;
    if (pendingSeparator) out.push_back(kToolbarSeparator);
    pendingSeparator = false;
    out.push_back(v);
  }
  return out;
}

}  // namespace tavrik
