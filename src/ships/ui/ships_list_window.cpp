#include "ships/ui/ships_list_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app.h"
#include "ships/ships_list.h"

namespace tavrik {

ShipsListWindow::ShipsListWindow(App& app, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("gpssshow"));
  setWindowTitle(QStringLiteral("Ships from current position"));
  const QString dist = app.settings.units.distanceLabel(), speed = app.settings.units.speedLabel();
  const QStringList headers{QStringLiteral("Name"),      QStringLiteral("Latitude"),    QStringLiteral("Longitude"),
                            QStringLiteral("Bearing"),   QStringLiteral("Distance (%1)").arg(dist),
                            QStringLiteral("Time to go"), QStringLiteral("Speed (%1)").arg(speed),
                            QStringLiteral("Course"),    QStringLiteral("Wind (Kts)"), QStringLiteral("Wind dir")};
  m_grid = new QTableWidget(0, static_cast<int>(headers.size()), this);
  m_grid->setObjectName(QStringLiteral("Grid1"));
  m_grid->setHorizontalHeaderLabels(headers);
  m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_grid->verticalHeader()->hide();
  auto* top = new QVBoxLayout(this);
  top->addWidget(m_grid);

  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::vector<ShipListRow> rows;
  if (app.db.isOpen()) rows = buildShipsList(app.db, shipListInput(app.nav, app.settings));
  m_grid->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const ShipListRow& s = rows[r];
    const QString cells[] = {s.name,     s.latitude, s.longitude, s.bearing,   s.distance,
                             s.timeToGo, s.speed,    s.course,    s.windSpeed, s.windDirection};
    for (int c = 0; c < 10; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c >= 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      m_grid->setItem(r, c, item);
    }
  }
  m_grid->resizeColumnsToContents();
  QApplication::restoreOverrideCursor();
  resize(900, 300);
}

}  // namespace tavrik
