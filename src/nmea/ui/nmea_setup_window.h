#pragma once
// "Setup NMEA" (`gpscnmea`): per talker the talker id, which sentences are accepted
// ("NMEA input"), which are repeated to the output port ("NMEA output") and whether
// sentences outside the table are repeated ("All NMEA").

#include <QWidget>
#include <array>
#include <functional>

#include "core/navigation_state.h"
#include "nmea/nmea_receiver.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace tavrik {

class App;


// A talker id the receive path can match: three characters beginning with "$".
bool validTalkerId(const QString& id);

class NmeaSetupWindow : public QWidget {
  Q_OBJECT
 public:
  explicit NmeaSetupWindow(App& app, QWidget* parent = nullptr);
  // OK: checks every talker id (a bad one beeps, gets the focus, and nothing is
  // stored), stores the filters into the settings and closes. True when stored.
  bool accept();
  // Called after the filters were stored (the receive path picks them up).
  std::function<void()> onStored;

 private:
  struct TalkerTab {
    QLineEdit* id = nullptr;
    std::array<QCheckBox*, kSentenceCount> in{};
    std::array<QCheckBox*, kSentenceCount> out{};
    QCheckBox* all = nullptr;
  };
  QWidget* buildTab(int talker);

  App& m_app;
  QTabWidget* m_tabs = nullptr;
  std::array<TalkerTab, kTalkerCount> m_talkers;
};

}  // namespace tavrik
