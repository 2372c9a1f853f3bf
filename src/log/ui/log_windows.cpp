#include "log/ui/log_windows.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "core/ui/main_window.h"
#include "geo/ui/calculation_windows.h"
#include "geo/ui/position_control.h"
#include "geo/ui/record_list_window.h"
#include "log/ui/graph_window.h"
#include "log/ui/instrument_windows.h"
#include "log/ui/log_chooser_window.h"
#include "log/ui/log_list_window.h"

namespace tavrik {

LogTextWindow::LogTextWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsltext"));
  setWindowTitle(tr("Log entry"));
  m_type = new QComboBox(this);
  m_type->setObjectName(QStringLiteral("Combo1"));
  m_type->setEditable(true);
  for (const QVariantList& row :
       app.db.rows(QStringLiteral("SELECT description FROM [Log entry types] ORDER BY [Entry type]"))) {
    const QString d = row.value(0).toString();
    if (!reservedLogEntryTypes().contains(d, Qt::CaseInsensitive)) m_type->addItem(d);
  }
  m_position = makePositionControl(app, QStringLiteral("position"), this);
  if (app.logbook.lastMarked) m_position->setPosition(app.logbook.lastMarked->lat, app.logbook.lastMarked->lon);
  else m_position->setPosition(app.nav.Latitude, app.nav.Longitude);
  m_text = new QTextEdit(this);
  m_text->setObjectName(QStringLiteral("ltext"));
  m_text->setAcceptRichText(false);
  m_text->setMinimumHeight(80);


