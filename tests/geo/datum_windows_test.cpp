// The datum and ellipsoid windows in the main window's frame over a real database file
// made as at first start (with the built-in rows).
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>

#include "core/messages.h"
#include "core/ui/main_window.h"
#include "geo/datum_catalogue.h"
#include "geo/ui/datum_windows.h"
#include "store/schema.h"
#include "ui_test_app.h"

namespace tavrik {
namespace {

class DatumWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    App& app = *m_t;
    ASSERT_TRUE(createMainDatabase(app.db, m_t.paths.file(QStringLiteral("gps.db")), m_t.clock.now()).ok());
    m_window = std::make_unique<MainWindow>(app);
    registerDatumWindows(app);
    addDatumMenuEntries(*m_window);
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
  void click(QWidget* w, const char* button) {
    if (auto* b = child<QPushButton>(w, button)) b->click();
  }
  static QStringList texts(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }
  bool select(QListWidget* list, const QString& text) {
    const auto items = list->findItems(text, Qt::MatchExactly);
    if (items.isEmpty()) return false;
    list->setCurrentItem(items.first());
    return true;
  }
  QVariant scalar(const QString& sql) { return app().db.scalar(sql); }
  QString lastMessage() { return m_t.prompter.lastText(); }
  // Typing into a box: it gets the focus first, as when the user clicks into it.
  static void type(QLineEdit* box, const QString& text) {
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(box, &in);
    box->setText(text);
  }

  test::TestApp m_t;
  std::unique_ptr<MainWindow> m_window;
};

TEST_F(DatumWindows, SetupMenuOpensTheLists) {
  QMenu* setup = m_window->menu(QStringLiteral("m_setup"));
  ASSERT_NE(setup, nullptr);
  for (const auto& [action, window] : {std::pair{"s_datums", "gpsdatum"}, std::pair{"s_ellipsoids", "gpselips"}}) {
    SCOPED_TRACE(action);
    QAction* a = nullptr;
    for (QAction* x : setup->actions())
      if (x->objectName() == QLatin1String(action)) a = x;
    ASSERT_NE(a, nullptr);
    a->trigger();
    EXPECT_NE(find(window), nullptr);
  }
}

TEST_F(DatumWindows, ListsShowEveryRowButDefaultByDescription) {
  auto* datums = child<QListWidget>(open("gpsdatum"), "List1");
  auto* ellipsoids = child<QListWidget>(open("gpselips"), "List1");
  ASSERT_TRUE(datums && ellipsoids);
  const QStringList d = texts(datums), e = texts(ellipsoids);
  EXPECT_EQ(d.size(), int(builtinDatums().size()) - 1);
  EXPECT_EQ(e.size(), int(builtinEllipsoids().size()) - 1);
  EXPECT_FALSE(d.contains(QStringLiteral("Default")));
  EXPECT_FALSE(e.contains(QStringLiteral("Default")));
  EXPECT_TRUE(d.contains(QStringLiteral("WGS-84")));
  EXPECT_TRUE(e.contains(QStringLiteral("WGS 84")));
  QStringList sorted = d;
  std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  EXPECT_EQ(d, sorted);
}

TEST_F(DatumWindows, NewDatumIsCheckedThenStored) {
  QWidget* list = open("gpsdatum");
  click(list, "cmdNew");
  QWidget* edit = find("gpsedatum");
  ASSERT_NE(edit, nullptr);
  auto* desc = child<QLineEdit>(edit, "desc");
  auto* ellipse = child<QComboBox>(edit, "ellipse");
  ASSERT_TRUE(desc && ellipse);
  // A new row starts with no ellipsoid and shifts of 0; the choice offers every row.
  EXPECT_EQ(ellipse->currentIndex(), -1);
  EXPECT_EQ(ellipse->count(), int(builtinEllipsoids().size()));
  EXPECT_EQ(child<QLineEdit>(edit, "x")->text(), "0");

  struct Step {
    const char* legend;
    const char* desc;
    const char* ellipsoid;  // nullptr: none chosen
    int message;
  };
  const Step steps[] = {
      {"no description", "", "Bessel 1841", Msg::DescriptionMustHaveValue},
      {"no ellipsoid", "Skipper's datum", nullptr, Msg::NoEllipseSelected},
      {"description taken", "tokyo (japan)", "Bessel 1841", Msg::NameExists},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.legend);
    m_t.prompter.clear();
    desc->setText(QString::fromUtf8(s.desc));
    ellipse->setCurrentIndex(s.ellipsoid ? ellipse->findText(QLatin1String(s.ellipsoid)) : -1);
    click(edit, "cmdOK");
    EXPECT_EQ(lastMessage(), MessageText(s.message));
    EXPECT_NE(find("gpsedatum"), nullptr) << "the window stays open";
  }
  const QVariant rowsBefore = scalar(QStringLiteral("SELECT COUNT(*) FROM Datums"));

