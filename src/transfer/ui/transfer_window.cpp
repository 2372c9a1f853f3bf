#include "transfer/ui/transfer_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "nmea/qserial_link.h"
#include "transfer/ui/gpx_window.h"
#include "transfer/transfer_texts.h"

namespace tavrik {

namespace {

struct KindInfo {
  const char* name;
  const char* caption;  // the receiver kind follows, except for "Upload waypoints"
  const char* menuText;
};

const KindInfo& infoOf(TransferWindowKind k) {
  static const KindInfo kInfo[] = {
      {"gpswpdown", "Download waypoints - ", "Download &waypoints"},
      {"gpsprxdown", "Download waypoints - ", "Download &proximity waypoints"},
      {"gpsrtdown", "Download routes - ", "Download &routes"},
      {"gpstrkdown", "Download tracks - ", "Download &tracks"},
      {"gpswpup", "Upload waypoints", "Upload w&aypoints"},
      {"gpsprxup", "Upload waypoints", "Upload pro&ximity waypoints"},
      {"gpsrtup", "Upload routes - ", "Upload ro&utes"},
  };
  return kInfo[static_cast<int>(k)];
}

QListWidget* keyList(Database& db, const QString& sql, QAbstractItemView::SelectionMode mode) {
  auto* list = new QListWidget;
  list->setSelectionMode(mode);
  for (const QVariantList& row : db.rows(sql)) {
    auto* item = new QListWidgetItem(row.value(1).toString(), list);
    item->setData(Qt::UserRole, row.value(0));
  }
  return list;
}

std::vector<int> selectedKeys(const QListWidget* list) {
  std::vector<int> keys;
  for (const QListWidgetItem* item : list->selectedItems()) keys.push_back(item->data(Qt::UserRole).toInt());
  return keys;
}

void selectByText(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchFixedString);
  if (!found.isEmpty()) list->setCurrentItem(found.first());
  else if (list->count() > 0) list->setCurrentRow(0);
}

}  // namespace

QString transferWindowName(TransferWindowKind kind, ReceiverKind make) {
  return QLatin1String(infoOf(kind).name) + (make == ReceiverKind::Garmin ? QStringLiteral("_g") : QStringLiteral("_m"));
}

TransferWindow::TransferWindow(App& app, TransferWindowKind kind, ReceiverKind make, QWidget* parent)
    : QWidget(parent), m_app(app), m_kind(kind), m_make(make), m_linkFactory(qserialLinkFactory()) {
  setObjectName(transferWindowName(kind, make));
  setAttribute(Qt::WA_DeleteOnClose);
  const KindInfo& info = infoOf(kind);
  setWindowTitle(QLatin1String(info.caption) + (kind == TransferWindowKind::UploadWaypoints || kind == TransferWindowKind::UploadProximity
                                                    ? QString()
                                                    : receiverKindName(make)));
  m_timer = new QTimer(this);
  m_timer->setInterval(50);
  connect(m_timer, &QTimer::timeout, this, [this] {
    if (!m_transfer) return;
    m_transfer->tick();
    if (!m_transfer->running()) finish();
  });
  build();
}

TransferWindow::~TransferWindow() {
  // Closing the window ends a transfer that still runs; its records are not kept.
  if (m_transfer && m_transfer->running()) m_transfer->cancel();
  m_store.reset();
  if (m_link) m_link->close();
}

bool TransferWindow::download() const { return static_cast<int>(m_kind) <= static_cast<int>(TransferWindowKind::DownloadTracks); }

Dataset TransferWindow::dataset() const {
  switch (m_kind) {
    case TransferWindowKind::DownloadProximity:
    case TransferWindowKind::UploadProximity: return Dataset::Proximity;
    case TransferWindowKind::DownloadRoutes:
    case TransferWindowKind::UploadRoutes: return Dataset::Routes;
    case TransferWindowKind::DownloadTracks: return Dataset::Tracks;
    default: return Dataset::Waypoints;
  }
}

