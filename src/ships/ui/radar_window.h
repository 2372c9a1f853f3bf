#pragma once
// The radar window `gpsradar`: one target of the radar's table with its fields, the
// status as "Querying", "Tracking" or "Lost". Refreshed by its own one-second timer.

#include <QWidget>
#include <map>

class QComboBox;
class QLabel;
class QTimer;

namespace tavrik {

class App;

class RadarWindow : public QWidget {
  Q_OBJECT
 public:
  explicit RadarWindow(App& app, QWidget* parent = nullptr);
  // Re-reads the table: the target list and the selected target's fields.
  void refresh();
  QString fieldText(const QString& objectName) const;

 private:
  App& m_app;
  QComboBox* m_targets = nullptr;
  std::map<QString, QLabel*> m_fields;
  QTimer* m_timer = nullptr;
};

}  // namespace tavrik
