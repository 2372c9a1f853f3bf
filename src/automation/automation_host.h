#pragma once
// What the automation interface needs from the windows: the main window's geometry,
// bars and menus, the windows it opens and closes, the chart's zoom and the end of
// the program. The main window implements it (automation/ui); tests use a fake.

#include <QRect>
#include <QString>

namespace tavrik {

class AutomationHost {
 public:
  virtual ~AutomationHost() = default;
  virtual bool mainVisible() const = 0;
  virtual void setMainVisible(bool visible) = 0;
  virtual QRect mainGeometry() const = 0;  // pixels, frame included
  virtual void setMainGeometry(const QRect& r) = 0;
  // 0 normal, 1 minimised, 2 maximised.
  virtual int mainWindowState() const = 0;
  virtual void setMainWindowState(int state) = 0;
  virtual bool menusVisible() const = 0;
  virtual void setMenusVisible(bool visible) = 0;
  virtual bool statusBarVisible() const = 0;
  virtual void setStatusBarVisible(bool visible) = 0;
  virtual bool toolBarVisible() const = 0;
  virtual void setToolBarVisible(bool visible) = 0;
  virtual void stayOnTop() = 0;
  // Toggles the night-screen menu entry; false when this build has no night screen.
  virtual bool toggleNightScreen() = 0;
  // Opens a registered window by object name; false when it is not registered.
  virtual bool openWindow(const QString& objectName) = 0;
  virtual void closeWindow(const QString& objectName) = 0;
  // The chart window's zoom in per cent; 0 when no chart is shown.
  virtual int chartZoomPercent() const = 0;
  // Ends the program as closing the main window does (after the reply has gone out).
  virtual void closeProgram() = 0;
};

}  // namespace tavrik
