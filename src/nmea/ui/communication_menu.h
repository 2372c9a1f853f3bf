#pragma once
// The windows of the instrument link and the commands that reach them: the
// Communication menu (start and stop, test files, simulator, monitors) and the
// communication and NMEA entries of the Setup menu.

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;

namespace tavrik {

class App;
class MainWindow;

// Adds the window factories (gpscomm, gpscnmea, gpsnmea, gpsstatus, ...) to the App.
void registerNmeaWindows(App& app);

class CommunicationMenu : public QObject {
  Q_OBJECT
 public:
  CommunicationMenu(App& app, MainWindow& window);
  QMenu* menu() const { return m_menu; }
  // Opens a window and keeps its command disabled while it is open.
  QWidget* openExclusive(QAction* action, const QString& objectName);

 private:
  QAction* add(QMenu* menu, const char* objectName, const char* text);

  App& m_app;
  MainWindow& m_window;
  QMenu* m_menu = nullptr;
};

}  // namespace tavrik
