#pragma once
// The main window `gps`: a multiple-document frame holding the child windows, the
// menus, the toolbar and the status bar panels.

#include <QMainWindow>
#include <QPointer>
#include <array>

#include "core/status_panels.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace tavrik {

class App;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(App& app, QWidget* parent = nullptr);
  ~MainWindow() override;

  App& app() { return m_app; }
  QMdiArea* mdiArea() const { return m_mdi; }
  // Shows the window with this object name, creating it on first use; a window that
  // is already open is brought forward. Returns nullptr for an unknown name.
  QWidget* openWindow(const QString& objectName);
  // The open child window with this object name, or nullptr.
  QWidget* findWindow(const QString& objectName) const;
  // The menu with this object name ("m_file", "m_comm", ...), for subsystems to fill.
  QMenu* menu(const QString& objectName) const;
  // Copies the status panel texts and visibility from the App.
  void refreshStatusBar();
  QLabel* panel(Panel p) const { return m_panels[static_cast<int>(p)]; }

 private:
  void buildMenus();
  void buildStatusBar();

  App& m_app;
  QMdiArea* m_mdi = nullptr;
  std::array<QLabel*, kPanelCount> m_panels{};
  QTimer* m_statusTimer = nullptr;
};

}  // namespace tavrik
