#pragma once
// GPX files from the File menu: "&Import GPX file..." stores a file's waypoints,
// routes and tracks (one transaction; the outcome or the reason in a message), and
// the export window `gpsgpx` ("Export GPX") writes the chosen waypoints, routes and
// tracks, and the track sailed in this run, as GPX 1.1.

#include <QWidget>

class QCheckBox;
class QListWidget;

namespace tavrik {

class App;
class MainWindow;

class GpxExportWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GpxExportWindow(App& app, QWidget* parent = nullptr);
  // Writes the chosen items to path; false with error when nothing is chosen or the
  // database or file refuse.
  bool exportTo(const QString& path, QString& error);

 private:
  void fill();
  App& m_app;
  QListWidget* m_waypoints;
  QListWidget* m_routes;
  QListWidget* m_tracks;
  QCheckBox* m_current;
};

// Imports one file; the message tells what was stored or why nothing was.
void importGpxWithMessage(App& app, const QString& path);
void registerGpxWindows(App& app);
void installGpxMenu(App& app, MainWindow& window);

}  // namespace tavrik
