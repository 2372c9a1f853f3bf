#pragma once
// `gpscolor`: the colours and pen widths of the overlays (sections "Colors" and
// "Width"). OK stores them and redraws the chart.

#include <QWidget>
#include <array>

#include "core/app_settings.h"

class QPushButton;
class QSpinBox;

namespace tavrik {

class App;

class ColorWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ColorWindow(App& app, QWidget* parent = nullptr);
  // The values shown (tests set them without the colour picker).
  void setStyle(Overlay o, OverlayStyle s);
  OverlayStyle style(Overlay o) const { return m_styles[static_cast<int>(o)]; }
  void accept();

 private:
  void showSwatch(int i);
  App& m_app;
  std::array<OverlayStyle, kOverlayCount> m_styles;
  std::array<QPushButton*, kOverlayCount> m_buttons{};
  std::array<QSpinBox*, kOverlayCount> m_widths{};
};

}  // namespace tavrik
