#pragma once
// GPS status (`gpsstatus`): fix mode and type, the dilutions of precision, a sky plot
// of the satellites in view and their signal strengths, refreshed by its own timer.

#include <QWidget>
#include <vector>

#include "core/navigation_state.h"

class QLabel;
class QTimer;

namespace tavrik {

class App;

// "No information", or "Manual "/"Automatic " followed by "2D", "3D" or "No fix".
QString gpsFixText(const NavigationState& nav);

// The satellites worth drawing: slots with a PRN.
std::vector<SatelliteRecord> satellitesInView(const NavigationState& nav);

// Azimuth around, elevation inwards (90° in the centre, the horizon on the rim);
// untracked satellites (SNR below 1) hollow.
class SkyPlot : public QWidget {
  Q_OBJECT
 public:
  explicit SkyPlot(QWidget* parent = nullptr);
  void setSatellites(std::vector<SatelliteRecord> sats);
  QSize sizeHint() const override { return {220, 220}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<SatelliteRecord> m_sats;
};

// One bar per satellite, height by SNR (0..50 dB), labelled with its PRN.
class SignalBars : public QWidget {
  Q_OBJECT
 public:
  explicit SignalBars(QWidget* parent = nullptr);
  void setSatellites(std::vector<SatelliteRecord> sats);
  QSize sizeHint() const override { return {300, 110}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  std::vector<SatelliteRecord> m_sats;
};

class GpsStatusWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GpsStatusWindow(App& app, QWidget* parent = nullptr);
  void refresh();

 private:
  App& m_app;
  QLabel *m_fix = nullptr, *m_pdop = nullptr, *m_hdop = nullptr, *m_vdop = nullptr, *m_inView = nullptr;
  SkyPlot* m_sky = nullptr;
  SignalBars* m_bars = nullptr;
  QTimer* m_timer = nullptr;
};

}  // namespace tavrik
