#include "edit/ui/mark_windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "app/app.h"
#include "core/messages.h"
#include "geo/ui/position_control.h"

namespace tavrik {

namespace {

void FillKeyedList(QComboBox* box, Database& db, const QString& table, const QString& keyField) {
  box->clear();
  auto rs = db.openRecordset(QStringLiteral("SELECT * FROM [") + table + QStringLiteral("]"));
  for (; !rs->eof(); rs->moveNext())
    box->addItem(rs->text(QStringLiteral("description")), static_cast<qlonglong>(rs->integer(keyField)));
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent, QHBoxLayout* row) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  row->addWidget(b);
  return b;
}

// The general error box, or "Waypoint already exists" for a duplicate description.
void ReportWriteError(Prompter& prompter, const StoreResult& error) {
  if (error.duplicateKey()) prompter.information(MessageText(Msg::WaypointExists));
  else ShowError(prompter, error.error, error.detail);
}

}  // namespace

WaypointForm::WaypointForm(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  auto* form = new QFormLayout(this);
  form->setContentsMargins(0, 0, 0, 0);
  m_position = new PositionControl(this);
  m_position->setObjectName(QStringLiteral("Position1"));
  m_position->setSoundPlayer(&app.sound);
  m_desc = new QLineEdit(this);
  m_desc->setObjectName(QStringLiteral("desc"));
  m_desc->setMaxLength(50);
  auto* proxRow = new QHBoxLayout;
  m_proximity = new QLineEdit(QStringLiteral("0"), this);
  m_proximity->setObjectName(QStringLiteral("proximity"));
  proxRow->addWidget(m_proximity);
  proxRow->addWidget(new QLabel(app.settings.units.DistanceUnit, this));
  m_approachable = new QCheckBox(QStringLiteral("Approachable"), this);
  m_approachable->setObjectName(QStringLiteral("approachable"));
  m_memo = new QPlainTextEdit(this);
  m_memo->setObjectName(QStringLiteral("memo"));
  m_memo->setFixedHeight(60);
  m_types = new QComboBox(this);
  m_types->setObjectName(QStringLiteral("types"));
  m_group = new QComboBox(this);
  m_group->setObjectName(QStringLiteral("group"));
  FillKeyedList(m_types, app.db, QStringLiteral("Waypoint types"), QStringLiteral("Type"));
  FillKeyedList(m_group, app.db, QStringLiteral("Waypoint groups"), QStringLiteral("Group"));
  form->addRow(QStringLiteral("Position"), m_position);
  form->addRow(QStringLiteral("Description"), m_desc);
  form->addRow(QStringLiteral("Proximity"), proxRow);
  form->addRow(QString(), m_approachable);
  form->addRow(QStringLiteral("Type"), m_types);
  form->addRow(QStringLiteral("Group"), m_group);
  form->addRow(QStringLiteral("Memo"), m_memo);
}

WaypointFields WaypointForm::fields() const {
  WaypointFields f;
  f.latitude = m_position->latitude();
  f.longitude = m_position->longitude();
  f.description = m_desc->text().trimmed();
  f.proximityText = m_proximity->text();
  f.approachable = m_approachable->isChecked();
  f.memo = m_memo->toPlainText();
  f.type = static_cast<long>(m_types->currentData().toLongLong());
  f.group = static_cast<long>(m_group->currentData().toLongLong());
  f.datum = m_app.settings.system.gpsDatum;
  return f;
}

void WaypointForm::setFields(const WaypointFields& f) {
  m_position->setPosition(f.latitude, f.longitude);
  m_desc->setText(f.description);
  m_proximity->setText(f.proximityText);
  m_approachable->setChecked(f.approachable);
  m_memo->setPlainText(f.memo.trimmed());
  m_types->setCurrentIndex(std::max(0, m_types->findData(static_cast<qlonglong>(f.type))));
  m_group->setCurrentIndex(std::max(0, m_group->findData(static_cast<qlonglong>(f.group))));
}

MarkWindow::MarkWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsmark"));
  setWindowTitle(QStringLiteral("Mark waypoint"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  m_form = new WaypointForm(app, this);
  m_positionText = new QLabel(this);
  m_positionText->setObjectName(QStringLiteral("Label1"));
  layout->addWidget(m_positionText);
  layout->addWidget(m_form);
  auto* row = new QHBoxLayout;
  m_average = Button(QStringLiteral("&Average"), "Command1", this, row);
  row->addStretch();
  QPushButton* ok = Button(QStringLiteral("&OK"), "OK", this, row);
  QPushButton* cancel = Button(QStringLiteral("&Cancel"), "Cancel", this, row);
  ok->setDefault(true);
  layout->addLayout(row);
  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  m_timer->setInterval(1000);
  connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
  connect(m_average, &QPushButton::clicked, this, [this] { startAveraging(); });
  connect(ok, &QPushButton::clicked, this, [this] {
    if (store()) close();
  });
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);

  // A position still (0, 0) is the current position, which alone can be averaged.
  EditState& e = m_app.edit;
  const bool current = (e.markLatitude == 0 && e.markLongitude == 0) || e.markCurrentPosition;
  m_markLat = current ? m_app.nav.Latitude : e.markLatitude;
  m_markLon = current ? m_app.nav.Longitude : e.markLongitude;
  m_form->position()->setPosition(m_markLat, m_markLon);
  m_positionText->setText(m_form->position()->position());
  m_form->description()->setText(MarkDescription(m_app.clock.now()));
  m_average->setVisible(current);
  e.markLatitude = e.markLongitude = 0;
  e.markCurrentPosition = false;
}

