#include "automation/ui/automation_ui.h"

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QToolBar>
#include <cmath>

#include "app/app.h"
#include "chart/ui/chart_menu.h"
#include "chart/ui/chart_window.h"
#include "chart_adaptor.h"
#include "core/ui/main_window.h"

namespace tavrik {

bool MainWindowHost::mainVisible() const { return m_window.isVisible(); }
void MainWindowHost::setMainVisible(bool visible) { m_window.setVisible(visible); }
QRect MainWindowHost::mainGeometry() const { return m_window.frameGeometry(); }

void MainWindowHost::setMainGeometry(const QRect& r) {
  m_window.move(r.topLeft());
  // The frame's own borders are not the client's to size.
  const QSize frame = m_window.frameGeometry().size() - m_window.size();
  m_window.resize((r.size() - frame).expandedTo(QSize(200, 150)));
}

int MainWindowHost::mainWindowState() const {
  if (m_window.isMinimized()) return 1;
  return m_window.isMaximized() ? 2 : 0;
}

void MainWindowHost::setMainWindowState(int state) {
  const Qt::WindowStates keep = m_window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  m_window.setWindowState(keep | (state == 1 ? Qt::WindowMinimized : state == 2 ? Qt::WindowMaximized : Qt::WindowNoState));
}

bool MainWindowHost::menusVisible() const {
  const QList<QAction*> menus = m_window.menuBar()->actions();
  return !menus.isEmpty() && menus.first()->isVisible();
}

void MainWindowHost::setMenusVisible(bool visible) {
  for (QAction* a : m_window.menuBar()->actions()) a->setVisible(visible);
}

bool MainWindowHost::statusBarVisible() const { return !m_window.statusBar()->isHidden(); }
void MainWindowHost::setStatusBarVisible(bool visible) { m_window.statusBar()->setVisible(visible); }
bool MainWindowHost::toolBarVisible() const { return m_window.toolBar() && !m_window.toolBar()->isHidden(); }

void MainWindowHost::setToolBarVisible(bool visible) {
  m_window.app().settings.Toolbar = visible;
  if (m_window.toolBar()) m_window.toolBar()->setVisible(visible);
}

void MainWindowHost::stayOnTop() {
  m_window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // Changing a window flag hides the window; it comes back where it was.
  if (!m_window.isVisible()) m_window.show();
  m_window.raise();
}

bool MainWindowHost::toggleNightScreen() {
  tavrik::toggleNightScreen(m_window);
  return true;
}

bool MainWindowHost::openWindow(const QString& objectName) {
  if (!m_window.app().windows.has(objectName)) return false;
  return m_window.openWindow(objectName) != nullptr;
}

void MainWindowHost::closeWindow(const QString& objectName) {
  if (QWidget* w = m_window.findWindow(objectName)) w->close();
}

int MainWindowHost::chartZoomPercent() const {
  auto* chart = qobject_cast<ChartWindow*>(m_window.findWindow(QStringLiteral("gpschart")));
  if (!chart || !chart->hasChart()) return 0;
  return static_cast<int>(std::lround(chart->zoom() * 100));
}

void MainWindowHost::closeProgram() {
  // Queued, so the client has its answer before the program ends.
  QTimer::singleShot(0, &m_window, [this] {
    m_window.close();
    QApplication::quit();
  });
}

void DesktopApplication::Activate(const QVariantMap&) {
  if (activate) activate();
}

void DesktopApplication::Open(const QStringList& uris, const QVariantMap&) {
  if (activate) activate();
  for (const QString& uri : uris) {
    const QUrl url(uri);
    // Only local files: a remote URI is not the launcher's to hand to a chart reader.
    const QString path = url.isLocalFile() ? url.toLocalFile() : (url.scheme().isEmpty() ? uri : QString());
    if (!path.isEmpty() && openFile) openFile(path);
  }
}

void DesktopApplication::ActivateAction(const QString&, const QVariantList&, const QVariantMap&) {
  if (activate) activate();
}

DesktopApplication* installDesktopApplication(MainWindow& window) {
  auto* desktop = new DesktopApplication(&window);
  desktop->activate = [&window] {
    if (window.isMinimized()) window.showNormal();
    else window.show();
    window.raise();
    window.activateWindow();
  };
  QDBusConnection::sessionBus().registerObject(QStringLiteral("/org/tavrik/Tavrik"), desktop,
                                               QDBusConnection::ExportScriptableSlots);
  return desktop;
}

ChartObject* installAutomation(App& app, MainWindow& window, bool automationMode, QString* why) {
  auto* host = new MainWindowHost(window);
  auto* chart = new ChartObject(app, *host, &window);
  QObject::connect(chart, &QObject::destroyed, [host] { delete host; });
  new ChartAdaptor(chart);
  if (!chart->registerOn(QDBusConnection::sessionBus(), why)) {
    delete chart;
    return nullptr;
  }
  if (automationMode) chart->startAutomationSession();
  // The hidden window's timer of the automation server.
  auto* timer = new QTimer(chart);
  timer->setObjectName(QStringLiteral("automationtimer"));
  QObject::connect(timer, &QTimer::timeout, chart, &ChartObject::tick);
  timer->start(100);
  return chart;
}

}  // namespace tavrik
