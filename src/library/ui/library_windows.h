#pragma once
// The chart library's windows: BSB import `gpsbsb`, the chart manager
// `FormChartManager`, chart deletion `gpsdelchart`, the folder editor `gpsfolders`,
// the chart information export `gpschiexport`, the auto import `FormAutoImport`, and
// the import entries of the File menu.

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace tavrik {

class App;
class MainWindow;

void registerLibraryWindows(App& app);
// File menu: "&Import chart information file...", "&Export chart information file...",
// "Import &BSB charts...", "Chart &manager...", "&Delete charts...", "Chart &folders...", and the "&Tavrik" submenu with
// "Import &waypoints...", "Import &route...", "Import &track...".
void installLibraryMenus(App& app, MainWindow& window);
// Opens the auto import window when the "AutoImport" settings section names files.
void offerAutoImport(App& app);

// Imports .chi files as the menu does: the copy question once, each file in its own
// transaction, every failure shown. Returns the number of files imported.
int importChiFiles(App& app, const QStringList& files, QWidget* busyParent = nullptr);

class BsbImportWindow : public QWidget {
 public:
  explicit BsbImportWindow(App& app, QWidget* parent = nullptr);
  void setDirectory(const QString& dir);
  // Imports the selected files; false when none is selected.
  bool importSelected();

 private:
  App& m_app;
  QLineEdit* m_directory;
  QListWidget* m_files;
  QComboBox* m_folder;
  QComboBox* m_datum;
  QProgressBar* m_progress;
  QPushButton* m_import;
};

class ChartManagerWindow : public QWidget {
 public:
  explicit ChartManagerWindow(App& app, QWidget* parent = nullptr);
  void selectFolder(int index);
  void apply();

 private:
  void showChart();
  App& m_app;
  QComboBox* m_folders;
  QListWidget* m_charts;
  QLineEdit* m_description;
  QLineEdit* m_path;
  QLineEdit* m_bitmap;
  QPushButton* m_info;
};

// "Delete charts": a folder's charts, several of which are deleted after a question.
class ChartDeleteWindow : public QWidget {
 public:
  explicit ChartDeleteWindow(App& app, QWidget* parent = nullptr);
  void selectFolder(int index);
  // Deletes the selected charts when the user agrees; false when nothing was deleted.
  bool deleteSelected();

 private:
  App& m_app;
  QComboBox* m_folders;
  QListWidget* m_charts;
};

// "Chart folders": adds, renames and deletes folders.
class FolderWindow : public QWidget {
 public:
  explicit FolderWindow(App& app, QWidget* parent = nullptr);
  bool addFolder();
  bool renameSelected();
  bool deleteSelected();

 private:
  void fill(qint64 select = 0);
  qint64 selectedFolder() const;
  App& m_app;
  QListWidget* m_folders;
  QLineEdit* m_name;
};

class ChiExportWindow : public QWidget {
 public:
  explicit ChiExportWindow(App& app, QWidget* parent = nullptr);
  bool exportTo(const QString& path);

 private:
  App& m_app;
  QListWidget* m_charts;
  QRadioButton* m_v2;
  QCheckBox* m_folders;
};

// "Import EuroSea charts": the NavKom header of a chart file, folder, datum and the
// copy into the chart directory.
class NkfImportWindow : public QWidget {
 public:
  explicit NkfImportWindow(App& app, QWidget* parent = nullptr);
  // Reads the header; false (with the message) when it is refused.
  bool setFile(const QString& path);
  bool importFile();

 private:
  App& m_app;
  QString m_path;
  QLabel* m_header;
  QComboBox* m_folder;
  QComboBox* m_datum;
  QCheckBox* m_copy;
  QPushButton* m_import;
};

class AutoImportWindow : public QWidget {
 public:
  explicit AutoImportWindow(App& app, QWidget* parent = nullptr);
  void importSelected();

 private:
  void fill();
  App& m_app;
  QListWidget* m_files;
};

}  // namespace tavrik
