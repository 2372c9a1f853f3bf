#pragma once
// The log choosers: `gpspllog` (show or plot), `gpsplog` (print) and `gpsldel`
// (delete), one window with the entry types and a date-and-time range; and the
// calendar `gpscal` that fills a date box.

#include <QDate>
#include <QWidget>

#include "log/log_query.h"

class QCalendarWidget;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tavrik {

class App;

void registerLogChooserWindows(App& app);

class CalendarWindow : public QWidget {
  Q_OBJECT
 public:
  explicit CalendarWindow(QDate date, QWidget* parent = nullptr);
  QCalendarWidget* calendar() const { return m_calendar; }
 signals:
  void chosen(QDate date);

 private:
  QCalendarWidget* m_calendar = nullptr;
};

class LogChooserWindow : public QWidget {
  Q_OBJECT
 public:
  LogChooserWindow(App& app, ChooserKind kind, QWidget* parent = nullptr);
  // OK: checks the choice and shows, plots, prints or deletes; false when refused.
  bool accept();
  void cancel();

 private:
  void openCalendar(QLineEdit* box);
  App& m_app;
  ChooserKind m_kind;
  QListWidget* m_list = nullptr;
  QLineEdit *m_from = nullptr, *m_to = nullptr, *m_fromTime = nullptr, *m_toTime = nullptr;
  QPushButton* m_ok = nullptr;
};

}  // namespace tavrik
