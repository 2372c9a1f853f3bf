#include "log/ui/log_chooser_window.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "geo/ui/record_list_window.h"
#include "log/log_rows.h"
#include "log/ui/log_list_window.h"

namespace tavrik {

CalendarWindow::CalendarWindow(QDate date, QWidget* parent) : QWidget(parent, Qt::Popup) {
  setObjectName(QStringLiteral("gpscal"));
  setAttribute(Qt::WA_DeleteOnClose);
  m_calendar = new QCalendarWidget(this);
  m_calendar->setSelectedDate(date.isValid() ? date : QDate::currentDate());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_calendar);
  connect(m_calendar, &QCalendarWidget::activated, this, [this](QDate d) {
    emit chosen(d);
    close();
  });
  connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate d) {
    emit chosen(d);
    close();
  });
}

LogChooserWindow::LogChooserWindow(App& app, ChooserKind kind, QWidget* parent)
    : QWidget(parent), m_app(app), m_kind(kind) {
  setObjectName(kind == ChooserKind::Print    ? QStringLiteral("gpsplog")
                : kind == ChooserKind::Delete ? QStringLiteral("gpsldel")
                                              : QStringLiteral("gpspllog"));
  const QString mode = app.logDisplay.LogChooserMode;
  setWindowTitle(kind == ChooserKind::Print    ? tr("Print log")
                 : kind == ChooserKind::Delete ? tr("Delete log entries")
                 : mode == QLatin1String("Plot") ? tr("Plot log")
                                                 : tr("Show log"));
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("List1"));
  m_list->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const LogTypeItem& t : chooserTypes(app.db, kind, mode)) {
    auto* item = new QListWidgetItem(t.description, m_list);
    item->setData(Qt::UserRole, t.number);
  }
  const QString today = QLocale().toString(app.clock.now().date(), QLocale::ShortFormat);
  const auto box = [this](const char* name, const QString& text) {
    auto* e = new QLineEdit(text, this);
    e->setObjectName(QLatin1String(name));
    return e;
  };
  m_from = box("from", today);
  m_to = box("tod", today);
  m_fromTime = box("fromh", QStringLiteral("00:00"));
  m_toTime = box("toh", QStringLiteral("23:59"));
  const auto button = [this](const char* name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    return b;
  };
  m_ok = button("Command1", tr("&OK"));
  m_ok->setDefault(true);
  QPushButton* cancelButton = button("Command2", tr("&Cancel"));
  QPushButton* fromCalendar = button("Command3", QStringLiteral("..."));
  QPushButton* toCalendar = button("Command4", QStringLiteral("..."));
  connect(m_ok, &QPushButton::clicked, this, [this] { accept(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
  connect(fromCalendar, &QPushButton::clicked, this, [this] { openCalendar(m_from); });
  connect(toCalendar, &QPushButton::clicked, this, [this] { openCalendar(m_to); });

  auto* range = new QGridLayout;
  range->addWidget(new QLabel(tr("From"), this), 0, 0);
  range->addWidget(m_from, 0, 1);
  range->addWidget(fromCalendar, 0, 2);
  range->addWidget(m_fromTime, 0, 3);
  range->addWidget(new QLabel(tr("To"), this), 1, 0);
  range->addWidget(m_to, 1, 1);
  range->addWidget(toCalendar, 1, 2);
  range->addWidget(m_toTime, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_ok);
  buttons->addWidget(cancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Entry types"), this));
  layout->addWidget(m_list, 1);
  layout->addLayout(range);
  layout->addLayout(buttons);
}

void LogChooserWindow::openCalendar(QLineEdit* box) {
  auto* calendar = new CalendarWindow(QLocale().toDate(box->text(), QLocale::ShortFormat), this);
  connect(calendar, &CalendarWindow::chosen, box,
          [box](QDate d) { box->setText(QLocale().toString(d, QLocale::ShortFormat)); });
  calendar->move(box->mapToGlobal(QPoint(0, box->height())));
  calendar->show();
}

bool LogChooserWindow::accept() {
  std::vector<qint64> types;
  for (QListWidgetItem* item : m_list->selectedItems()) types.push_back(item->data(Qt::UserRole).toLongLong());
  if (types.empty()) {
    m_app.prompter.information(MessageText(Msg::NoLogEntryType));
    return false;
  }
  const LogRange range = readLogRange(m_from->text(), m_fromTime->text(), m_to->text(), m_toTime->text());
  if (!range.valid()) {
    m_app.prompter.exclamation(MessageText(Msg::WrongDateOrTime));
    return false;
  }
  if (m_kind == ChooserKind::Delete) {
    // Deleting runs as one statement in one transaction: all of the range or none.
    StoreResult r = m_app.db.beginTrans();
    if (r) r = m_app.db.execute(logDeletionSql(types, range));
    if (r) r = m_app.db.commitTrans();
    else m_app.db.rollback();
    if (!r) {
      ShowError(m_app.prompter, r.error, r.detail);
      return false;
    }
    if (m_app.logDisplay.LogPlotOn && m_app.logDisplay.plotChanged) m_app.logDisplay.plotChanged();
    closeWindow(this);
    return true;
  }
  const QString selection = logSelectionSql(types, range);
  if (m_kind == ChooserKind::Print) {
    m_ok->setEnabled(false);
    StoreResult r;
    const std::vector<LogRow> rows = readLogRows(m_app.db, selection, &r);
    if (!r) ShowError(m_app.prompter, r.error, r.detail);
    else printLogWithPreview(m_app, rows, this);
    m_ok->setEnabled(true);
    closeWindow(this);
    return r.ok();
  }
  LogDisplay& d = m_app.logDisplay;
  d.LogQuery = selection;
  closeWindow(this);
  if (d.LogChooserMode == QLatin1String("Plot")) {
    d.LogPlotOn = true;
    if (d.plotChanged) d.plotChanged();
  } else if (m_app.windows.open) {
    if (auto* list = qobject_cast<LogListWindow*>(m_app.windows.open(QStringLiteral("gpslshow")))) list->reload();
  }
  return true;
}

void LogChooserWindow::cancel() {
  if (m_kind == ChooserKind::ShowOrPlot) m_app.logDisplay.LogQuery.clear();
  closeWindow(this);
}

void registerLogChooserWindows(App& app) {
  app.windows.add(QStringLiteral("gpspllog"), [](App& a) { return new LogChooserWindow(a, ChooserKind::ShowOrPlot); });
  app.windows.add(QStringLiteral("gpsplog"), [](App& a) { return new LogChooserWindow(a, ChooserKind::Print); });
  app.windows.add(QStringLiteral("gpsldel"), [](App& a) { return new LogChooserWindow(a, ChooserKind::Delete); });
}

}  // namespace tavrik
