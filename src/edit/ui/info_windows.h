#pragma once
// Info points: "&Open info database..." with its information window, and `gpsainfo`,
// which adds, edits and deletes an info point.

#include <QWidget>

#include "edit/info_points.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tavrik {

class App;
class MainWindow;
class PositionControl;

// The open info database's folder (empty when none is open).
QString InfoFolder(const App& app);
// Opens `path` as the info database, shows its information window; false (with the
// error shown) when the file is no info database.
bool OpenInfoDatabaseFile(App& app, const QString& path);
// OpenDocument with its warning; true when the file was handed to the desktop.
bool OpenInfoDocument(App& app, const QString& name);

// The information window of the open info database.
class InfoHeaderWindow : public QWidget {
  Q_OBJECT
 public:
  explicit InfoHeaderWindow(App& app, QWidget* parent = nullptr);
  QString text() const;

 private:
  QLabel* m_text;
  QLabel* m_icon;
};

class InfoPointWindow : public QWidget {
  Q_OBJECT
 public:
  explicit InfoPointWindow(App& app, QWidget* parent = nullptr);
  bool store();
  void remove();
  QLineEdit* nameField() const { return m_name; }
  QLineEdit* fileField() const { return m_file; }
  QCheckBox* onlyThisChart() const { return m_onlyChart; }
  PositionControl* position() const { return m_position; }

 private:
  void showIcon();
  App& m_app;
  InfoPoint m_point;
  PositionControl* m_position;
  QLineEdit* m_name;
  QLineEdit* m_file;
  QToolButton* m_icon;
  QCheckBox* m_onlyChart;
  QPushButton* m_delete;
};

}  // namespace tavrik
