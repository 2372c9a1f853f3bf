#include "nmea/ui/gps_status_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "app/app.h"
#include "core/number_format.h"
#include "nmea/ui/refresh_timer.h"

namespace tavrik {

QString gpsFixText(const NavigationState& nav) {
  const bool known = nav.FixType >= 1 && nav.FixType <= 3;
  QString mode;
  if (nav.FixMode == QLatin1String("M")) mode = QStringLiteral("Manual ");
  else if (nav.FixMode == QLatin1String("A")) mode = QStringLiteral("Automatic ");
  if (!known && mode.isEmpty()) return QStringLiteral("No information");
  if (nav.FixType == 1) return mode + QStringLiteral("No fix");
  if (nav.FixType == 2) return mode + QStringLiteral("2D");
  if (nav.FixType == 3) return mode + QStringLiteral("3D");
  return mode.trimmed();
}

std::vector<SatelliteRecord> satellitesInView(const NavigationState& nav) {
  std::vector<SatelliteRecord> out;
  for (const SatelliteRecord& s : nav.Satellites)
    if (s.Prn != 0) out.push_back(s);
  return out;
}

namespace {
QColor signalColour(int snr) {
  if (snr < 1) return QColor(150, 150, 150);
  if (snr < 20) return QColor(220, 60, 40);
  if (snr < 35) return QColor(230, 170, 30);
  return QColor(40, 160, 60);
}
}  // namespace

SkyPlot::SkyPlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("skyplot"));
  setMinimumSize(180, 180);
}

void SkyPlot::setSatellites(std::vector<SatelliteRecord> sats) {
  m_sats = std::move(sats);
  update();
}

void SkyPlot::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), palette().base());
  // Room outside the horizon ring for the compass letters, clear of low satellites.
  const double r = std::min(width(), height()) / 2.0 - 24;
  const QPointF c(width() / 2.0, height() / 2.0);
  p.setPen(QPen(palette().mid().color(), 1));
  for (int e : {0, 30, 60}) p.drawEllipse(c, r * (90 - e) / 90.0, r * (90 - e) / 90.0);
  p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
  p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
  p.setPen(palette().text().color());
  const QFontMetrics fm(font());
  const auto label = [&](const char* t, double dx, double dy) {
    const QString s = QLatin1String(t);
    p.drawText(QPointF(c.x() + dx - fm.horizontalAdvance(s) / 2.0, c.y() + dy + fm.ascent() / 2.0 - 1), s);
  };
  label("N", 0, -r - 16);
  label("S", 0, r + 16);
  label("E", r + 16, 0);
  label("W", -r - 16, 0);
  for (const SatelliteRecord& s : m_sats) {
    const double elev = std::clamp<double>(s.Elevation, 0, 90);
    const double dist = r * (90 - elev) / 90.0;
    const double az = s.Azimuth * M_PI / 180.0;
    const QPointF at(c.x() + dist * std::sin(az), c.y() - dist * std::cos(az));
    const QColor col = signalColour(s.Snr);
    p.setPen(QPen(col.darker(130), 1.5));
    p.setBrush(s.Snr < 1 ? Qt::NoBrush : QBrush(col));
    p.drawEllipse(at, 9, 9);
    p.setPen(s.Snr < 1 ? palette().text().color() : QColor(Qt::white));
    const QString prn = QString::number(s.Prn);
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 0.75);
    p.setFont(f);
    p.drawText(QRectF(at.x() - 9, at.y() - 9, 18, 18), Qt::AlignCenter, prn);
    p.setFont(font());
  }
}

SignalBars::SignalBars(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("signalbars"));
  setMinimumSize(200, 90);
}

void SignalBars::setSatellites(std::vector<SatelliteRecord> sats) {
  m_sats = std::move(sats);
  update();
}

void SignalBars::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QFontMetrics fm(font());
  const int labelH = fm.height() + 2;
  const double area = height() - labelH - 4;
  const int n = std::max<int>(12, static_cast<int>(m_sats.size()));
  const double slot = static_cast<double>(width()) / n;
  p.setPen(palette().mid().color());
  p.drawLine(0, height() - labelH, width(), height() - labelH);
  for (size_t i = 0; i < m_sats.size(); ++i) {
    const SatelliteRecord& s = m_sats[i];
    const double h = area * std::clamp<double>(s.Snr, 0, 50) / 50.0;
    const QRectF bar(i * slot + slot * 0.15, height() - labelH - h, slot * 0.7, h);
    p.fillRect(bar, signalColour(s.Snr));
    if (s.Snr < 1) {
      p.setPen(QPen(signalColour(0), 1, Qt::DashLine));
      p.drawRect(QRectF(bar.left(), height() - labelH - 6, bar.width(), 6));
    }
    p.setPen(palette().text().color());
    p.drawText(QRectF(i * slot, height() - labelH, slot, labelH), Qt::AlignCenter, QString::number(s.Prn));
  }
}

GpsStatusWindow::GpsStatusWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsstatus"));
  setWindowTitle(QStringLiteral("GPS status"));
  auto* form = new QFormLayout;
  const auto value = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setMinimumWidth(110);
    return l;
  };
  m_fix = value("fix");
  m_pdop = value("pdop");
  m_hdop = value("hdop");
  m_vdop = value("vdop");
  m_inView = value("inview");
  form->addRow(QStringLiteral("Fix"), m_fix);
  form->addRow(QStringLiteral("PDOP"), m_pdop);
  form->addRow(QStringLiteral("HDOP"), m_hdop);
  form->addRow(QStringLiteral("VDOP"), m_vdop);
  form->addRow(QStringLiteral("Satellites"), m_inView);
  m_sky = new SkyPlot(this);
  m_bars = new SignalBars(this);
  auto* upper = new QHBoxLayout;
  upper->addLayout(form);
  upper->addWidget(m_sky, 1);
  auto* v = new QVBoxLayout(this);
  v->addLayout(upper, 1);
  v->addWidget(m_bars);
  m_timer = startRefreshTimer(this);
}

void GpsStatusWindow::refresh() {
  const NavigationState& nav = m_app.nav;
  m_fix->setText(gpsFixText(nav));
  m_pdop->setText(formatNumber(nav.Pdop, u"#0.0"));
  m_hdop->setText(formatNumber(nav.Hdop, u"#0.0"));
  m_vdop->setText(formatNumber(nav.Vdop, u"#0.0"));
  const std::vector<SatelliteRecord> sats = satellitesInView(nav);
  int tracked = 0;
  for (const SatelliteRecord& s : sats) tracked += s.Snr >= 1 ? 1 : 0;
  m_inView->setText(QStringLiteral("%1 in view, %2 tracked").arg(nav.SatellitesInView).arg(tracked));
  m_sky->setSatellites(sats);
  m_bars->setSatellites(sats);
}

}  // namespace tavrik
