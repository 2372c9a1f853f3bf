#pragma once
// `gpszoom`, "Zoomfactor": pick a display factor in per cent; OK raises the zoom
// request that the chart window serves.

#include <QWidget>

class QLineEdit;
class QListWidget;

namespace tavrik {

class App;

class ZoomWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ZoomWindow(App& app, QWidget* parent = nullptr);
  int value() const;
  void setValue(int percent);
  void minus();
  void plus();
  // OK: stores the request and closes; 0 (or no number) says "No factor" and stays.
  bool accept();

 private:
  App& m_app;
  QListWidget* m_list = nullptr;
  QLineEdit* m_text = nullptr;
};

}  // namespace tavrik
