#include "nmea/ui/communication_menu.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>

#include "app/app.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "nmea/ui/comm_setup_window.h"
#include "nmea/ui/gps_status_window.h"
#include "nmea/ui/nmea_messages_window.h"
#include "nmea/ui/nmea_setup_window.h"
#include "nmea/ui/nmea_status_window.h"
#include "nmea/ui/simulation_window.h"

namespace tavrik {

void registerNmeaWindows(App& app) {
  app.windows.add(QStringLiteral("gpscomm"), [](App& a) {
    auto* w = new CommSetupWindow(a);
    w->onStored = [&a] { a.receiver.applySettings(); };
    return w;
  });
  app.windows.add(QStringLiteral("gpscnmea"), [](App& a) {
    auto* w = new NmeaSetupWindow(a);
    w->onStored = [&a] { a.receiver.applySettings(); };
    return w;
  });
  app.windows.add(QStringLiteral("gpsnmea"), [](App& a) { return new NmeaStatusWindow(a); });
  app.windows.add(QStringLiteral("gpsmess"), [](App& a) {
    return new NmeaMessagesWindow(a, [&a] { return a.receiver.LastSentences(); });
  });
  app.windows.add(QStringLiteral("gpsstatus"), [](App& a) { return new GpsStatusWindow(a); });
  app.windows.add(QStringLiteral("gpssimul"), [](App& a) { return new SimulationWindow(a); });
}

CommunicationMenu::CommunicationMenu(App& app, MainWindow& window) : QObject(&window), m_app(app), m_window(window) {
  setObjectName(QStringLiteral("communication"));
  m_menu = window.ensureMenu(QStringLiteral("m_comm"), QStringLiteral("&Communication"));
  QAction* start = add(m_menu, "c_start", "S&tart communication");
  connect(start, &QAction::triggered, this, [this] { startCommunication(); });
  // The dial-up link: the chooser `gpsseltel` starts it with the entry picked.
  QAction* telephone = add(m_menu, "c_telephone", "St&art telephone...");
  connect(telephone, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpsseltel")); });
  QAction* stop = add(m_menu, "c_stop", "Sto&p communication");
  connect(stop, &QAction::triggered, this, [this] { stopCommunication(); });
  m_menu->addSeparator();
  QAction* output = add(m_menu, "c_output", "&Output to testfile...");
  output->setCheckable(true);
  connect(output, &QAction::triggered, this, [this] { toggleRecording(); });
  QAction* input = add(m_menu, "c_input", "&Input from testfile...");
  input->setCheckable(true);
  connect(input, &QAction::triggered, this, [this] { toggleReplay(); });
  QAction* simulate = add(m_menu, "c_simulate", "&Simulate communication...");
  connect(simulate, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpssimul")); });
  m_menu->addSeparator();
  QAction* status = add(m_menu, "c_nmeastatus", "Show &NMEA status...");
  connect(status, &QAction::triggered, this, [this, status] { openExclusive(status, QStringLiteral("gpsnmea")); });
  QAction* messages = add(m_menu, "c_messages", "NMEA &messages...");
  connect(messages, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpsmess")); });
  QAction* gps = add(m_menu, "c_gpsstatus", "&GPS status...");
  connect(gps, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpsstatus")); });

  QMenu* setup = window.ensureMenu(QStringLiteral("m_setup"), QStringLiteral("&Setup"));
  QAction* comm = add(setup, "s_comm", "&Communication...");
  connect(comm, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpscomm")); });
  QAction* nmea = add(setup, "s_nmea", "&NMEA...");
  connect(nmea, &QAction::triggered, this, [this] { m_window.openWindow(QStringLiteral("gpscnmea")); });

  // The receive cycle runs on the main window's rectimer while a session runs.
  QTimer* rectimer = window.timer(QStringLiteral("rectimer"));
  connect(rectimer, &QTimer::timeout, this, [this] {
    m_app.receiver.tick();
    m_app.dialUp.tick();
  });
  m_app.receiver.onRunningChanged = [this, rectimer](bool running) {
    if (running) rectimer->start();
    else rectimer->stop();
    // Communication stopped however it was: a dial-up link is over with it.
    if (!running) m_app.dialUp.stop();
    updateActions();
  };
  m_app.startCommunication = [this] { startCommunication(); };
  // A file dialog cancelled, a replay run out, a simulator window closed: the menu
  // shows what runs when it opens, whatever happened in between.
  connect(m_menu, &QMenu::aboutToShow, this, [this] { updateActions(); });

  // Replay feeds one line per testtimer tick.
  QTimer* testtimer = window.timer(QStringLiteral("testtimer"));
  connect(testtimer, &QTimer::timeout, this, [this] { m_app.player.tick(); });
  m_app.player.onStopped = [this, testtimer] {
    testtimer->stop();
    m_app.requests.radarRedraw = true;
    updateActions();
  };
  chooseTestFile = [this](bool save) {
    const QString filter = QStringLiteral("Testfiles (*.TST)");
    QFileDialog dialog(&m_window, save ? QStringLiteral("Output to testfile") : QStringLiteral("Input from testfile"),
                       m_app.settings.TestDir, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("TST"));
    // The program asks its own question about an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
  };
  window.addCommand(
      QStringLiteral("communication"),
      [this] {
        if (m_app.receiver.isRunning()) stopCommunication();
        else startCommunication();
      },
      [this] { return m_app.receiver.isRunning(); });
  updateActions();
}

CommunicationMenu::~CommunicationMenu() {
  // The receive path outlives the menus: nothing may call back into them.
  m_app.receiver.onRunningChanged = nullptr;
  m_app.player.onStopped = nullptr;
  m_app.startCommunication = nullptr;
}

QAction* CommunicationMenu::add(QMenu* menu, const char* objectName, const char* text) {
  QAction* a = menu->addAction(QString::fromUtf8(text));
  a->setObjectName(QLatin1String(objectName));
  m_actions[a->objectName()] = a;
  return a;
}

QAction* CommunicationMenu::action(const char* objectName) const {
  const auto it = m_actions.find(QLatin1String(objectName));
  return it == m_actions.end() ? nullptr : it->second.data();
}

void CommunicationMenu::startCommunication() {
  m_app.receiver.StartCommunication();
  updateActions();
}

void CommunicationMenu::stopCommunication() {
  // Whatever feeds the receive path stops the way its own command stops it.
  if (m_app.player.isRunning()) {
    m_app.player.stop();
  } else if (m_app.simulator.isRunning()) {
    if (QWidget* sim = m_window.findWindow(QStringLiteral("gpssimul"))) {
      if (QWidget* frame = sim->parentWidget()) frame->close();
      else sim->close();
    } else {
      m_app.simulator.stop();
    }
  } else {
    m_app.receiver.StopCommunication();
  }
  updateActions();
}

void CommunicationMenu::toggleRecording() {
  if (m_app.recorder.isRecording()) {
    m_app.recorder.stop();
  } else {
    const QString path = chooseTestFile ? chooseTestFile(true) : QString();
    if (!path.isEmpty() && !m_app.recorder.start(path, m_app.prompter) && !m_app.recorder.errorText().isEmpty())
      ShowError(m_app.prompter, 75, path + QStringLiteral(": ") + m_app.recorder.errorText());
  }
  updateActions();
}

void CommunicationMenu::toggleReplay() {
  if (m_app.player.isRunning()) {
    m_app.player.stop();
  } else {
    const QString path = chooseTestFile ? chooseTestFile(false) : QString();
    if (!path.isEmpty()) startReplay(path);
  }
  updateActions();
}

bool CommunicationMenu::startReplay(const QString& path) {
  // A live receiver would mix its lines into the replay; the input panel then names
  // the test file as the source.
  if (m_app.receiver.isRunning() && !m_app.player.isRunning()) m_app.receiver.StopCommunication();
  m_app.panels[Panel::InputSource].clear();
  if (!m_app.player.start(path)) {
    // 53: the program's number for "File not found".
    ShowError(m_app.prompter, 53, path + QStringLiteral(": ") + m_app.player.errorText());
    updateActions();
    return false;
  }
  QTimer* testtimer = m_window.timer(QStringLiteral("testtimer"));
  testtimer->setInterval(m_app.player.intervalMs());
  testtimer->start();
  updateActions();
  return true;
}

void CommunicationMenu::updateActions() {
  const bool running = m_app.receiver.isRunning();
  const bool replaying = m_app.player.isRunning(), simulating = m_app.simulator.isRunning();
  // Serial input, replay and simulation each own the receive path while they run;
  // Stop ends whichever it is, so one of Start and Stop is always at hand.
  if (QAction* a = action("c_start")) a->setEnabled(!running);
  if (QAction* a = action("c_telephone")) a->setEnabled(!running);
  if (QAction* a = action("c_stop")) a->setEnabled(running);
  if (QAction* a = action("c_input")) {
    a->setEnabled(replaying || !simulating);
    a->setChecked(replaying);
  }
  if (QAction* a = action("c_output")) a->setChecked(m_app.recorder.isRecording());
  if (QAction* a = action("c_simulate")) a->setEnabled(!replaying);
  m_window.refreshToolbarState();
}

QWidget* CommunicationMenu::openExclusive(QAction* action, const QString& objectName) {
  QWidget* w = m_window.openWindow(objectName);
  if (!w) return nullptr;
  action->setEnabled(false);
  QPointer<QAction> guard(action);
  connect(w, &QObject::destroyed, this, [guard] {
    if (guard) guard->setEnabled(true);
  });
  return w;
}

}  // namespace tavrik
