#include "edit/ui/track_windows.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "app/app.h"
#include "core/messages.h"
#include "core/number_format.h"
#include "edit/track_store.h"

namespace tavrik {

namespace {

// The track list: descriptions with their keys as item data.
void FillTrackList(QListWidget* list, Database& db, Prompter& prompter) {
  list->clear();
  StoreResult error;
  for (const TrackEntry& t : ListTracks(db, &error)) {
    auto* item = new QListWidgetItem(t.description, list);
    item->setData(Qt::UserRole, static_cast<qlonglong>(t.key));
  }
  if (!error.ok()) ShowError(prompter, error.error, error.detail);
}

QPushButton* AddButtons(QWidget* window, QVBoxLayout* layout, const QString& okText, const std::function<bool()>& ok) {
  auto* row = new QHBoxLayout;
  auto* okButton = new QPushButton(okText, window);
  okButton->setObjectName(QStringLiteral("Command1"));
  okButton->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), window);
  cancel->setObjectName(QStringLiteral("Cancel"));
  row->addStretch();
  row->addWidget(okButton);
  row->addWidget(cancel);
  layout->addLayout(row);
  QObject::connect(okButton, &QPushButton::clicked, window, [window, ok] {
    if (ok()) window->close();
  });
  QObject::connect(cancel, &QPushButton::clicked, window, &QWidget::close);
  return okButton;
}

}  // namespace

TrackWindow::TrackWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpstrack"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  m_prompt = new QLabel(this);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("List1"));
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("Text1"));
  m_name->setMaxLength(50);
  layout->addWidget(m_prompt);
  layout->addWidget(m_list);
  layout->addWidget(m_name);
  m_ok = AddButtons(this, layout, QStringLiteral("&OK"), [this] { return accept(); });
  connect(m_list, &QListWidget::currentTextChanged, m_name, &QLineEdit::setText);
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
    if (m_mode != Mode::Save && accept()) close();
  });
  fillList();
  setMode(Mode::Save);
  resize(320, 360);
}

void TrackWindow::setMode(Mode mode) {
  m_mode = mode;
  fillList();
  const char* titles[] = {"Save track", "Load track", "Delete track"};
  const char* prompts[] = {"Enter a name for the current track", "Choose the track to load", "Choose the track to delete"};
  setWindowTitle(QLatin1String(titles[static_cast<int>(mode)]));
  m_prompt->setText(QLatin1String(prompts[static_cast<int>(mode)]));
  m_name->setReadOnly(mode == Mode::Delete);
  m_ok->setText(mode == Mode::Delete ? QStringLiteral("&Delete") : QStringLiteral("&OK"));
}

void TrackWindow::fillList() { FillTrackList(m_list, m_app.db, m_app.prompter); }

bool TrackWindow::accept() {
  switch (m_mode) {
    case Mode::Save: return save();
    case Mode::Load: return load();
    case Mode::Delete: return remove();
  }
  return false;
}

bool TrackWindow::save() {
  const QString name = m_name->text().trimmed();
  if (name.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::NoDescriptionEntered));
    return false;
  }
  TrackFile* track = m_app.edit.currentTrack;
  if (!track || track->count() == 0) {
    m_app.prompter.information(MessageText(Msg::NoDataInTrack));
    return false;
  }
  const SaveResult r = SaveTrack(m_app.db, name, track->readAll(), m_app.clock.now());
  if (r.outcome == SaveOutcome::NameExists) {
    m_app.prompter.information(MessageText(Msg::TrackAlreadyExists));
    return false;
  }
  if (!r.saved()) {
    ShowError(m_app.prompter, r.error.error, r.error.detail);
    return false;
  }
  return true;
}

bool TrackWindow::load() {
  const QString name = m_name->text().trimmed();
  if (name.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::NoTrackfileSelected));
    return false;
  }
  const LoadedTrack loaded = LoadTrack(m_app.db, name);
  if (!loaded.error.ok()) {
    ShowError(m_app.prompter, loaded.error.error, loaded.error.detail);
    return false;
  }
  if (!loaded.found) {
    m_app.prompter.information(MessageText(Msg::TrackfileDoesNotExist));
    return false;
  }
  TrackFile* track = m_app.edit.currentTrack;
  if (!track || !track->appendAll(loaded.records)) {
    // Without the chart window there is no current track to load into.
    ShowError(m_app.prompter, DbError::Other,
              track ? track->errorText() : QStringLiteral("The chart window is not open"));
    return false;
  }
  m_app.requests.redrawAll = true;
  return true;
}

