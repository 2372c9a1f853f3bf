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

#include "app/app.h"

namespace tavrik {

MainWindow::MainWindow(App& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
  setObjectName(QStringLiteral("gps"));
  setWindowTitle(QStringLiteral("Tavrik"));
  m_mdi = new QMdiArea(this);
  m_mdi->setObjectName(QStringLiteral("mdi"));
  m_mdi->setBackground(QColor(0x5a, 0x6e, 0x82));
  setCentralWidget(m_mdi);
  buildMenus();
  buildStatusBar();
  m_app.windows.open = [this](const QString& name) { return openWindow(name); };
  resize(1200, 800);
}

MainWindow::~MainWindow() { m_app.windows.open = nullptr; }

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("m_file"));
  QAction* exit = file->addAction(QStringLiteral("E&xit"));
  exit->setObjectName(QStringLiteral("f_exit"));
  connect(exit, &QAction::triggered, this, [this] { close(); });

  QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
  window->setObjectName(QStringLiteral("m_window"));
  QAction* cascade = window->addAction(QStringLiteral("&Cascade"));
  cascade->setObjectName(QStringLiteral("win_cascade"));
  connect(cascade, &QAction::triggered, m_mdi, &QMdiArea::cascadeSubWindows);
  QAction* tile = window->addAction(QStringLiteral("&Tile"));
  tile->setObjectName(QStringLiteral("win_tile"));
  connect(tile, &QAction::triggered, m_mdi, &QMdiArea::tileSubWindows);

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
    if (m_panels[i]->text() != m_app.panels.text[i]) m_panels[i]->setText(m_app.panels.text[i]);
    const bool visible = m_app.settings.StatusbarVisible[i];
    if (m_panels[i]->isVisibleTo(statusBar()) != visible) m_panels[i]->setVisible(visible);
  }
}

QWidget* MainWindow::findWindow(const QString& objectName) const {
  for (QMdiSubWindow* sub : m_mdi->subWindowList())
    if (sub->widget() && sub->widget()->objectName() == objectName) return sub->widget();
  return nullptr;
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
  sub->show();
  return w;
}

}  // namespace tavrik
