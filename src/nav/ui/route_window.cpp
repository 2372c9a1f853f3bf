#include "nav/ui/route_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>

#include "app/app.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "nav/route_points.h"

namespace tavrik {

RouteWindow::RouteWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsrout"));
  setWindowTitle(QStringLiteral("Routes"));
  auto* grid = new QGridLayout(this);
  m_routes = new QComboBox(this);
  m_routes->setObjectName(QStringLiteral("Combo1"));
  m_points = new QListWidget(this);
  m_points->setObjectName(QStringLiteral("List1"));
  m_waypoints = new QComboBox(this);
  m_waypoints->setObjectName(QStringLiteral("Combo2"));
  m_length = new QLabel(this);
  m_length->setObjectName(QStringLiteral("Label1"));
  auto* add = new QPushButton(QStringLiteral("&Add"), this);
  add->setObjectName(QStringLiteral("add"));
  auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
  remove->setObjectName(QStringLiteral("remove"));
  auto* followButton = new QPushButton(QStringLiteral("&Follow"), this);
  followButton->setObjectName(QStringLiteral("follow"));
  grid->addWidget(new QLabel(QStringLiteral("Route"), this), 0, 0);
  grid->addWidget(m_routes, 0, 1, 1, 2);
  grid->addWidget(m_points, 1, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Length"), this), 2, 0);
  grid->addWidget(m_length, 2, 1, 1, 2);
  grid->addWidget(m_waypoints, 3, 0, 1, 2);
  grid->addWidget(add, 3, 2);
  grid->addWidget(remove, 4, 0);
  grid->addWidget(followButton, 4, 2);
  if (app.db.isOpen()) {
    auto rs = app.db.openRecordset(QStringLiteral("SELECT * FROM Waypoints OrdER BY description"));
    for (; rs && !rs->eof(); rs->moveNext())
      m_waypoints->addItem(rs->text(QStringLiteral("description")), rs->integer(QStringLiteral("Waypoint")));
  }
  fillRoutes();
  connect(m_routes, &QComboBox::currentIndexChanged, this, [this] { showPoints(); });
  connect(add, &QPushButton::clicked, this, [this] { addWaypoint(m_waypoints->currentData().toInt()); });
  connect(remove, &QPushButton::clicked, this, [this] { removeSelected(); });
  connect(followButton, &QPushButton::clicked, this, [this] { follow(); });
  showPoints();
}

void RouteWindow::fillRoutes() {
  m_routes->clear();
  if (!m_app.db.isOpen()) return;
  auto rs = m_app.db.openRecordset(QStringLiteral("SELECT * FROM Routes OrdER BY description"));
  for (; rs && !rs->eof(); rs->moveNext())
    m_routes->addItem(rs->text(QStringLiteral("description")), rs->integer(QStringLiteral("route")));
  const int selected = m_routes->findData(m_app.steering.selectedRoute);
  if (selected >= 0) m_routes->setCurrentIndex(selected);
}

int RouteWindow::route() const { return m_routes->currentData().toInt(); }

void RouteWindow::showPoints() {
  m_points->clear();
  const std::vector<GotoTarget> points = loadRoutePoints(m_app.db, route());
  for (const GotoTarget& p : points) m_points->addItem(p.description);
  const Units& u = m_app.settings.units;
  m_length->setText(formatNumber(routeLengthNm(points) * u.UnitFactor, u"##0.0") + ' ' + u.distanceLabel());
}

void RouteWindow::addWaypoint(int waypoint) {
  if (route() == 0 || waypoint == 0) {
    m_app.prompter.information(MessageText(route() == 0 ? Msg::NoRouteSelected : Msg::NoRecordSelected));
    return;
  }
  const StoreResult r = m_app.db.execute(
      QStringLiteral("INSERT INTO [Route points] (Route, Waypoint, created) VALUES (?, ?, ?)"),
      {route(), waypoint, QDateTime::currentDateTime().toString(Qt::ISODate)});
  if (!r.ok()) ShowError(m_app.prompter, r.error, r.detail);
  showPoints();
}

void RouteWindow::removeSelected() {
  const int row = m_points->currentRow();
  if (row < 0) {
    m_app.prompter.information(MessageText(Msg::NoRecordSelected));
    return;
  }
  // The row's Sequence: the points are listed in Sequence order.
  auto rs = m_app.db.openRecordset(QStringLiteral("SELECT Sequence FROM [Route points] WHERE Route = ") +
                                   QString::number(route()) + QStringLiteral(" OrdER BY Sequence"));
  for (int k = 0; rs && !rs->eof() && k < row; ++k) rs->moveNext();
  if (!rs || rs->eof()) return;
  const StoreResult r = m_app.db.execute(QStringLiteral("DELETE FROM [Route points] WHERE Sequence = ?"),
                                         {rs->integer(QStringLiteral("Sequence"))});
  if (!r.ok()) ShowError(m_app.prompter, r.error, r.detail);
  showPoints();
}

void RouteWindow::follow() {
  if (route() == 0) {
    m_app.prompter.information(MessageText(Msg::NoRouteSelected));
    return;
  }
  m_app.steering.selectedRoute = route();
  // The go-to window reads the route when it opens: a running one starts again.
  if (m_app.windows.open) {
    if (QWidget* w = m_app.windows.open(QStringLiteral("gpsgoto"))) {
      if (m_app.steering.go.routeSelected() && m_app.steering.go.list().size() == static_cast<size_t>(m_points->count()))
        return;
      if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) sub->close();
      delete w;
      m_app.windows.open(QStringLiteral("gpsgoto"));
    }
  }
}

}  // namespace tavrik
