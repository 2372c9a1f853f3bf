#pragma once
// The geo windows in the main window's frame over a real database file made as at first
// start (with the built-in rows), and the ways a test works them.

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/ui/main_window.h"
#include "geo/ui/calculation_windows.h"
#include "geo/ui/datum_windows.h"
#include "store/schema.h"
#include "ui_test_app.h"

namespace tavrik::test {

// Typing into a box as a user does: it gets the focus, its text is replaced, and it is left.
inline void enter(QLineEdit* box, const QString& text) {
  QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
  QCoreApplication::sendEvent(box, &in);
  box->clear();
  box->setModified(true);
  box->insert(text);
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(box, &out);
}

class GeoWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createMainDatabase(app().db, m_t.paths.file(QStringLiteral("gps.db")), m_t.clock.now()).ok());
    app().settings.system.grid = 0;
    m_window = std::make_unique<MainWindow>(app());
    registerGridWindows(app());
    registerDatumWindows(app());
    addDatumMenuEntries(*m_window);
    addCalculationMenu(*m_window);
    m_window->show();
  }
  void TearDown() override { m_window.reset(); }

  App& app() { return *m_t; }
  QWidget* open(const char* name) { return m_window->openWindow(QLatin1String(name)); }
  QWidget* find(const char* name) { return m_window->findWindow(QLatin1String(name)); }
  template <typename T>
  T* child(QWidget* w, const char* name) {
    T* c = w ? w->findChild<T*>(QLatin1String(name)) : nullptr;
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  QLineEdit* box(QWidget* w, const char* name) { return child<QLineEdit>(w, name); }
  void click(QWidget* w, const char* button) {
    if (auto* b = child<QPushButton>(w, button)) b->click();
  }
  static QStringList texts(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }
  static bool select(QListWidget* list, const QString& text) {
    const auto items = list->findItems(text, Qt::MatchExactly);
    if (!items.isEmpty()) list->setCurrentItem(items.first());
    return !items.isEmpty();
  }
  // Opens a list window, selects a row (nullptr: none) and presses one of its buttons; the
  // edit window that opened (the list's name with an "e" after "gps"), if any.
  QWidget* press(const char* listWindow, const char* row, const char* button) {
    QWidget* list = open(listWindow);
    auto* rows = child<QListWidget>(list, "List1");
    if (rows && row) { EXPECT_TRUE(select(rows, QLatin1String(row))) << row; }
    click(list, button);
    return m_window->findWindow(QStringLiteral("gpse") + QLatin1String(listWindow).mid(3));
  }
  QVariant scalar(const QString& sql) { return app().db.scalar(sql); }
  QString lastMessage() { return m_t.prompter.lastText(); }

  TestApp m_t;
  std::unique_ptr<MainWindow> m_window;
};

}  // namespace tavrik::test