  desc->setText(QStringLiteral("Skipper's datum"));
  ellipse->setCurrentIndex(ellipse->findText(QStringLiteral("Bessel 1841")));
  child<QLineEdit>(edit, "x")->setText(QStringLiteral("582.5"));
  child<QLineEdit>(edit, "y")->setText(QStringLiteral("105"));
  child<QLineEdit>(edit, "z")->setText(QStringLiteral("-414"));
  m_t.prompter.clear();
  click(edit, "cmdOK");
  EXPECT_TRUE(m_t.prompter.empty()) << lastMessage().toStdString();
  EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Datums")).toInt(), rowsBefore.toInt() + 1);
  auto rs = app().db.openRecordset(QStringLiteral("SELECT * FROM Datums WHERE description = 'Skipper''s datum'"));
  ASSERT_FALSE(rs->eof());
  EXPECT_EQ(rs->integer(QStringLiteral("ellipse")), 4);
  EXPECT_EQ(rs->number(QStringLiteral("x")), 582.5);
  EXPECT_EQ(rs->number(QStringLiteral("y")), 105);
  EXPECT_EQ(rs->number(QStringLiteral("z")), -414);
  // Numbered after the highest built-in datum.
  EXPECT_EQ(rs->integer(QStringLiteral("datum")), builtinDatums().back().datum + 1);
  rs->close();
  auto* l = child<QListWidget>(list, "List1");
  ASSERT_TRUE(l->currentItem());
  EXPECT_EQ(l->currentItem()->text(), "Skipper's datum");
}

TEST_F(DatumWindows, EditDatumChangesTheRowFoundByDescription) {
  QWidget* list = open("gpsdatum");
  auto* l = child<QListWidget>(list, "List1");
  m_t.prompter.clear();
  click(list, "cmdEdit");
  EXPECT_EQ(lastMessage(), MessageText(Msg::NoRecordSelected));
  EXPECT_EQ(find("gpsedatum"), nullptr);

  ASSERT_TRUE(select(l, QStringLiteral("European 1950 (mean)")));
  click(list, "cmdEdit");
  QWidget* edit = find("gpsedatum");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(child<QLineEdit>(edit, "desc")->text(), "European 1950 (mean)");
  EXPECT_EQ(child<QComboBox>(edit, "ellipse")->currentText(), "International 1924");
  EXPECT_EQ(child<QLineEdit>(edit, "x")->text(), "-87");
  EXPECT_EQ(child<QLineEdit>(edit, "z")->text(), "-121");
  child<QLineEdit>(edit, "desc")->setText(QStringLiteral("ED50"));
  child<QLineEdit>(edit, "y")->setText(QStringLiteral("-97.5"));
  click(edit, "cmdOK");
  EXPECT_EQ(scalar(QStringLiteral("SELECT y FROM Datums WHERE datum = 12")).toDouble(), -97.5);
  EXPECT_EQ(scalar(QStringLiteral("SELECT description FROM Datums WHERE datum = 12")).toString(), "ED50");
  EXPECT_TRUE(texts(l).contains(QStringLiteral("ED50")));
  EXPECT_FALSE(texts(l).contains(QStringLiteral("European 1950 (mean)")));
}

TEST_F(DatumWindows, DatumEditNeedsEllipsoids) {
  ASSERT_TRUE(app().db.execute(QStringLiteral("DELETE FROM Ellipsoids")).ok());
  QWidget* list = open("gpsdatum");
  for (const char* button : {"cmdNew", "cmdEdit"}) {
    SCOPED_TRACE(button);
    m_t.prompter.clear();
    select(child<QListWidget>(list, "List1"), QStringLiteral("WGS-84"));
    click(list, button);
    EXPECT_EQ(lastMessage(), MessageText(Msg::NoEllipsoids));
    EXPECT_EQ(find("gpsedatum"), nullptr);
  }
}

TEST_F(DatumWindows, DeleteAsksFirst) {
  QWidget* list = open("gpsdatum");
  auto* l = child<QListWidget>(list, "List1");
  const QString name = QStringLiteral("Hong Kong 1963");
  struct Row {
    const char* legend;
    bool select, answer, gone;
    int message;
  };
  const Row rows[] = {
      {"nothing selected", false, true, false, Msg::NoRecordSelected},
      {"answered No", true, false, false, Msg::SureDelete},
      {"answered Yes", true, true, true, Msg::SureDelete},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    m_t.prompter.clear();
    l->setCurrentItem(nullptr);
    if (r.select) {
      ASSERT_TRUE(select(l, name));
    }
    if (r.select) m_t.prompter.answer(r.answer);  // only a selection is asked about
    click(list, "cmdDelete");
    ASSERT_FALSE(m_t.prompter.empty());
    EXPECT_EQ(m_t.prompter.entries().front().text, MessageText(r.message));
    const int left = scalar(QStringLiteral("SELECT COUNT(*) FROM Datums WHERE description = 'Hong Kong 1963'")).toInt();
    EXPECT_EQ(left, r.gone ? 0 : 1);
    EXPECT_EQ(texts(l).contains(name), !r.gone);
  }
}

