#include "core/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <vector>

#include "app/app.h"
#include "core/toolbar_layout.h"

namespace tavrik {

namespace {

// Closes a window's MDI frame when the window closes itself (OK, Cancel, Close):
// otherwise the empty frame stays, takes a slot in Tile and hides the chart.
class FrameCloser final : public QObject {
 public:
  FrameCloser(QWidget* window, QMdiSubWindow* frame, std::function<void(QPoint)> onFrameClosed)
      : QObject(window), m_window(window), m_frame(frame), m_onFrameClosed(std::move(onFrameClosed)) {
    window->installEventFilter(this);
    frame->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != m_window) {
      const auto* frame = qobject_cast<QMdiSubWindow*>(watched);
      if (frame && e->type() == QEvent::Close && m_onFrameClosed && !frame->isMaximized() && !frame->isMinimized())
        m_onFrameClosed(frame->pos());
      return false;
    }
    if (e->type() == QEvent::Close) {
      m_closing = true;
    } else if (e->type() == QEvent::Show) {
      m_closing = false;
    } else if (e->type() == QEvent::Hide && m_closing && m_frame && !m_frame->isMinimized() &&
               !m_frame->isShaded()) {
      // An accepted close hides the window right after its close event; a refused one
      // does not.
      m_closing = false;
      QMdiSubWindow* frame = m_frame;
      m_frame = nullptr;
      frame->close();
    }
    return false;
  }

 private:
  QWidget* m_window;
  QPointer<QMdiSubWindow> m_frame;
  std::function<void(QPoint)> m_onFrameClosed;
  bool m_closing = false;
};

}  // namespace

MainWindow::MainWindow(App& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
  setObjectName(QStringLiteral("gps"));
  setWindowTitle(QStringLiteral("Tavrik"));
  m_mdi = new QMdiArea(this);
  m_mdi->setObjectName(QStringLiteral("mdi"));
  m_mdi->setBackground(QColor(0x5a, 0x6e, 0x82));
  // A dialog opened over a maximised chart stays a dialog; closing one returns to the
  // window the user worked in before, not to the first window made.
  m_mdi->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
  m_mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  setCentralWidget(m_mdi);
  buildMenus();
  m_toolBar = addToolBar(QStringLiteral("Toolbar"));
  m_toolBar->setObjectName(QStringLiteral("Toolbar1"));
  m_toolBar->setMovable(false);
  m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  buildStatusBar();
  buildAlarmIndicators();
  buildTimers();
  addBuiltInCommands();
  m_app.windows.open = [this](const QString& name) { return openWindow(name); };
  m_app.alarmWindows.show = [this](const QString& name) { showWithoutActivating(name); };
  m_app.alarmWindows.flash = [this] { flashTitle(); };
  resize(1200, 800);
}

MainWindow::~MainWindow() {
  // Child windows go first, while the menus and timers they may reach still exist.
  stopTimers();
  // Closed ones too: they wait for a deferred delete that no event loop will run now.
  for (QMdiSubWindow* sub : m_mdi->findChildren<QMdiSubWindow*>()) delete sub;
  m_app.windows.open = nullptr;
  m_app.alarmWindows.show = nullptr;
  m_app.alarmWindows.flash = nullptr;
  m_app.alarms.stopAll();
}

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("m_file"));
  QAction* exit = file->addAction(QStringLiteral("E&xit"));
  exit->setObjectName(QStringLiteral("f_exit"));
  connect(exit, &QAction::triggered, this, [this] { close(); });

  // Man over board: one click from the menu bar, no menu to open first.
  QAction* mob = menuBar()->addAction(QStringLiteral("MOB"));
  mob->setObjectName(QStringLiteral("m_mob"));
  mob->setToolTip(QStringLiteral("Man overboard"));
  connect(mob, &QAction::triggered, this, [this] { openWindow(QStringLiteral("gpsmob")); });

  QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
  window->setObjectName(QStringLiteral("m_window"));
  QAction* cascade = window->addAction(QStringLiteral("&Cascade"));
  cascade->setObjectName(QStringLiteral("win_cascade"));
  connect(cascade, &QAction::triggered, this, [this] { cascadeWindows(); });
  QAction* tile = window->addAction(QStringLiteral("&Tile"));
  tile->setObjectName(QStringLiteral("win_tile"));
  connect(tile, &QAction::triggered, m_mdi, &QMdiArea::tileSubWindows);
  window->addSeparator();
  connect(window, &QMenu::aboutToShow, this, [this] { listWindowsIn(menu(QStringLiteral("m_window"))); });

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("m_help"));
  QAction* about = help->addAction(QStringLiteral("&About Tavrik..."));
  about->setObjectName(QStringLiteral("h_about"));
  connect(about, &QAction::triggered, this, [this] {
    QMessageBox::about(this, QStringLiteral("About Tavrik"),
                       QStringLiteral("Tavrik %1\nNavigation for small vessels.").arg(QApplication::applicationVersion()));
  });
}