MarkWindow::~MarkWindow() { stopAveraging(); }

void MarkWindow::setLatitude(double lat) {
  m_markLat = static_cast<float>(lat);
  stopAveraging();
  m_average->hide();
  m_form->position()->setPosition(m_markLat, m_markLon);
  m_positionText->setText(m_form->position()->position());
}

void MarkWindow::setLongitude(double lon) {
  m_markLon = static_cast<float>(lon);
  stopAveraging();
  m_average->hide();
  m_form->position()->setPosition(m_markLat, m_markLon);
  m_positionText->setText(m_form->position()->position());
}

bool MarkWindow::averaging() const { return m_timer->isActive(); }

void MarkWindow::startAveraging() {
  if (m_form->description()->text().trimmed().isEmpty()) {
    m_app.prompter.information(MessageText(Msg::DescriptionMustHaveValue));
    return;
  }
  m_average->setEnabled(false);
  m_averager.reset();
  setCursor(Qt::BusyCursor);
  m_timer->start();
}

void MarkWindow::stopAveraging() {
  if (!m_timer->isActive()) return;
  m_timer->stop();
  unsetCursor();
}

void MarkWindow::tick() {
  m_averager.add(m_app.nav.Latitude, m_app.nav.Longitude);
  m_markLat = m_averager.latitude();
  m_markLon = m_averager.longitude();
  // The control shows the live position (the receiver's scatter), the label the mean.
  m_form->position()->setPosition(m_app.nav.Latitude, m_app.nav.Longitude);
  PositionControl mean;
  mean.setPosition(m_markLat, m_markLon);
  m_positionText->setText(QStringLiteral("%1   (%2 samples)").arg(mean.position()).arg(m_averager.count()));
}

bool MarkWindow::store() {
  WaypointFields f = m_form->fields();
  if (const int message = CheckNewWaypoint(f)) {
    m_app.prompter.information(MessageText(message));
    return false;
  }
  stopAveraging();
  // The stored position is the position to mark (the mean while averaging), not the
  // live position the control shows.
  f.latitude = m_markLat;
  f.longitude = m_markLon;
  const WaypointWrite w = AddWaypoint(m_app.db, f, m_app.clock.now());
  if (!w.ok()) {
    ReportWriteError(m_app.prompter, w.error);
    return false;
  }
  m_app.requests.redrawOverlays = true;
  if (m_app.edit.waypointMarked) m_app.edit.waypointMarked(w.key, f.latitude, f.longitude, f.description);
  return true;
}

EditWaypointWindow::EditWaypointWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsewp"));
  setWindowTitle(QStringLiteral("Edit waypoint"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  m_form = new WaypointForm(app, this);
  layout->addWidget(m_form);
  auto* row = new QHBoxLayout;
  QPushButton* moveButton = Button(QStringLiteral("&Move"), "Command2", this, row);
  QPushButton* del = Button(QStringLiteral("&Delete"), "Command3", this, row);
  row->addStretch();
  QPushButton* ok = Button(QStringLiteral("&OK"), "OK", this, row);
  QPushButton* cancel = Button(QStringLiteral("&Cancel"), "Cancel", this, row);
  ok->setDefault(true);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (store()) close();
  });
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);
  connect(del, &QPushButton::clicked, this, [this] { remove(); });
  connect(moveButton, &QPushButton::clicked, this, [this] { moveOnChart(); });
  m_key = m_app.edit.editWaypoint;
  WaypointFields f;
  if (!ReadWaypoint(m_app.db, m_key, f)) {
    // The waypoint went away meanwhile: nothing to edit.
    m_key = 0;
    m_form->setEnabled(false);
    moveButton->setEnabled(false);
    del->setEnabled(false);
    ok->setEnabled(false);
    return;
  }
  m_form->setFields(f);
}

bool EditWaypointWindow::store() {
  const WaypointFields f = m_form->fields();
  if (const int message = CheckEditedWaypoint(f)) {
    m_app.prompter.information(MessageText(message));
    return false;
  }
  const WaypointWrite w = UpdateWaypoint(m_app.db, m_key, f);
  if (!w.ok()) {
    ReportWriteError(m_app.prompter, w.error);
    return false;
  }
  m_app.requests.redrawOverlays = true;
  return true;
}

void EditWaypointWindow::remove() {
  const StoreResult r = DeleteWaypoint(m_app.db, m_key);
  if (!r.ok()) {
    ShowError(m_app.prompter, r.error, r.detail);
    return;
  }
  m_app.requests.redrawOverlays = true;
  close();
}

void EditWaypointWindow::moveOnChart() {
  m_app.edit.editWaypoint = m_key;
  m_app.requests.moveWaypoint = true;
  close();
}

}  // namespace tavrik
