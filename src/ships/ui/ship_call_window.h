#pragma once
// Calling a ship picked in the chooser "Call ships" (`gpscship`): the call window
// (`gpscall`) shows the call's progress in its label `status` and cancels it. The call
// itself is the App's `ships.call`, ticked by the main cycle.

#include <QWidget>

class QLabel;
class QPushButton;

namespace tavrik {

class App;

class ShipCallWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ShipCallWindow(App& app, QWidget* parent = nullptr);
  ~ShipCallWindow() override;
  // Fills the labels `sname` and `telephone` and starts the call.
  void call(const QString& shipName, const QString& telephone);
  // Cancel while the call runs, Close once it has ended.
  void cancelOrClose();

 private:
  void showProgress();
  void callEnded();

  App& m_app;
  QLabel *m_name = nullptr, *m_telephone = nullptr, *m_status = nullptr;
  QPushButton* m_cancel = nullptr;
};


}  // namespace tavrik
