#include "nav/ui/waypoint_upload_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"

namespace tavrik {
namespace {

void closeHost(QWidget* w) {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) sub->close();
  else w->close();
}

QListWidget* numberedList(App& app, const QString& table, const QString& key, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setSelectionMode(QAbstractItemView::MultiSelection);
  if (!app.db.isOpen()) return list;
  auto rs = app.db.openRecordset(QStringLiteral("SELECT * FROM [") + table + QStringLiteral("] OrdER BY description"));
  for (; rs && !rs->eof(); rs->moveNext()) {
    auto* item = new QListWidgetItem(rs->text(QStringLiteral("description")), list);
    item->setData(Qt::UserRole, rs->integer(key));
  }
  return list;
}

QStringList chosenNumbers(const QListWidget* list) {
  QStringList out;
  for (const QListWidgetItem* item : list->selectedItems()) out << QString::number(item->data(Qt::UserRole).toLongLong());
  return out;
}

}  // namespace

WaypointUploadWindow::WaypointUploadWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsuwps"));
  setWindowTitle(QStringLiteral("Upload waypoints"));
  auto* layout = new QVBoxLayout(this);
  auto* lists = new QHBoxLayout;
  m_groups = numberedList(app, QStringLiteral("Waypoint groups"), QStringLiteral("Group"), this);
  m_groups->setObjectName(QStringLiteral("groups"));
  m_types = numberedList(app, QStringLiteral("Waypoint types"), QStringLiteral("Type"), this);
  m_types->setObjectName(QStringLiteral("types"));
  auto column = [&](const QString& caption, QWidget* w) {
    auto* v = new QVBoxLayout;
    v->addWidget(new QLabel(caption, this));
    v->addWidget(w);
    lists->addLayout(v);
  };
  column(QStringLiteral("Groups"), m_groups);
  column(QStringLiteral("Types"), m_types);
  layout->addLayout(lists);
  auto* form = new QFormLayout;
  m_port = new QComboBox(this);
  m_port->setObjectName(QStringLiteral("port"));
  for (int i = 0; i < static_cast<int>(app.settings.Comm.size()); ++i)
    m_port->addItem(QStringLiteral("%1: %2").arg(i + 1).arg(app.settings.Comm[static_cast<size_t>(i)].Port), i);
  form->addRow(QStringLiteral("Port"), m_port);
  layout->addLayout(form);
  m_progress = new QProgressBar(this);
  m_progress->setObjectName(QStringLiteral("ProgressBar1"));
  layout->addWidget(m_progress);
  auto* buttons = new QHBoxLayout;
  m_send = new QPushButton(QStringLiteral("&Send"), this);
  m_send->setObjectName(QStringLiteral("ok"));
  m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  m_cancel->setObjectName(QStringLiteral("cancel"));
  buttons->addStretch();
  buttons->addWidget(m_send);
  buttons->addWidget(m_cancel);
  layout->addLayout(buttons);
  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("Timer1"));
  connect(m_timer, &QTimer::timeout, this, [this] { sendNext(); });
  connect(m_send, &QPushButton::clicked, this, [this] { send(); });
  connect(m_cancel, &QPushButton::clicked, this, [this] {
    if (m_upload) m_upload->cancel();
    finish();
  });
}

void WaypointUploadWindow::send() {
  const QString sql = uploadQuery(chosenNumbers(m_groups), chosenNumbers(m_types));
  std::vector<UploadWaypoint> waypoints;
  if (!sql.isEmpty() && m_app.db.isOpen()) {
    auto rs = m_app.db.openRecordset(sql);
    for (; rs && !rs->eof(); rs->moveNext())
      waypoints.push_back({rs->number(QStringLiteral("latitude")), rs->number(QStringLiteral("longitude")),
                           rs->text(QStringLiteral("description"))});
  }
  if (waypoints.empty()) {
    m_app.prompter.information(MessageText(Msg::NoWaypointsSelected));
    return;
  }
  QString error;
  if (!m_out.open(m_app, m_port->currentData().toInt(), error)) {
    // Uploading into a port that did not open would only look like success.
    m_app.prompter.critical(error);
    return;
  }
  m_upload = std::make_unique<WaypointUpload>(loadWplLayout(m_app.ini), std::move(waypoints));
  m_progress->setRange(0, m_upload->total());
  m_progress->setValue(0);
  m_send->setEnabled(false);
  m_groups->setEnabled(false);
  m_types->setEnabled(false);
  m_timer->setInterval(loadWplInterval(m_app.ini) * 1000);
  sendNext();
  if (m_upload) m_timer->start();
}

