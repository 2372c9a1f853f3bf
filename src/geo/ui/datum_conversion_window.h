#pragma once
// The datum conversion window `gpsdconv`: a position (`Position1`, `height1`) in one
// datum (`datum1`) converted to another (`datum2`), shown in `Position2` and `height2`.

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace tavrik {

class App;
class PositionControl;

class DatumConversionWindow : public QWidget {
  Q_OBJECT
 public:
  explicit DatumConversionWindow(App& app, QWidget* parent = nullptr);
  // Converts the entered position and shows the result.
  void convert();

 private:
  void fillDatums(QComboBox* box, int select);

  App& m_app;
  QComboBox* m_datum1 = nullptr;
  QComboBox* m_datum2 = nullptr;
  PositionControl* m_position1 = nullptr;
  PositionControl* m_position2 = nullptr;
  QLineEdit* m_height1 = nullptr;
  QLineEdit* m_height2 = nullptr;
};

}  // namespace tavrik