QMenu* MainWindow::menu(const QString& objectName) const {
  return menuBar()->findChild<QMenu*>(objectName);
}

QMenu* MainWindow::ensureMenu(const QString& objectName, const QString& title) {
  if (QMenu* m = menu(objectName)) return m;
  auto* m = new QMenu(title, menuBar());
  m->setObjectName(objectName);
  // Menus go before "MOB", which stays next to the Window menu where a hand finds it.
  QAction* before = nullptr;
  for (QAction* a : menuBar()->actions())
    if (a->objectName() == QLatin1String("m_mob") || (a->menu() && a->menu()->objectName() == QLatin1String("m_window"))) {
      before = a;
      break;
    }
  if (before) menuBar()->insertMenu(before, m);
  else menuBar()->addMenu(m);
  return m;
}

void MainWindow::buildStatusBar() {
  for (int i = 0; i < kPanelCount; ++i) {
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(kPanelKeys[i]));
    label->setToolTip(QLatin1String(kPanelNames[i]));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(i == static_cast<int>(Panel::Position) ? 220 : 60);
    statusBar()->addWidget(label, i == static_cast<int>(Panel::Position) ? 2 : 1);
    m_panels[i] = label;
  }
  m_statusTimer = new QTimer(this);
  m_statusTimer->setInterval(250);
  connect(m_statusTimer, &QTimer::timeout, this, [this] { refreshStatusBar(); });
  m_statusTimer->start();
  refreshStatusBar();
}

void MainWindow::refreshStatusBar() {
  for (int i = 0; i < kPanelCount; ++i) {
    QString text = m_app.panels.text[i];
    // The receive path keeps this panel empty while nothing arrives (it fills an empty
    // one); the user still sees that input is awaited or lost.
    if (i == static_cast<int>(Panel::InputSource) && text.isEmpty() && m_app.receiver.isRunning())
      text = QStringLiteral("No data");
    if (m_panels[i]->text() != text) m_panels[i]->setText(text);
    const bool visible = m_app.settings.StatusbarVisible[i];
    if (m_panels[i]->isVisibleTo(statusBar()) != visible) m_panels[i]->setVisible(visible);
  }
}

void MainWindow::buildTimers() {
  const auto make = [this](const char* name, int intervalMs) {
    auto* t = new QTimer(this);
    t->setObjectName(QLatin1String(name));
    t->setInterval(intervalMs);
    return t;
  };
  m_timer1 = make("Timer1", 1000);
  m_rectimer = make("rectimer", 500);
  m_testtimer = make("testtimer", 1000);
  m_timer3 = make("Timer3", 60000);
  connect(m_timer1, &QTimer::timeout, this, [this] {
    m_app.cycle.tick();
    // Once a position has been received it is watched against the zones, with or
    // without a chart.
    if (!m_app.nav.FixTime.isNull()) m_app.zoneAlarm.checkzone(m_app.nav.Latitude, m_app.nav.Longitude);
    refreshStatusBar();
    refreshToolbarState();
  });
  connect(m_timer3, &QTimer::timeout, this, [this] { m_app.cycle.minuteTick(); });
  // Alarms flash and sound from whichever window raised them; this one timer drives
  // them all and puts the title back once none is left.
  m_alarmTimer = make("alarmtimer", 100);
  connect(m_alarmTimer, &QTimer::timeout, this, [this] {
    signalZoneAlarm();
    m_app.alarms.tick();
    if (!m_app.alarms.anySignalling() && m_titleFlashed) flashTitle();
  });
  m_alarmTimer->start();
}

QTimer* MainWindow::timer(const QString& objectName) const {
  for (QTimer* t : {m_timer1, m_rectimer, m_testtimer, m_timer3})
    if (t->objectName() == objectName) return t;
  return nullptr;
}

void MainWindow::startTimers() {
  m_timer1->start();
  m_timer3->start();
}

void MainWindow::stopTimers() {
  for (QTimer* t : {m_timer1, m_rectimer, m_testtimer, m_timer3, m_statusTimer, m_alarmTimer}) t->stop();
}