void WaypointUploadWindow::sendNext() {
  if (!m_upload) return;
  m_out.write(m_upload->next());
  m_progress->setValue(m_upload->sent());
  if (m_upload->finished()) finish();
}

void WaypointUploadWindow::finish() {
  m_timer->stop();
  m_upload.reset();
  m_out.close();
  closeHost(this);
}

WplSetupWindow::WplSetupWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpswpl"));
  setWindowTitle(QStringLiteral("Waypoint upload setup"));
  const WplLayout l = loadWplLayout(app.ini);
  auto* form = new QFormLayout(this);
  auto spin = [&](const char* name, int min, int max, int value) {
    auto* s = new QSpinBox(this);
    s->setObjectName(QLatin1String(name));
    s->setRange(min, max);
    s->setValue(value);
    connect(s, &QSpinBox::valueChanged, this, [this] { showExample(); });
    return s;
  };
  auto check = [&](const char* name, const QString& caption, bool on) {
    auto* c = new QCheckBox(caption, this);
    c->setObjectName(QLatin1String(name));
    c->setChecked(on);
    connect(c, &QCheckBox::toggled, this, [this] { showExample(); });
    return c;
  };
  m_nmea = new QLineEdit(l.header, this);
  m_nmea->setObjectName(QStringLiteral("nmea"));
  m_fill = new QLineEdit(l.fill, this);
  m_fill->setObjectName(QStringLiteral("fillchar"));
  m_fill->setMaxLength(1);
  for (QLineEdit* e : {m_nmea, m_fill}) connect(e, &QLineEdit::textChanged, this, [this] { showExample(); });
  m_decimals = spin("decimals", 0, 9, l.decimals);
  m_number = check("number", QStringLiteral("Running &number"), l.number);
  m_maxNumber = spin("maxnumber", 1, 9999, l.maxNumber);
  m_name = check("naam", QStringLiteral("&Name"), l.name);
  m_maxName = spin("maxnaam", 0, 80, l.maxName);
  m_interval = spin("interval", 0, 3600, loadWplInterval(app.ini));
  m_interval->setSuffix(QStringLiteral(" s"));
  form->addRow(QStringLiteral("Sentence"), m_nmea);
  form->addRow(QStringLiteral("Decimals"), m_decimals);
  form->addRow(m_number, m_maxNumber);
  form->addRow(m_name, m_maxName);
  form->addRow(QStringLiteral("Fill character"), m_fill);
  form->addRow(QStringLiteral("Pause after each"), m_interval);
  m_example = new QLabel(this);
  m_example->setObjectName(QStringLiteral("Label1"));
  m_example->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont mono = m_example->font();
  mono.setFamily(QStringLiteral("monospace"));
  m_example->setFont(mono);
  form->addRow(m_example);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    accept();
    closeHost(this);
  });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] { closeHost(this); });
  showExample();
}

WplLayout WplSetupWindow::layout() const {
  WplLayout l;
  l.header = m_nmea->text().trimmed();
  l.decimals = m_decimals->value();
  l.number = m_number->isChecked();
  l.maxNumber = m_maxNumber->value();
  l.name = m_name->isChecked();
  l.maxName = m_maxName->value();
  l.fill = m_fill->text();
  return l;
}

void WplSetupWindow::showExample() { m_example->setText(wplExample(layout())); }

void WplSetupWindow::accept() { saveWplLayout(m_app.ini, layout(), m_interval->value()); }

}  // namespace tavrik