  auto* form = new QFormLayout;
  form->addRow(tr("Type"), m_type);
  form->addRow(tr("Position"), m_position);
  form->addRow(tr("Text"), m_text);
  QLayout* buttons = okCancelRow(this, "Command1", "Command2", [this] { accept(); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

void LogTextWindow::accept() {
  m_position->applyEntry();
  LogEntryRequest e;
  e.type = m_type->currentText().trimmed();
  e.positionText = m_position->position();
  e.positionLat = static_cast<float>(m_position->latitude());
  e.positionLon = static_cast<float>(m_position->longitude());
  e.memo = m_text->toPlainText();
  m_app.logbook.RaiseLogEntry(e);
  closeWindow(this);
}

LogSetupWindow::LogSetupWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpslogset"));
  setWindowTitle(tr("Log setup"));
  m_interval = new QLineEdit(QString::number(app.settings.system.logInterval), this);
  m_interval->setObjectName(QStringLiteral("interval"));
  m_atStartup = new QCheckBox(tr("Start log at startup"), this);
  m_atStartup->setObjectName(QStringLiteral("startlog"));
  m_atStartup->setChecked(app.settings.system.startLog);
  auto* form = new QFormLayout;
  form->addRow(tr("Log interval (seconds)"), m_interval);
  form->addRow(QString(), m_atStartup);
  QLayout* buttons = okCancelRow(this, "cmdOK", "cmdCancel", [this] { accept(); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

bool LogSetupWindow::accept() {
  StoreResult r;
  const int message = storeLogSettings(m_app.db, m_app.settings, m_interval->text(), m_atStartup->isChecked(), &r);
  if (message > 0) {
    m_app.prompter.exclamation(MessageText(message));
    m_interval->setFocus();
    return false;
  }
  if (message < 0) {
    reportStoreFailure(m_app, r);
    return false;
  }
  closeWindow(this);
  return true;
}

LogEntryTypeEditWindow::LogEntryTypeEditWindow(App& app, QWidget* parent) : RecordEditWindow(parent), m_app(app) {
  setObjectName(QStringLiteral("gpseentr"));
  setWindowTitle(tr("Log entry type"));
  m_description = new QLineEdit(this);
  m_description->setObjectName(QStringLiteral("description"));
  m_description->setMaxLength(50);
  auto* form = new QFormLayout;
  form->addRow(tr("Description"), m_description);
  layOut(form, new QLabel(this));
}

bool LogEntryTypeEditWindow::start(const QString& description) {
  m_original = description;
  m_description->setText(description);
  return true;
}

bool LogEntryTypeEditWindow::save() {
  StoreResult r;
  const QString d = m_description->text().trimmed();
  const int message = storeLogEntryType(m_app.db, m_original, d, m_app.clock.now(), &r);
  if (message > 0) {
    m_app.prompter.information(MessageText(message));
    m_description->setFocus();
    return false;
  }
  if (message < 0) {
    reportStoreFailure(m_app, r);
    return false;
  }
  emit saved(d);
  closeWindow(this);
  return true;
}

void registerLogWindows(App& app) {
  app.windows.add(QStringLiteral("gpsltext"), [](App& a) { return new LogTextWindow(a); });
  app.windows.add(QStringLiteral("gpseentr"), [](App& a) { return new LogEntryTypeEditWindow(a); });
  app.windows.add(QStringLiteral("gpslogset"), [](App& a) { return new LogSetupWindow(a); });
  app.windows.add(QStringLiteral("gpsentr"), [](App& a) {
    RecordListWindow::Config c;
    c.title = QObject::tr("Log entry types");
    c.query = QStringLiteral("SELECT description, [Entry type] FROM [Log entry types] ORDER BY description");
    c.table = QStringLiteral("Log entry types");
    c.keyField = QStringLiteral("Entry type");
    c.editWindow = QStringLiteral("gpseentr");
    auto* w = new RecordListWindow(a, c);
    w->setObjectName(QStringLiteral("gpsentr"));
    return w;
  });
  registerLogChooserWindows(app);
  registerLogListWindow(app);
  registerGraphWindows(app);
  registerInstrumentWindows(app);
}

void installLogbook(App& app, MainWindow& window) {
  QMenu* menu = window.ensureMenu(QStringLiteral("m_log"), QObject::tr("&Log"));
  auto* timer = new QTimer(&window);
  timer->setObjectName(QStringLiteral("logtimer"));
  timer->setInterval(1000);
  QObject::connect(timer, &QTimer::timeout, &window, [&app] { app.logbook.tick(); });

  const auto add = [&](const QString& text, const char* name, std::function<void()> run) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    QObject::connect(a, &QAction::triggered, &window, std::move(run));
    return a;
  };
  const auto open = [&window](const char* name) { return [&window, name] { window.openWindow(QLatin1String(name)); }; };
  QAction* start = add(QObject::tr("&Start logging"), "l_start", [&app] { app.logbook.start(); });
  QAction* stop = add(QObject::tr("S&top logging"), "l_stop", [&app] { app.logbook.stop(); });
  stop->setEnabled(false);
  app.logbook.onRunningChanged = [timer, start, stop](bool running) {
    if (running) timer->start();
    else timer->stop();
    start->setEnabled(!running);
    stop->setEnabled(running);
  };
  menu->addSeparator();
  add(QObject::tr("Log &entry..."), "l_text", open("gpsltext"));
  add(QObject::tr("Show &log..."), "l_show", [&window] { window.runCommand(QStringLiteral("showlog")); });
  add(QObject::tr("&Plot log..."), "l_plot", [&window] { window.runCommand(QStringLiteral("plotlog")); });
  add(QObject::tr("&Clear log plot"), "l_plotoff", [&app] {
    app.logDisplay.LogPlotOn = false;
    if (app.logDisplay.plotChanged) app.logDisplay.plotChanged();
  });
  add(QObject::tr("P&rint log..."), "l_print", open("gpsplog"));
  add(QObject::tr("&Delete log entries..."), "l_delete", open("gpsldel"));
  add(QObject::tr("Entry &types..."), "l_types", open("gpsentr"));
  add(QObject::tr("Log &setup..."), "l_setup", open("gpslogset"));
  menu->addSeparator();
  add(QObject::tr("&Temperature graph"), "l_temp", open("gpsgrapt"));
  add(QObject::tr("&Barograph"), "l_baro", open("gpsgrapp"));
  add(QObject::tr("De&pth graph"), "l_depth", open("gpsgrapd"));
  add(QObject::tr("&Graph setup..."), "l_gset", open("gpsgset"));
  menu->addSeparator();
  add(QObject::tr("&Instruments"), "l_instr", open("gpsinstr"));
  add(QObject::tr("&Wind"), "l_wind", open("gpsswind"));
  add(QObject::tr("&Calculate wind..."), "l_cwind", open("gpswind"));
  add(QObject::tr("De&viation table..."), "l_dev", open("gpsdev"));

  // "Show" and "Plot" both run the chooser; its OK opens the list or sets the plot.
  const auto chooser = [&app, &window](const QString& mode) {
    app.logDisplay.LogChooserMode = mode;
    if (QWidget* w = window.findWindow(QStringLiteral("gpspllog"))) closeWindow(w);
    window.openWindow(QStringLiteral("gpspllog"));
  };
  window.addCommand(QStringLiteral("showlog"), [chooser] { chooser(QStringLiteral("Show")); });
  window.addCommand(QStringLiteral("plotlog"), [chooser] { chooser(QStringLiteral("Plot")); });
}

}  // namespace tavrik
