#pragma once
// Go-to set-up (`gpscauto`): arrival alarm and its distance, the automatic turn and its
// distance, the autopilot with its talker and the sentences it gets.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tavrik {

class App;

class GotoSetupWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GotoSetupWindow(App& app, QWidget* parent = nullptr);
  // OK: a distance that is no number counts as 0; distances are entered in the user's
  // unit and kept in nautical miles.
  void accept();

 private:
  App& m_app;
  QCheckBox *m_alarm, *m_automatic, *m_autopilot, *m_aam, *m_apa, *m_apb, *m_bwc, *m_bod, *m_vtg, *m_xte;
  QLineEdit *m_alarmDist, *m_turnDist;
  QComboBox* m_talker;
};

}  // namespace tavrik
