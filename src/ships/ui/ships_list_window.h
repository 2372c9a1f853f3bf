#pragma once
// "Ships from current position" (`gpssshow`): a read-only grid built when it opens.

#include <QWidget>

class QTableWidget;

namespace tavrik {

class App;

class ShipsListWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ShipsListWindow(App& app, QWidget* parent = nullptr);
  QTableWidget* grid() const { return m_grid; }

 private:
  QTableWidget* m_grid = nullptr;
};

}  // namespace tavrik
