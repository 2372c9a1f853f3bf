#include "chart/ui/chart_menu.h"

#include <QAction>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenu>

#include "app/app.h"
#include "chart/ui/chart_info_window.h"
#include "chart/ui/chart_window.h"
#include "chart/ui/color_window.h"
#include "chart/ui/zoom_window.h"
#include "core/messages.h"
#include "core/ui/main_window.h"

namespace tavrik {

void registerChartWindows(App& app) {
  app.windows.add(QStringLiteral("gpschart"), [](App& a) { return new ChartWindow(a); });
  app.windows.add(QStringLiteral("gpszoom"), [](App& a) { return new ZoomWindow(a); });
  app.windows.add(QStringLiteral("gpscolor"), [](App& a) { return new ColorWindow(a); });
  app.windows.add(QStringLiteral("gpschartinfo"), [](App& a) { return new ChartInfoWindow(a); });
}

ChartWindow* findChartWindow(MainWindow& window) {
  return qobject_cast<ChartWindow*>(window.findWindow(QStringLiteral("gpschart")));
}

ChartWindow* openChartWindow(MainWindow& window) {
  return qobject_cast<ChartWindow*>(window.openWindow(QStringLiteral("gpschart")));
}

namespace {
QWidget* frameOf(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()) ? w->parentWidget() : w; }
}  // namespace

ChartMenu::ChartMenu(App& app, MainWindow& window) : QObject(&window), m_app(app), m_window(window) {
  m_menu = window.ensureMenu(QStringLiteral("m_chart"), QStringLiteral("&Chart"));
  auto add = [this](const char* name, const QString& text, auto&& run) {
    QAction* a = m_menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, run);
    return a;
  };
  add("ch_open", QStringLiteral("&Open chart file..."), [this] {
    const QString file = QFileDialog::getOpenFileName(
        &m_window, QStringLiteral("Open chart"), m_app.settings.ChartDir,
        QStringLiteral("Charts (*.kap *.KAP *.bmp *.BMP *.jpg *.JPG *.gif *.GIF *.png *.PNG *.tif *.TIF *.dib *.rle);;"
                       "All files (*)"));
    if (!file.isEmpty()) openChartFile(file);
  });
  m_show = add("ch_window", QStringLiteral("Chart &window"), [this] {
    ChartWindow* c = findChartWindow(m_window);
    if (!c) openChartWindow(m_window);
    else frameOf(c)->setVisible(!frameOf(c)->isVisible());
    refresh();
  });
  m_show->setCheckable(true);
  m_menu->addSeparator();
  add("ch_zoom", QStringLiteral("&Zoom..."), [this] { m_window.openWindow(QStringLiteral("gpszoom")); });
  add("ch_refresh", QStringLiteral("&Refresh"), [this] { m_app.requests.redrawAll = true; });
  add("ch_position", QStringLiteral("&Centre on position"), [this] { m_app.requests.centreOnPosition = true; });
  add("ch_search", QStringLiteral("&Search chart"), [this] { m_app.requests.searchChart = true; });
  m_menu->addSeparator();
  m_rulers = add("ch_rulers", QStringLiteral("R&ulers"), [this] {
    m_app.settings.Rulers = !m_app.settings.Rulers;
    m_app.requests.redrawAll = true;
  });
  m_crosshairs = add("ch_crosshairs", QStringLiteral("Cross&hairs"), [this] {
    m_app.settings.Crosshairs = !m_app.settings.Crosshairs;
    m_app.requests.redrawAll = true;
  });
  m_circles = add("ch_circles", QStringLiteral("Range &circles"), [this] {
    m_app.settings.ChartCircles = !m_app.settings.ChartCircles;
    m_app.requests.redrawOverlays = true;
  });
  for (QAction* a : {m_rulers, m_crosshairs, m_circles}) a->setCheckable(true);
  add("ch_colors", QStringLiteral("C&olors..."), [this] { m_window.openWindow(QStringLiteral("gpscolor")); });
  m_info = add("ch_info", QStringLiteral("Chart &information..."), [this] {
    ChartWindow* c = findChartWindow(m_window);
    if (!c || !c->chart()) {
      m_app.prompter.information(MessageText(Msg::NoChartLoaded));
      return;
    }
    const QString title = c->chart()->description, text = c->chart()->information;
    if (auto* info = qobject_cast<ChartInfoWindow*>(m_window.openWindow(QStringLiteral("gpschartinfo"))))
      info->setInformation(title, text);
  });
  connect(m_menu, &QMenu::aboutToShow, this, [this] { refresh(); });
  refresh();
}

void ChartMenu::refresh() {
  ChartWindow* c = findChartWindow(m_window);
  m_show->setChecked(c && frameOf(c)->isVisible());
  m_rulers->setChecked(m_app.settings.Rulers);
  m_crosshairs->setChecked(m_app.settings.Crosshairs);
  m_circles->setChecked(m_app.settings.ChartCircles);
}

bool ChartMenu::openChartFile(const QString& path) {
  ChartWindow* c = openChartWindow(m_window);
  if (!c) return false;
  return c->loadChartFile(path);
}

}  // namespace tavrik
