#include "edit/ui/drawn_save_windows.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "edit/route_store.h"

namespace tavrik {

DrawnSaveWindow::DrawnSaveWindow(App& app, Kind kind, QWidget* parent) : QDialog(parent), m_app(app), m_kind(kind) {
  const bool route = kind == Kind::Route;
  setObjectName(route ? QStringLiteral("gpscroute") : QStringLiteral("gpszone"));
  setWindowTitle(route ? QStringLiteral("Save route in database") : QStringLiteral("Save zone in database"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(route ? QStringLiteral("Enter a name for the route") : QStringLiteral("Enter a name for zone"), this));
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("Text1"));
  m_name->setMaxLength(50);
  layout->addWidget(m_name);
  auto* row = new QHBoxLayout;
  row->addStretch();
  m_ok = new QPushButton(QStringLiteral("&OK"), this);
  m_ok->setObjectName(QStringLiteral("OK"));
  m_ok->setDefault(true);
  m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  m_cancel->setObjectName(QStringLiteral("Cancel"));
  row->addWidget(m_ok);
  row->addWidget(m_cancel);
  layout->addLayout(row);
  connect(m_ok, &QPushButton::clicked, this, [this] {
    if (store()) accept();
  });
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool DrawnSaveWindow::store() {
  const QString name = m_name->text().trimmed();
  if (name.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::DescriptionMustHaveValue));
    m_name->setFocus();
    return false;
  }
  const LatLonList& points = m_app.edit.drawnPoints;
  if (points.empty()) {
    m_app.prompter.information(MessageText(Msg::NoWaypoints));
    return false;
  }
  m_ok->setEnabled(false);
  m_cancel->setEnabled(false);
  const int datum = m_app.settings.system.gpsDatum;
  const SaveResult r = m_kind == Kind::Route ? SaveRoute(m_app.db, name, points, datum, m_app.clock.now())
                                             : SaveZone(m_app.db, name, points, datum, m_app.clock.now());
  m_ok->setEnabled(true);
  m_cancel->setEnabled(true);
  if (r.outcome == SaveOutcome::NameExists) {
    m_app.prompter.information(MessageText(Msg::NameExists));
    m_name->setFocus();
    return false;
  }
  if (!r.saved()) {
    ShowError(m_app.prompter, r.error.error, r.error.detail);
    return false;
  }
  if (m_kind == Kind::Route) {
    // The new route becomes the selected route.
    m_app.steering.selectedRoute = static_cast<int>(r.key);
    if (m_app.edit.showRoute) m_app.edit.showRoute(points);
  } else {
    m_app.reloadAlarmAreas();
  }
  m_app.requests.redrawOverlays = true;
  return true;
}

}  // namespace tavrik
