#pragma once
// The main window as the automation interface's host, and the installation of the
// `/chart` object on the session bus with its 100 ms timer (ChartClick, property
// changes).

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

#include "automation/chart_object.h"

namespace tavrik {

class App;
class MainWindow;

class MainWindowHost final : public AutomationHost {
 public:
  explicit MainWindowHost(MainWindow& window) : m_window(window) {}
  bool mainVisible() const override;
  void setMainVisible(bool visible) override;
  QRect mainGeometry() const override;
  void setMainGeometry(const QRect& r) override;
  int mainWindowState() const override;
  void setMainWindowState(int state) override;
  bool menusVisible() const override;
  void setMenusVisible(bool visible) override;
  bool statusBarVisible() const override;
  void setStatusBarVisible(bool visible) override;
  bool toolBarVisible() const override;
  void setToolBarVisible(bool visible) override;
  void stayOnTop() override;
  bool toggleNightScreen() override;
  bool openWindow(const QString& objectName) override;
  void closeWindow(const QString& objectName) override;
  int chartZoomPercent() const override;
  void closeProgram() override;

 private:
  MainWindow& m_window;
};

// org.freedesktop.Application at /org/tavrik/Tavrik: what a desktop launcher calls for
// the DBusActivatable .desktop file (open the window, open files with Tavrik).
class DesktopApplication : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
 public:
  explicit DesktopApplication(QObject* parent = nullptr) : QObject(parent) {}
  // Set by start-up: shows and raises the main window; opens one local file.
  std::function<void()> activate;
  std::function<void(const QString& path)> openFile;

 public slots:
  Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
  Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
  Q_SCRIPTABLE void ActivateAction(const QString& action, const QVariantList& parameter, const QVariantMap& platformData);
};

// Puts `/chart` on the session bus (the object, host and timer live as long as the
// main window). With `automationMode` (tavrik --automation) the automation session
// starts at once. Null with the reason when the bus cannot be used.
ChartObject* installAutomation(App& app, MainWindow& window, bool automationMode, QString* why);
// The desktop launcher's object beside it (after installAutomation has the name).
DesktopApplication* installDesktopApplication(MainWindow& window);

}  // namespace tavrik
