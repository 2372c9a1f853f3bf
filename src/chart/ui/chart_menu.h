#pragma once
// The chart windows in the App's registry and the "Cha&rt" menu of the main window (Alt+C belongs to Communication).

#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace tavrik {

class App;
class MainWindow;
class ChartWindow;

// `gpschart`, `gpszoom`, `gpscolor`, `gpschartinfo`.
void registerChartWindows(App& app);

// The open chart window of the main window, or nullptr.
ChartWindow* findChartWindow(MainWindow& window);
// Opens (or brings forward) the chart window.
ChartWindow* openChartWindow(MainWindow& window);

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
  QAction* m_positioning = nullptr;
  QAction* m_info = nullptr;
};

}  // namespace tavrik
