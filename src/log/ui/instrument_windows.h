#pragma once
// Windows the crew glance at: the instruments `gpsinstr` with the trip values, the
// wind display `gpsswind` with its drawing, the wind calculator `gpswind` and the
// deviation table `gpsdev`.

#include <QWidget>
#include <array>
#include <map>

#include "log/wind.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QTimer;

namespace tavrik {

class App;

void registerInstrumentWindows(App& app);

class InstrumentsWindow : public QWidget {
  Q_OBJECT
 public:
  explicit InstrumentsWindow(App& app, QWidget* parent = nullptr);
  // Timer1 (1000 ms): every value from NavigationState, the trip values.
  void refresh();
  QString value(const QString& name) const;

 private:
  App& m_app;
  std::map<QString, QLabel*> m_values;
  QRadioButton *m_relative = nullptr, *m_absolute = nullptr;
};

// The wind rose: the boat's heading up, the received and the true wind as arrows.
class WindRose : public QWidget {
 public:
  using QWidget::QWidget;
  void setWinds(float headingDeg, WindVector received, WindVector trueWind);
  QSize sizeHint() const override { return {220, 220}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  float m_heading = 0;
  WindVector m_received, m_true;
};

class WindDisplayWindow : public QWidget {
  Q_OBJECT
 public:
  explicit WindDisplayWindow(App& app, QWidget* parent = nullptr);
  void refresh();
  QString value(const QString& name) const;

 private:
  App& m_app;
  WindRose* m_rose = nullptr;
  std::map<QString, QLabel*> m_values;
};

class WindCalculatorWindow : public QWidget {
  Q_OBJECT
 public:
  explicit WindCalculatorWindow(App& app, QWidget* parent = nullptr);
  void toApparent();  // "&Apparent"
  void toTrue();      // "&True"

 private:
  QLineEdit* box(const char* name) const;
  App& m_app;
  std::map<QString, QLineEdit*> m_boxes;
  QLabel *m_forceTrue = nullptr, *m_forceApparent = nullptr;
};

class DeviationWindow : public QWidget {
  Q_OBJECT
 public:
  explicit DeviationWindow(App& app, QWidget* parent = nullptr);
  // OK: false (focus on the refused box) when an entry is out of range.
  bool accept();
  QLineEdit* entry(int i) const { return m_boxes.at(static_cast<size_t>(i)); }

 private:
  App& m_app;
  std::array<QLineEdit*, 16> m_boxes{};
};

}  // namespace tavrik