void MainWindow::addCommand(const QString& name, std::function<void()> run, std::function<bool()> checked) {
  m_commands[name] = Command{std::move(run), std::move(checked)};
}

bool MainWindow::runCommand(const QString& name) {
  const auto it = m_commands.find(name);
  if (it == m_commands.end() || !it->second.run) return false;
  it->second.run();
  refreshToolbarState();
  return true;
}

void MainWindow::addBuiltInCommands() {
  // Chart requests: served by the chart window's pump, so they only count once a
  // chart window exists (buttonAvailable checks that).
  addCommand(QStringLiteral("centre"), [this] { m_app.requests.centreOnPosition = true; });
  addCommand(QStringLiteral("refresh"), [this] { m_app.requests.redrawAll = true; });
  addCommand(QStringLiteral("search"), [this] { m_app.requests.searchChart = true; });
  addCommand(
      QStringLiteral("circles"),
      [this] {
        m_app.settings.ChartCircles = !m_app.settings.ChartCircles;
        m_app.requests.redrawOverlays = true;
      },
      [this] { return m_app.settings.ChartCircles; });
  addCommand(
      QStringLiteral("positioning"),
      [this] { m_app.settings.system.positioning = !m_app.settings.system.positioning; },
      [this] { return m_app.settings.system.positioning; });
  addCommand(
      QStringLiteral("chartwindow"),
      [this] {
        QWidget* chart = findWindow(QStringLiteral("gpschart"));
        if (!chart) {
          openWindow(QStringLiteral("gpschart"));
          return;
        }
        QWidget* frame = chart->parentWidget() ? chart->parentWidget() : chart;
        frame->setVisible(!frame->isVisible());
      },
      [this] {
        QWidget* chart = findWindow(QStringLiteral("gpschart"));
        return chart && (chart->parentWidget() ? chart->parentWidget()->isVisible() : chart->isVisible());
      });
  addCommand(QStringLiteral("ships"), [this] { m_app.requests.shipsChanged = true; });
  // The log chooser in "Show" mode; it opens the log list itself once a log is chosen.
  addCommand(QStringLiteral("showlog"), [this] {
    if (QWidget* w = openWindow(QStringLiteral("gpspllog"))) w->setProperty("mode", QStringLiteral("Show"));
  });
}

bool MainWindow::buttonAvailable(int number) const {
  const ToolbarButton* b = toolbarButton(number);
  if (!b) return false;
  if (b->window) return m_app.windows.has(QLatin1String(b->window));
  const QString command = QLatin1String(b->command);
  if (!hasCommand(command)) return false;
  // Commands that only raise a request need the window that serves it.
  static const std::map<QString, QString> kServedBy = {
      {QStringLiteral("centre"), QStringLiteral("gpschart")},   {QStringLiteral("refresh"), QStringLiteral("gpschart")},
      {QStringLiteral("search"), QStringLiteral("gpschart")},   {QStringLiteral("circles"), QStringLiteral("gpschart")},
      {QStringLiteral("positioning"), QStringLiteral("gpschart")}, {QStringLiteral("chartwindow"), QStringLiteral("gpschart")},
      {QStringLiteral("ships"), QStringLiteral("gpscship")},    {QStringLiteral("showlog"), QStringLiteral("gpspllog")},
  };
  const auto it = kServedBy.find(command);
  return it == kServedBy.end() || m_app.windows.has(it->second);
}

void MainWindow::clickButton(int number) {
  const ToolbarButton* b = toolbarButton(number);
  if (!b) return;
  if (b->window) openWindow(QLatin1String(b->window));
  else runCommand(QLatin1String(b->command));
  refreshToolbarState();
}

