#pragma once
// The chart information window: what a chart file or the chart shown says about
// itself (name, scale, datum, projection, edition, size, reference points).

#include <QWidget>

class QPlainTextEdit;

namespace tavrik {

class App;

class ChartInfoWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ChartInfoWindow(App& app, QWidget* parent = nullptr);
  void setInformation(const QString& title, const QString& text);
  QString text() const;

 private:
  QPlainTextEdit* m_text = nullptr;
};

}  // namespace tavrik
