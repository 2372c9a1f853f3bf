#pragma once
// The calibration tool `gpscalib`: an image at actual size on which the user marks two
// (Mercator) or three points and the margins, gives their positions and the chart's
// texts, and saves a `Charts` row. An image calibrated before comes back with its values.

#include <QImage>
#include <QPoint>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;
class QStackedWidget;
class QTabBar;

namespace tavrik {

class App;
class PositionControl;

class CalibrationWindow : public QWidget {
 public:
  explicit CalibrationWindow(App& app, QWidget* parent = nullptr);
  // Loads an image (Qt's readers); false with a message when it cannot be read.
  bool load(const QString& path);
  // A click on the image at an image pixel, as chart_Click with the last mouse position.
  void markAt(QPoint pixel);
  void setTab(int index);  // 0..2 points, 3 margins
  void setMarginOption(int option);  // 0 top, 1 bottom, 2 left, 3 right
  PositionControl* position(int i) const { return m_positions[i]; }
  // Checks, asks and stores; the form is cleared after a save. False when not saved.
  bool save();
  QString imageFile() const { return m_file; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void pointerAt(QPoint pixel);
  void clear();
  void updateMarks();
  App& m_app;
  QString m_file;
  QImage m_image;
  QPoint m_last;  // image pixel of the last mouse position
  QScrollArea* m_scroll;
  QLabel* m_chart;
  QLabel* m_glas;
  QTabBar* m_tabs;
  QStackedWidget* m_pages;
  QLabel* m_x[3];
  QLabel* m_y[3];
  PositionControl* m_positions[3];
  QComboBox* m_wplists[3];
  QRadioButton* m_options[4];
  QLabel* m_margins[4];  // t_marge, b_marge, l_marge, r_marge (chart units)
  QCheckBox* m_mercator;
  QComboBox* m_datum;
  QLineEdit* m_desc;
  QLineEdit* m_scale;
  QLineEdit* m_depth;
  QLineEdit* m_date;
};

}  // namespace tavrik