bool TrackWindow::remove() {
  QListWidgetItem* item = m_list->currentItem();
  if (!item) {
    m_app.prompter.information(MessageText(m_list->count() == 0 ? Msg::NoRecordSelected : Msg::NoTrackfileSelected));
    return false;
  }
  if (!m_app.prompter.question(MessageText(Msg::SureDeleteSelection))) return false;
  StoreResult error;
  if (!DeleteTrack(m_app.db, static_cast<long>(item->data(Qt::UserRole).toLongLong()), error)) {
    ShowError(m_app.prompter, error.error, error.detail);
    return false;
  }
  fillList();
  return true;
}

TrackToRouteWindow::TrackToRouteWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpstrrt"));
  setWindowTitle(QStringLiteral("Track to route"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Track"), this));
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("List1"));
  layout->addWidget(m_list);
  auto* form = new QFormLayout;
  m_name = new QLineEdit(this);
  m_name->setObjectName(QStringLiteral("Text1"));
  m_name->setMaxLength(50);
  form->addRow(QStringLiteral("Route name"), m_name);
  auto* maxRow = new QHBoxLayout;
  m_maximum = new QLineEdit(this);
  m_maximum->setObjectName(QStringLiteral("Text2"));
  m_unit = new QLabel(this);
  maxRow->addWidget(m_maximum);
  maxRow->addWidget(m_unit);
  form->addRow(QStringLiteral("Maximum"), maxRow);
  m_waypoints = new QCheckBox(QStringLiteral("Maximum is the number of route points"), this);
  m_waypoints->setObjectName(QStringLiteral("waypoints"));
  form->addRow(m_waypoints);
  layout->addLayout(form);
  AddButtons(this, layout, QStringLiteral("&Create route"), [this] { return createRoute(); });
  connect(m_waypoints, &QCheckBox::toggled, this, [this] { updateUnit(); });
  FillTrackList(m_list, m_app.db, m_app.prompter);
  updateUnit();
  resize(340, 400);
}

void TrackToRouteWindow::updateUnit() {
  m_unit->setText(m_waypoints->isChecked() ? QStringLiteral("points") : m_app.settings.units.DistanceUnit);
}

bool TrackToRouteWindow::createRoute() {
  QListWidgetItem* item = m_list->currentItem();
  if (!item) {
    m_app.prompter.information(MessageText(Msg::NoTrackfileSelected));
    return false;
  }
  const QString name = m_name->text().trimmed();
  if (name.isEmpty()) {
    m_app.prompter.information(MessageText(Msg::NoDescriptionEntered));
    return false;
  }
  QString maxText = m_maximum->text().trimmed();
  maxText.replace(QLatin1Char(','), QLatin1Char('.'));
  const double maximum = leniNumber(maxText);
  if (!isNumeric(maxText) || !(maximum > 0)) {
    m_app.prompter.information(MessageText(Msg::NoMaximum));
    return false;
  }
  const bool count = m_waypoints->isChecked();
  const ChartProjection* projection = m_app.edit.chartProjection ? m_app.edit.chartProjection() : nullptr;
  const TrackToRouteResult r =
      TrackToRoute(m_app.db, static_cast<long>(item->data(Qt::UserRole).toLongLong()), name,
                   count ? ThinningMode::NumberOfPoints : ThinningMode::MaximumError,
                   count ? maximum : m_app.settings.units.fromDisplay(maximum), projection, m_app.settings.system.gpsDatum,
                   m_app.clock.now());
  if (r.truncated) m_app.prompter.information(kTrackTooLargeMessage);
  switch (r.status) {
    case TrackToRouteResult::NoData: m_app.prompter.information(MessageText(Msg::NoDataInTrack)); return false;
    case TrackToRouteResult::RouteExists: m_app.prompter.information(MessageText(Msg::RouteAlreadyExists)); return false;
    case TrackToRouteResult::Failed: ShowError(m_app.prompter, r.error.error, r.error.detail); return false;
    case TrackToRouteResult::Saved: break;
  }
  m_app.steering.selectedRoute = static_cast<int>(r.routeKey);
  if (m_app.edit.showRoute) {
    LatLonList points;
    for (const QVariantList& row : m_app.db.rows(RouteWaypointsQuery(r.routeKey)))
      points.emplace_back(row.value(2).toDouble(), row.value(3).toDouble());
    m_app.edit.showRoute(points);
  }
  return true;
}

}  // namespace tavrik