void TransferWindow::build() {
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  Database& db = m_app.db;
  if (download()) {
    m_datum = new QComboBox;
    m_datum->setObjectName(QStringLiteral("Combo1"));
    for (const QVariantList& row : db.rows(QStringLiteral("SELECT datum, description FROM Datums WHERE DATUM > 0 ORDER BY description")))
      m_datum->addItem(row.value(1).toString(), row.value(0));
    m_datum->setCurrentIndex(std::max(0, m_datum->findText(QStringLiteral("WGS-84"))));
    form->addRow(QStringLiteral("Datum:"), m_datum);
  }
  const bool waypointLists = m_kind != TransferWindowKind::DownloadTracks && m_kind != TransferWindowKind::UploadRoutes;
  if (waypointLists) {
    const auto mode = download() ? QAbstractItemView::SingleSelection : QAbstractItemView::MultiSelection;
    m_types = keyList(db, QStringLiteral("SELECT Type, description FROM [Waypoint types] ORDER BY description"), mode);
    m_types->setObjectName(QStringLiteral("typelist"));
    m_groups = keyList(db, QStringLiteral("SELECT [Group], description FROM [Waypoint groups] OrdER BY description"), mode);
    m_groups->setObjectName(QStringLiteral("grouplist"));
    auto* lists = new QHBoxLayout;
    auto* typeBox = new QVBoxLayout;
    typeBox->addWidget(new QLabel(QStringLiteral("Types:")));
    typeBox->addWidget(m_types);
    auto* groupBox = new QVBoxLayout;
    groupBox->addWidget(new QLabel(QStringLiteral("Groups:")));
    groupBox->addWidget(m_groups);
    lists->addLayout(typeBox);
    lists->addLayout(groupBox);
    layout->addLayout(lists);
    const bool routes = m_kind == TransferWindowKind::DownloadRoutes;
    selectByText(m_types, routes ? QStringLiteral("Route point") : QString());
    selectByText(m_groups, routes ? QStringLiteral("Route points") : QString());
  }
  if (m_kind == TransferWindowKind::DownloadTracks) {
    m_combine = new QCheckBox(QStringLiteral("Import as 1 track"));
    m_combine->setObjectName(QStringLiteral("CheckCombine"));
    layout->addWidget(m_combine);
    layout->addWidget(new QLabel(QStringLiteral("Downloaded tracks:")));
    m_tracks = new QListWidget;
    m_tracks->setObjectName(QStringLiteral("tracklist"));
    layout->addWidget(m_tracks);
  }
  if (m_kind == TransferWindowKind::UploadRoutes) {
    layout->addWidget(new QLabel(QStringLiteral("Routes:")));
    m_routes = keyList(db, QStringLiteral("SELECT route, description FROM [Routes] OrdER BY description"), QAbstractItemView::MultiSelection);
    m_routes->setObjectName(QStringLiteral("routelist"));
    layout->addWidget(m_routes);
    m_routeNumber = new QSpinBox;
    m_routeNumber->setObjectName(QStringLiteral("routeno"));
    m_routeNumber->setRange(0, 255);
    m_routeNumber->setValue(1);
    form->addRow(QStringLiteral("Route no:"), m_routeNumber);
  }
  if (!download()) {
    m_custom = new QCheckBox(QStringLiteral("Use custom description"));
    m_custom->setObjectName(QStringLiteral("CheckCustom"));
    m_customText = new QLineEdit;
    m_customText->setObjectName(QStringLiteral("customtext"));
    m_customText->setEnabled(false);
    connect(m_custom, &QCheckBox::toggled, m_customText, &QWidget::setEnabled);
    auto* custom = new QHBoxLayout;
    custom->addWidget(m_custom);
    custom->addWidget(m_customText);
    layout->addLayout(custom);
    m_numbering = new QCheckBox(QStringLiteral("Use automatic numbering"));
    m_numbering->setObjectName(QStringLiteral("CheckNumbering"));
    layout->addWidget(m_numbering);
  }
  m_progress = new QProgressBar;
  m_progress->setObjectName(QStringLiteral("ProgressBar1"));
  m_progress->setRange(0, 1);
  m_progress->setValue(0);
  layout->addWidget(m_progress);
  m_record = new QLabel;
  m_record->setObjectName(QStringLiteral("recordlabel"));
  layout->addWidget(m_record);
  m_status = new QLabel;
  m_status->setObjectName(QStringLiteral("statuslabel"));
  m_status->setWordWrap(true);
  m_status->setMinimumHeight(48);
  layout->addWidget(m_status);
  m_go = new QPushButton(download() ? QStringLiteral("Import") : QStringLiteral("Export"));
  m_go->setObjectName(QStringLiteral("Command1"));
  connect(m_go, &QPushButton::clicked, this, [this] { start(); });
  layout->addWidget(m_go, 0, Qt::AlignRight);
}

