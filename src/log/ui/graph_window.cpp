#include "log/ui/graph_window.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "geo/ui/record_list_window.h"

namespace tavrik {

namespace {
const char* const kGraphWindowNames[kGraphCount] = {"gpsgrapt", "gpsgrapp", "gpsgrapd"};
const char* const kUnits[kGraphCount] = {"°C", "Mb", "m"};
}  // namespace

GraphWindow::GraphWindow(App& app, int graph, QWidget* parent) : QWidget(parent), m_app(app), m_graph(graph) {
  setObjectName(QLatin1String(kGraphWindowNames[graph]));
  setWindowTitle(graphCaption(graph));
  auto* chart = new QChart;
  chart->legend()->hide();
  chart->setMargins(QMargins(4, 4, 4, 4));
  m_series = new QLineSeries;
  m_series->setUseOpenGL(false);
  chart->addSeries(m_series);
  m_axisX = new QValueAxis;
  m_axisX->setLabelFormat(QStringLiteral("%.1f"));
  m_axisX->setTitleText(tr("hours ago"));
  m_axisY = new QValueAxis;
  m_axisY->setTitleText(QString::fromUtf8(kUnits[graph]));
  chart->addAxis(m_axisX, Qt::AlignBottom);
  chart->addAxis(m_axisY, Qt::AlignLeft);
  m_series->attachAxis(m_axisX);
  m_series->attachAxis(m_axisY);
  m_view = new QChartView(chart, this);
  m_view->setObjectName(QStringLiteral("MSChart1"));
  m_view->setRenderHint(QPainter::Antialiasing);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_view);
  resize(sizeHint());
  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  m_timer->setInterval(60000);
  connect(m_timer, &QTimer::timeout, this, [this] { minuteTick(); });
  m_timer->start();
  draw();
}

QSize GraphWindow::sizeHint() const {
  const GraphSettings& s = m_app.settings.Graphs[static_cast<size_t>(m_graph)];
  return {std::max(240, s.width / 15), std::max(160, s.height / 15)};
}

void GraphWindow::draw() {
  const GraphSettings& s = m_app.settings.Graphs[static_cast<size_t>(m_graph)];
  const std::vector<float> values = m_app.graphs.drawnValues(m_graph);
  // Point i sits at its age in hours, the newest at 0 on the right.
  const double step = std::max(1, s.interval) / 60.0;
  const double n = static_cast<double>(values.size());
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) points.append(QPointF((static_cast<double>(i) + 1 - n) * step, values[i]));
  m_series->replace(points);
  m_axisX->setRange(std::min(-step, (1 - n) * step), 0);
  m_axisY->setRange(s.min, std::max(s.min + 1, s.max));
}

void GraphWindow::minuteTick() {
  const GraphSettings& s = m_app.settings.Graphs[static_cast<size_t>(m_graph)];
  if (++m_minutes < std::max(1, s.interval)) return;
  m_minutes = 0;
  draw();
}

GraphSetupWindow::GraphSetupWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsgset"));
  setWindowTitle(tr("Graph setup"));
  for (int g = 0; g < kGraphCount; ++g) {
    const GraphSettings& s = app.settings.Graphs[static_cast<size_t>(g)];
    m_entries[static_cast<size_t>(g)] = {QString::number(s.interval), QString::number(s.min), QString::number(s.max),
                                         QString::number(s.length)};
  }
  m_tabs = new QTabBar(this);
  m_tabs->setObjectName(QStringLiteral("TabStrip1"));
  for (int g = 0; g < kGraphCount; ++g) m_tabs->addTab(graphCaption(g));
  const auto box = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    return e;
  };
  m_interval = box("interval");
  m_min = box("min");
  m_max = box("max");
  m_period = box("period");
  auto* form = new QFormLayout;
  form->addRow(tr("Interval (minutes)"), m_interval);
  form->addRow(tr("Minimum"), m_min);
  form->addRow(tr("Maximum"), m_max);
  form->addRow(tr("Period (hours)"), m_period);
  QLayout* buttons = okCancelRow(this, "cmdOK", "cmdCancel", [this] { accept(); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addLayout(form);
  layout->addLayout(buttons);
  selectGraph(0);
  connect(m_tabs, &QTabBar::currentChanged, this, [this](int g) { selectGraph(g); });
}

void GraphSetupWindow::keepBoxes() {
  m_entries[static_cast<size_t>(m_shown)] = {m_interval->text(), m_min->text(), m_max->text(), m_period->text()};
}

void GraphSetupWindow::selectGraph(int graph) {
  if (graph < 0 || graph >= kGraphCount) return;
  if (graph != m_shown) keepBoxes();
  m_shown = graph;
  if (m_tabs->currentIndex() != graph) m_tabs->setCurrentIndex(graph);
  const GraphSetupEntry& e = m_entries[static_cast<size_t>(graph)];
  m_interval->setText(e.interval);
  m_min->setText(e.min);
  m_max->setText(e.max);
  m_period->setText(e.period);
}

bool GraphSetupWindow::accept() {
  keepBoxes();
  bool ok = true;
  for (int g = 0; g < kGraphCount && ok; ++g) {
    GraphSettings& s = m_app.settings.Graphs[static_cast<size_t>(g)];
    GraphSettings checked = s;
    const int message = checkGraphSetup(m_entries[static_cast<size_t>(g)], &checked);
    if (message) {
      selectGraph(g);
      m_app.prompter.exclamation(MessageText(message));
      ok = false;
    } else {
      s = checked;
    }
  }
  // The graphs stored before a refusal stay stored.
  m_app.graphs.resize();
  m_app.saveSettings();
  if (ok) {
    if (m_app.windows.open)
      for (const char* name : kGraphWindowNames)
        for (QWidget* top : QApplication::topLevelWidgets())
          for (auto* w : top->findChildren<GraphWindow*>(QLatin1String(name))) w->draw();
    closeWindow(this);
  }
  return ok;
}

void registerGraphWindows(App& app) {
  for (int g = 0; g < kGraphCount; ++g)
    app.windows.add(QLatin1String(kGraphWindowNames[g]), [g](App& a) { return new GraphWindow(a, g); });
  app.windows.add(QStringLiteral("gpsgset"), [](App& a) { return new GraphSetupWindow(a); });
}

}  // namespace tavrik