void MainWindow::rebuildToolbar() {
  m_toolBar->clear();
  for (QWidget* w : m_toolBar->findChildren<QWidget*>(QStringLiteral("chartlist"), Qt::FindDirectChildrenOnly))
    w->deleteLater();
  const std::vector<int> layout = visibleToolbarLayout(
      effectiveToolbarLayout(m_app.settings.ToolbarLayout), [this](int n) { return buttonAvailable(n); },
      static_cast<bool>(chartListFactory));
  for (int v : layout) {
    if (v == kToolbarSeparator) {
      m_toolBar->addSeparator();
    } else if (v == kToolbarChartList) {
      QWidget* list = chartListFactory(m_toolBar);
      if (!list) continue;
      list->setObjectName(QStringLiteral("chartlist"));
      m_toolBar->addWidget(list);
    } else {
      const ToolbarButton* b = toolbarButton(v);
      QAction* a = m_toolBar->addAction(QLatin1String(b->label));
      a->setObjectName(QLatin1String(b->key));
      a->setToolTip(QLatin1String(b->toolTip));
      const auto it = b->command ? m_commands.find(QLatin1String(b->command)) : m_commands.end();
      a->setCheckable(it != m_commands.end() && static_cast<bool>(it->second.checked));
      connect(a, &QAction::triggered, this, [this, v] { clickButton(v); });
    }
  }
  m_toolBar->setVisible(m_app.settings.Toolbar && !layout.empty());
  refreshToolbarState();
}

void MainWindow::refreshToolbarState() {
  for (QAction* a : m_toolBar->actions()) {
    if (!a->isCheckable()) continue;
    for (const ToolbarButton& b : toolbarButtons()) {
      if (a->objectName() != QLatin1String(b.key) || !b.command) continue;
      const auto it = m_commands.find(QLatin1String(b.command));
      if (it != m_commands.end() && it->second.checked) {
        const bool on = it->second.checked();
        if (a->isChecked() != on) a->setChecked(on);
      }
    }
  }
}

void MainWindow::listWindowsIn(QMenu* windowMenu) {
  if (!windowMenu) return;
  for (QAction* a : windowMenu->actions())
    if (a->property("windowEntry").toBool()) {
      windowMenu->removeAction(a);
      a->deleteLater();
    }
  int n = 0;
  for (QMdiSubWindow* sub : m_mdi->subWindowList()) {
    if (!sub->widget()) continue;
    ++n;
    const QString title = sub->windowTitle().isEmpty() ? sub->widget()->objectName() : sub->windowTitle();
    QAction* a = windowMenu->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title) : title);
    a->setObjectName(QStringLiteral("win_") + sub->widget()->objectName());
    a->setProperty("windowEntry", true);
    a->setCheckable(true);
    a->setChecked(sub == m_mdi->activeSubWindow());
    QPointer<QMdiSubWindow> guard(sub);
    connect(a, &QAction::triggered, this, [this, guard] {
      if (!guard) return;
      if (guard->isMinimized() || !guard->isVisible()) guard->showNormal();
      m_mdi->setActiveSubWindow(guard);
    });
  }
}

void MainWindow::cascadeWindows() {
  // The chart fills the area behind; the other windows step down over it at their
  // own size, so that each title bar stays at hand.
  const QSize area = m_mdi->viewport()->size();
  QMdiSubWindow* chart = nullptr;
  std::vector<QMdiSubWindow*> others;
  for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
    if (!sub->isVisible() || !sub->widget()) continue;
    if (sub->widget()->objectName() == QLatin1String("gpschart")) chart = sub;
    else others.push_back(sub);
  }
  if (chart) {
    if (chart->isMaximized() || chart->isMinimized()) chart->showNormal();
    chart->setGeometry(QRect(QPoint(0, 0), area));
  }
  const int step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 6;
  QPoint at(step, step);
  for (QMdiSubWindow* sub : others) {
    if (sub->isMaximized() || sub->isMinimized()) sub->showNormal();
    const QSize size = sub->size().boundedTo(area);
    if (at.x() + size.width() > area.width() || at.y() + size.height() > area.height()) at = QPoint(step, step);
    sub->setGeometry(QRect(at, size));
    sub->raise();
    at += QPoint(step, step);
  }
  if (!others.empty()) m_mdi->setActiveSubWindow(others.back());
}

void MainWindow::placeFrame(QMdiSubWindow* frame, const QString& objectName) {
  // Where the window was last closed; else just below and right of the window it was
  // opened from (the active one); else the top-left corner.
  const QSize area = m_mdi->viewport()->size();
  frame->adjustSize();
  const QSize size = frame->size().boundedTo(area);
  QPoint at(0, 0);
  const auto it = m_lastPlace.find(objectName);
  QMdiSubWindow* parent = m_mdi->activeSubWindow();
  if (it != m_lastPlace.end()) at = it->second;
  else if (parent && parent != frame && parent->isVisible() && !parent->isMaximized() && !parent->isMinimized())
    at = parent->pos() + QPoint(32, 32);
  else at = QPoint(16, 16);
  at.setX(std::clamp(at.x(), 0, std::max(0, area.width() - size.width())));
  at.setY(std::clamp(at.y(), 0, std::max(0, area.height() - size.height())));
  frame->setGeometry(QRect(at, size));
}

