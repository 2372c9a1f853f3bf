#include "chart/ui/color_window.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "app/app.h"
#include "chart/overlay_renderer.h"

namespace tavrik {

namespace {
const char* const kLabels[kOverlayCount] = {"Waypoints", "Routes", "Current track", "Drawn track", "Drawn fix",
                                            "Proximity", "Position", "Range circles", "Radar"};
}

ColorWindow::ColorWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app), m_styles(app.settings.Styles) {
  setObjectName(QStringLiteral("gpscolor"));
  setWindowTitle(QStringLiteral("Colors"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Colour"), this), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Width"), this), 0, 2);
  for (int i = 0; i < kOverlayCount; ++i) {
    grid->addWidget(new QLabel(QLatin1String(kLabels[i]), this), i + 1, 0);
    auto* b = new QPushButton(this);
    b->setObjectName(QStringLiteral("color_") + QLatin1String(kOverlayKeys[i]));
    b->setMinimumWidth(70);
    m_buttons[i] = b;
    auto* w = new QSpinBox(this);
    w->setObjectName(QStringLiteral("width_") + QLatin1String(kOverlayKeys[i]));
    w->setRange(1, 10);
    w->setValue(std::clamp(m_styles[i].width, 1, 10));
    m_widths[i] = w;
    grid->addWidget(b, i + 1, 1);
    grid->addWidget(w, i + 1, 2);
    connect(b, &QPushButton::clicked, this, [this, i] {
      const QColor c = QColorDialog::getColor(SettingColor(m_styles[i].color), this, QLatin1String(kLabels[i]));
      if (!c.isValid()) return;
      m_styles[i].color = ColorSetting(c);
      showSwatch(i);
    });
    connect(w, &QSpinBox::valueChanged, this, [this, i](int v) { m_styles[i].width = v; });
    showSwatch(i);
  }
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("Command1"));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("Command2"));
  grid->addWidget(ok, kOverlayCount + 1, 1);
  grid->addWidget(cancel, kOverlayCount + 1, 2);
  connect(ok, &QPushButton::clicked, this, [this] { accept(); });
  connect(cancel, &QPushButton::clicked, this, [this] { close(); });
}

void ColorWindow::showSwatch(int i) {
  const QColor c = SettingColor(m_styles[i].color);
  m_buttons[i]->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #444; border-radius: 2px; }").arg(c.name()));
}

void ColorWindow::setStyle(Overlay o, OverlayStyle s) {
  const int i = static_cast<int>(o);
  m_styles[i] = s;
  m_widths[i]->setValue(std::clamp(s.width, 1, 10));
  showSwatch(i);
}

void ColorWindow::accept() {
  m_app.settings.Styles = m_styles;
  // Kept in the settings file at once, as the old dialog wrote its values on OK.
  for (int i = 0; i < kOverlayCount; ++i) {
    m_app.ini.setInt("Colors", kOverlayKeys[i], m_styles[i].color);
    m_app.ini.setInt("Width", kOverlayKeys[i], m_styles[i].width);
  }
  m_app.requests.redrawAll = true;
  close();
}

}  // namespace tavrik
