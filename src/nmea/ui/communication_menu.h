#pragma once
// The windows of the instrument link and the commands that reach them: the
// Communication menu (start and stop, test files, simulator, monitors), the
// communication and NMEA entries of the Setup menu, and the receive cycle timer.

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>

class QAction;
class QMenu;

namespace tavrik {

class App;
class MainWindow;

// Adds the window factories (gpscomm, gpscnmea, gpsnmea, gpsmess, gpsstatus, ...).
void registerNmeaWindows(App& app);

class CommunicationMenu : public QObject {
  Q_OBJECT
 public:
  CommunicationMenu(App& app, MainWindow& window);
  ~CommunicationMenu() override;
  QMenu* menu() const { return m_menu; }
  QAction* action(const char* objectName) const;

  // "S&tart communication" and "Sto&p communication".
  void startCommunication();
  void stopCommunication();
  // "&Output to testfile...": stops recording when it runs, else asks for a file and
  // records into it.
  void toggleRecording();
  // "&Input from testfile...": stops replay when it runs, else asks for a file and
  // replays it on the testtimer.
  void toggleReplay();
  // Starts replaying this file (also the --replay option); false when it cannot be read.
  bool startReplay(const QString& path);
  // Asks for a test file: save true for a file to write. Empty when cancelled. Tests
  // answer it themselves.
  std::function<QString(bool save)> chooseTestFile;

  // Opens a window and keeps its command disabled while it is open.
  QWidget* openExclusive(QAction* action, const QString& objectName);
  // Enables and ticks the commands by what runs.
  void updateActions();

 private:
  QAction* add(QMenu* menu, const char* objectName, const char* text);

  App& m_app;
  MainWindow& m_window;
  QMenu* m_menu = nullptr;
  std::map<QString, QPointer<QAction>> m_actions;
};

}  // namespace tavrik