QWidget* MainWindow::findWindow(const QString& objectName) const {
  for (QMdiSubWindow* sub : m_mdi->subWindowList())
    if (sub->widget() && sub->widget()->objectName() == objectName) return sub->widget();
  return nullptr;
}

void MainWindow::buildAlarmIndicators() {
  const auto make = [this](const char* name) {
    auto* b = new QToolButton(this);
    b->setObjectName(QLatin1String(name));
    b->setAutoRaise(true);
    b->setToolTip(QStringLiteral("Zone or proximity alarm: click (or Esc over the chart) to acknowledge"));
    b->setStyleSheet(QStringLiteral("QToolButton { background: #d01010; color: white; font-weight: bold; padding: 1px 6px; }"));
    b->setVisible(false);
    connect(b, &QToolButton::clicked, this, [this] {
      m_app.zoneAlarm.acknowledge();
      signalZoneAlarm();
    });
    return b;
  };
  m_alarmIndicators[0] = make("p_alarm");
  statusBar()->addPermanentWidget(m_alarmIndicators[0]);
  m_alarmIndicators[1] = make("p_alarm2");
  menuBar()->setCornerWidget(m_alarmIndicators[1], Qt::TopRightCorner);
}

void MainWindow::signalZoneAlarm() {
  const ZoneAlarm& zone = m_app.zoneAlarm;
  const bool on = zone.alarmShowing();
  const QString text = zone.insideName().isEmpty() ? QStringLiteral("ALARM")
                                                    : QStringLiteral("ALARM: ") + zone.insideName();
  for (QWidget* w : m_alarmIndicators) {
    auto* b = static_cast<QToolButton*>(w);
    if (on && b->text() != text) b->setText(text);
    if (b->isVisibleTo(b->parentWidget()) != on) b->setVisible(on);
  }
  // The main window is the zone alarm's own window; it flashes every 100 ms.
  if (on) m_app.alarms.SignalAlarm(objectName(), m_app.settings.SoundProximity, {100, 5000});
  else m_app.alarms.stop(objectName());
}

void MainWindow::showWithoutActivating(const QString& objectName) {
  if (objectName == this->objectName()) return;  // the main window's own alarm (zones)
  QMdiSubWindow* active = m_mdi->activeSubWindow();
  QWidget* w = findWindow(objectName);
  if (!w) w = openWindow(objectName);
  if (!w) return;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) {
    if (sub->isMinimized()) sub->showNormal();
    sub->raise();
  }
  if (active && active != m_mdi->activeSubWindow()) m_mdi->setActiveSubWindow(active);
}

void MainWindow::flashTitle() {
  // Linux window managers have no inverted caption: the title text alternates and
  // the window manager is asked to draw attention to the window.
  static const QString kMark = QStringLiteral("\u25A0 ");
  m_titleFlashed = !m_titleFlashed;
  QString title = windowTitle();
  if (title.startsWith(kMark)) title.remove(0, kMark.size());
  setWindowTitle(m_titleFlashed ? kMark + title : title);
  if (m_titleFlashed) QApplication::alert(this);
}

QWidget* MainWindow::openWindow(const QString& objectName) {
  if (QWidget* existing = findWindow(objectName)) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(existing->parentWidget())) {
      sub->showNormal();
      m_mdi->setActiveSubWindow(sub);
    }
    return existing;
  }
  QWidget* w = m_app.windows.create(objectName, m_app);
  if (!w) return nullptr;
  w->setObjectName(objectName);
  w->setAttribute(Qt::WA_DeleteOnClose);
  QMdiSubWindow* sub = m_mdi->addSubWindow(w);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->setWindowTitle(w->windowTitle());
  sub->setWindowIcon(windowIcon());
  new FrameCloser(w, sub, [this, objectName](QPoint at) { m_lastPlace[objectName] = at; });
  placeFrame(sub, objectName);
  sub->show();
  // A menu that closes gives the focus back to the window that had it (the chart),
  // which would come to the front over the new window: the new one is made active
  // once the menu is gone.
  m_mdi->setActiveSubWindow(sub);
  QTimer::singleShot(0, sub, [this, sub] {
    if (sub->isVisible() && !sub->isMinimized()) {
      m_mdi->setActiveSubWindow(sub);
      if (sub->widget()) sub->widget()->setFocus();
    }
  });
  return w;
}

}  // namespace tavrik