QString TransferWindow::receiverPort() const {
  return m_app.ini.get(QLatin1String(kReceiverSection), QLatin1String(kReceiverPortKey), QStringLiteral("1"));
}

// Until the timer has seen the end and given the controls back.
bool TransferWindow::busy() const { return m_timer->isActive(); }

void TransferWindow::setControlsEnabled(bool on) {
  for (QWidget* w : {static_cast<QWidget*>(m_datum), static_cast<QWidget*>(m_types), static_cast<QWidget*>(m_groups),
                     static_cast<QWidget*>(m_routes), static_cast<QWidget*>(m_combine), static_cast<QWidget*>(m_custom),
                     static_cast<QWidget*>(m_numbering), static_cast<QWidget*>(m_routeNumber), static_cast<QWidget*>(m_go)})
    if (w) w->setEnabled(on);
  if (m_customText) m_customText->setEnabled(on && m_custom->isChecked());
  if (on) QApplication::restoreOverrideCursor();
  else QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TransferWindow::start() {
  if (busy()) return;
  Prompter& ask = m_app.prompter;
  if (m_types && m_types->selectedItems().isEmpty()) return ask.information(MessageText(Msg::NoWaypointType));
  if (m_groups && m_groups->selectedItems().isEmpty()) return ask.information(MessageText(Msg::NoWaypointGroup));
  if (m_routes && m_routes->selectedItems().isEmpty()) return ask.information(MessageText(Msg::NoRouteSelected));
  // Two readers on one line would each get part of the bytes.
  const QString port = receiverPort();
  if (m_app.receiver.isRunning()) {
    const QString device = resolveSerialDevice(port);
    const int sets = std::clamp(m_app.settings.Ports.toInt(), 1, 4);
    for (int i = 0; i < sets; ++i)
      if (resolveSerialDevice(m_app.settings.Comm[static_cast<size_t>(i)].Port) == device)
        return ask.exclamation(transfer_text::portHeldByCommunication(port));
  }
  if (!download()) {
    UploadOptions options;
    if (m_custom->isChecked()) options.customDescription = m_customText->text();
    options.numbering = m_numbering->isChecked();
    if (m_routeNumber) options.routeNumber = m_routeNumber->value();
    m_plan = m_routes ? routeUpload(m_app.db, m_app.datumLookup, selectedKeys(m_routes), options)
                      : waypointUpload(m_app.db, m_app.datumLookup, selectedKeys(m_groups), selectedKeys(m_types),
                                       dataset() == Dataset::Proximity, options);
    if (!m_plan.error.isEmpty()) return ShowError(ask, 0, m_plan.error);
    if (m_plan.items.empty()) return ask.information(MessageText(Msg::NoWaypoints));
  }
  m_link = m_linkFactory();
  if (!m_link->open(port, receiverSerialSettings(m_make), Handshake::None)) {
    ask.exclamation(QStringLiteral("COM %1: %2").arg(port, m_link->errorText()));
    m_link.reset();
    return;
  }
  TransferSink* sink = this;
  if (download()) {
    DownloadTarget target;
    target.datum = m_datum->currentData().toInt();
    target.type = m_types ? selectedKeys(m_types).at(0) : 0;
    target.group = m_groups ? selectedKeys(m_groups).at(0) : 0;
    target.oneTrack = m_combine && m_combine->isChecked();
    target.kind = m_make;
    m_store = std::make_unique<TransferStore>(m_app.db, m_app.datumLookup, m_app.clock, target, static_cast<TransferSink*>(this));
    if (m_tracks) {
      m_store->onStored = [this](const StoredRecord& r) {
        if (r.kind == StoredRecord::Kind::Track) m_tracks->addItem(r.description);
      };
    }
    if (!m_store->begin()) {
      ShowError(ask, 0, m_store->error());
      m_store.reset();
      m_link->close();
      return;
    }
    sink = m_store.get();
  }
  m_transfer = makeReceiverTransfer(m_make, *m_link, m_app.clock, *sink);
  m_link->onBytes = [this](const QByteArray& b) { m_transfer->onBytes(b); };
  m_link->onError = [this, port](const QString& e) { m_transfer->portFailed(QStringLiteral("COM %1: %2").arg(port, e)); };
  m_transfer->askUser = [this](const QString& q) { return m_app.prompter.question(q); };
  m_transfer->beep = [] { QApplication::beep(); };
  m_transfer->onSent = [this](int i) {
    m_progress->setValue(i + 1);
    m_record->setText(m_plan.labels.value(i));
  };
  m_status->clear();
  m_record->clear();
  m_progress->setRange(0, download() ? 1 : static_cast<int>(m_plan.items.size()));
  m_progress->setValue(0);
  setControlsEnabled(false);
  if (download()) m_transfer->startDownload(dataset());
  else m_transfer->startUpload(dataset(), m_plan.items);
  m_timer->start();
}

void TransferWindow::finish() {
  m_timer->stop();
  if (m_link) m_link->close();
  setControlsEnabled(true);
}

void TransferWindow::setStatus(const QString& s) { m_status->setText(s); }
void TransferWindow::appendStatus(const QString& s) { m_status->setText(m_status->text() + s); }
void TransferWindow::recordsExpected(int n) {
  m_progress->setRange(0, std::max(n, 1));
  m_progress->setValue(n < 1 ? 1 : 0);
}
void TransferWindow::recordShown(const QString& s) {
  m_record->setText(s);
  if (s == transfer_text::noData()) return;
  // Magellan announces no count: the bar wraps at its end.
  m_progress->setValue(m_progress->value() >= m_progress->maximum() ? 1 : m_progress->value() + 1);
}
void TransferWindow::recordRejected(const QString& s) { m_record->setText(s); }
void TransferWindow::completed() { m_progress->setValue(m_progress->maximum()); }
void TransferWindow::failed(const QString& m) {
  finish();
  m_app.prompter.exclamation(m);
}

void registerTransferWindows(App& app) {
  for (ReceiverKind make : {ReceiverKind::Garmin, ReceiverKind::Magellan})
    for (int k = 0; k <= static_cast<int>(TransferWindowKind::UploadRoutes); ++k) {
      const auto kind = static_cast<TransferWindowKind>(k);
      app.windows.add(transferWindowName(kind, make), [kind, make](App& a) { return new TransferWindow(a, kind, make); });
    }
  registerGpxWindows(app);
}

void installTransferMenus(App& app, MainWindow& window) {
  QMenu* comm = window.ensureMenu(QStringLiteral("m_comm"), QStringLiteral("&Communication"));
  comm->addSeparator();
  for (ReceiverKind make : {ReceiverKind::Garmin, ReceiverKind::Magellan}) {
    const bool garmin = make == ReceiverKind::Garmin;
    QMenu* sub = comm->addMenu(garmin ? QStringLiteral("&Garmin") : QStringLiteral("&Magellan"));
    sub->setObjectName(garmin ? QStringLiteral("c_garmin") : QStringLiteral("c_magellan"));
    for (int k = 0; k <= static_cast<int>(TransferWindowKind::UploadRoutes); ++k) {
      const auto kind = static_cast<TransferWindowKind>(k);
      // Magellan receivers keep no proximity waypoints.
      if (!garmin && (kind == TransferWindowKind::DownloadProximity || kind == TransferWindowKind::UploadProximity)) continue;
      if (kind == TransferWindowKind::UploadWaypoints) sub->addSeparator();
      QAction* a = sub->addAction(QLatin1String(infoOf(kind).menuText));
      const QString name = transferWindowName(kind, make);
      a->setObjectName(QStringLiteral("c_") + name);
      QObject::connect(a, &QAction::triggered, &window, [&app, name] {
        if (app.windows.open) app.windows.open(name);
      });
    }
  }
}

}  // namespace tavrik
