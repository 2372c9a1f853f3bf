#pragma once
// The chart windows in the App's registry and the "Cha&rt" menu of the main window (Alt+C belongs to Communication).

#include <QBrush>
#include <QObject>
#include <QPalette>
#include <QString>

class QAction;
class QMenu;

namespace tavrik {

class App;
class MainWindow;
class ChartWindow;

// `gpschart`, `gpszoom`, `gpscolor`, `gpschartinfo`, `gpstshow`.
void registerChartWindows(App& app);

// The open chart window of the main window, or nullptr.
ChartWindow* findChartWindow(MainWindow& window);
// Opens (or brings forward) the chart window.
ChartWindow* openChartWindow(MainWindow& window);

// Switches the night screen on or off: the main window's menu state, the chart window's
// request, and the window frame's colours. The automation interface's `NightScreen`
// calls toggleNightScreen.
void setNightScreen(MainWindow& window, bool on);
void toggleNightScreen(MainWindow& window);

// The "Cha&rt" menu (`m_chart`, entries with the `ch_` prefix).
class ChartMenu : public QObject {
  Q_OBJECT
 public:
  ChartMenu(App& app, MainWindow& window);
  QMenu* menu() const { return m_menu; }
  // Opens a chart file in the chart window (the command line's --chart); a chart-set
  // file (.BSB) offers its panels and opens the one chosen.
  bool openChartFile(const QString& path);
  // The chart information window for a chart file.
  void showFileInformation(const QString& path);
  // "Start with folder": folder 0 (none) searches the whole chart table.
  void startWithFolder(int folderKey, const QString& name);
  // The night screen ("&Night screen", `ch_night`); see setNightScreen.
  void setNightScreen(bool on);
  // "&Print chart...": the visible chart area in a print preview (`ch_printpreview`).
  void printChart();

 private:
  void refresh();
  bool chooseChartSetPanel(const QString& path);
  App& m_app;
  MainWindow& m_window;
  QMenu* m_menu = nullptr;
  QAction* m_show = nullptr;
  QAction* m_rulers = nullptr;
  QAction* m_crosshairs = nullptr;
  QAction* m_circles = nullptr;
  QAction* m_courseLine = nullptr;
  QAction* m_waypoints = nullptr;
  QAction* m_positioning = nullptr;
  QAction* m_info = nullptr;
  QAction* m_night = nullptr;
  // The frame's own colours, put back when the night ends.
  QPalette m_dayPalette;
  bool m_dayPaletteSet = false;
  QBrush m_dayBackground;
};

}  // namespace tavrik