TEST_F(DatumWindows, DeletingADatumInUseIsRefusedAndKeepsIt) {
  ASSERT_TRUE(app().db.execute(QStringLiteral(
      "INSERT INTO Waypoints (description, latitude, longitude, datum) VALUES ('Buoy', 52, 4, 12)")).ok());
  QWidget* list = open("gpsdatum");
  ASSERT_TRUE(select(child<QListWidget>(list, "List1"), QStringLiteral("European 1950 (mean)")));
  m_t.prompter.answer(true);
  click(list, "cmdDelete");
  EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Datums WHERE datum = 12")).toInt(), 1);
  EXPECT_GE(m_t.prompter.entries().size(), 2u) << "the refusal is reported";
}

TEST_F(DatumWindows, EllipsoidEditKeepsBoxesInStep) {
  QWidget* list = open("gpselips");
  ASSERT_TRUE(select(child<QListWidget>(list, "List1"), QStringLiteral("International 1924")));
  click(list, "cmdEdit");
  QWidget* edit = find("gpseelips");
  ASSERT_NE(edit, nullptr);
  auto* a = child<QLineEdit>(edit, "majoraxis");
  auto* b = child<QLineEdit>(edit, "minoraxis");
  auto* da = child<QLineEdit>(edit, "da");
  auto* df = child<QLineEdit>(edit, "df");
  EXPECT_EQ(a->text(), "6378388");
  EXPECT_EQ(da->text(), "-251");
  EXPECT_EQ(df->text(), "-0.1419270664");  // 33.5281066474748 - 10000 (a - b) / a

  type(da, QStringLiteral("0"));
  EXPECT_EQ(a->text(), "6378137");
  type(df, QStringLiteral("0"));
  EXPECT_EQ(b->text(), "6356752.3");  // a (1 - 1/298.257223563) to 0.1 m
  EXPECT_EQ(da->text(), "0") << "no echo back into the box being typed in";
  type(a, QStringLiteral("6378388"));
  EXPECT_EQ(da->text(), "-251");
  EXPECT_EQ(df->text(), "0") << "editing a does not touch df";

  type(b, QString());
  m_t.prompter.clear();
  click(edit, "cmdOK");
  EXPECT_EQ(lastMessage(), MessageText(Msg::MinorAxisFilled));
  type(a, QString());
  click(edit, "cmdOK");
  EXPECT_EQ(lastMessage(), MessageText(Msg::MajorAxisFilled));

  type(a, QStringLiteral("6378388"));
  type(b, QStringLiteral("6356911.9461"));
  m_t.prompter.clear();
  click(edit, "cmdOK");
  EXPECT_TRUE(m_t.prompter.empty()) << lastMessage().toStdString();
  EXPECT_EQ(find("gpseelips"), nullptr);
  EXPECT_EQ(scalar(QStringLiteral("SELECT minoraxis FROM Ellipsoids WHERE ellipse = 18")).toDouble(), 6356911.9461);
}

TEST_F(DatumWindows, NewEllipsoidIsNumberedAfterTheHighest) {
  click(open("gpselips"), "cmdNew");
  QWidget* edit = find("gpseelips");
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(child<QLineEdit>(edit, "majoraxis")->text().isEmpty());
  child<QLineEdit>(edit, "desc")->setText(QStringLiteral("Clarke 1880 (IGN)"));
  type(child<QLineEdit>(edit, "majoraxis"), QStringLiteral("6378249.2"));
  type(child<QLineEdit>(edit, "minoraxis"), QStringLiteral("6356515"));
  m_t.prompter.clear();
  click(edit, "cmdOK");
  EXPECT_TRUE(m_t.prompter.empty()) << lastMessage().toStdString();
  EXPECT_EQ(scalar(QStringLiteral("SELECT ellipse FROM Ellipsoids WHERE description = 'Clarke 1880 (IGN)'")).toInt(),
            kWgs84Ellipse + 1);
}

TEST_F(DatumWindows, Screenshots) {
  const QString dir = qEnvironmentVariable("TAVRIK_SHOTS");
  if (dir.isEmpty()) GTEST_SKIP() << "set TAVRIK_SHOTS to a folder";
  m_window->resize(1100, 720);
  QWidget* list = open("gpsdatum");
  ASSERT_TRUE(select(child<QListWidget>(list, "List1"), QStringLiteral("Ireland 1965")));
  click(list, "cmdEdit");
  QWidget* elist = open("gpselips");
  ASSERT_TRUE(select(child<QListWidget>(elist, "List1"), QStringLiteral("Bessel 1841")));
  click(elist, "cmdEdit");
  for (const char* name : {"gpsdatum", "gpsedatum", "gpselips", "gpseelips"}) {
    QWidget* w = find(name);
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->grab().save(dir + '/' + QLatin1String(name) + ".png"));
  }
  m_window->mdiArea()->tileSubWindows();
  EXPECT_TRUE(m_window->grab().save(dir + "/datum_windows_frame.png"));
}

}  // namespace
}  // namespace tavrik
