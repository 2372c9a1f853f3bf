// The datum and ellipsoid lists and their edit windows.
#include <QComboBox>

#include "core/messages.h"
#include "geo/datum_catalogue.h"
#include "geo_windows_fixture.h"

namespace tavrik {
namespace {

using DatumWindows = test::GeoWindows;
using test::enter;

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
  QWidget* edit = press("gpsdatum", nullptr, "cmdNew");
  ASSERT_NE(edit, nullptr);
  auto* desc = box(edit, "desc");
  auto* ellipse = child<QComboBox>(edit, "ellipse");
  ASSERT_TRUE(desc && ellipse);
  // A new row starts with no ellipsoid and shifts of 0; the choice offers every row.
  EXPECT_EQ(ellipse->currentIndex(), -1);
  EXPECT_EQ(ellipse->count(), int(builtinEllipsoids().size()));
  EXPECT_EQ(box(edit, "x")->text(), "0");
  const struct {
    const char* legend;
    const char* desc;
    const char* ellipsoid;  // nullptr: none chosen
    int message;
  } steps[] = {
      {"no description", "", "Bessel 1841", Msg::DescriptionMustHaveValue},
      {"no ellipsoid", "Skipper's datum", nullptr, Msg::NoEllipseSelected},
      {"description taken", "tokyo (japan)", "Bessel 1841", Msg::NameExists},
      {"stored", "Skipper's datum", "Bessel 1841", 0},
  };
  box(edit, "x")->setText(QStringLiteral("582.5"));
  box(edit, "y")->setText(QStringLiteral("105"));
  box(edit, "z")->setText(QStringLiteral("-414"));
  const int rowsBefore = scalar(QStringLiteral("SELECT COUNT(*) FROM Datums")).toInt();
  for (const auto& s : steps) {
    SCOPED_TRACE(s.legend);
    m_t.prompter.clear();
    desc->setText(QString::fromUtf8(s.desc));
    ellipse->setCurrentIndex(s.ellipsoid ? ellipse->findText(QLatin1String(s.ellipsoid)) : -1);
    click(edit, "cmdOK");
    if (s.message) {
      EXPECT_EQ(lastMessage(), MessageText(s.message));
      EXPECT_NE(find("gpsedatum"), nullptr) << "the window stays open";
      EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Datums")).toInt(), rowsBefore);
    }
  }
  EXPECT_TRUE(m_t.prompter.empty()) << lastMessage().toStdString();
  EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM Datums")).toInt(), rowsBefore + 1);
  auto rs = app().db.openRecordset(QStringLiteral("SELECT * FROM Datums WHERE description = 'Skipper''s datum'"));
  ASSERT_FALSE(rs->eof());
  EXPECT_EQ(rs->integer(QStringLiteral("ellipse")), 4);
  EXPECT_EQ(rs->number(QStringLiteral("x")), 582.5);
  EXPECT_EQ(rs->number(QStringLiteral("y")), 105);
  EXPECT_EQ(rs->number(QStringLiteral("z")), -414);
  // Numbered after the highest built-in datum.
  EXPECT_EQ(rs->integer(QStringLiteral("datum")), builtinDatums().back().datum + 1);
  rs->close();
  auto* l = child<QListWidget>(find("gpsdatum"), "List1");
  ASSERT_TRUE(l->currentItem());
  EXPECT_EQ(l->currentItem()->text(), "Skipper's datum");
}

TEST_F(DatumWindows, EditDatumChangesTheRowFoundByDescription) {
  m_t.prompter.clear();
  EXPECT_EQ(press("gpsdatum", nullptr, "cmdEdit"), nullptr);
  EXPECT_EQ(lastMessage(), MessageText(Msg::NoRecordSelected));
  QWidget* edit = press("gpsdatum", "European 1950 (mean)", "cmdEdit");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(box(edit, "desc")->text(), "European 1950 (mean)");
  EXPECT_EQ(child<QComboBox>(edit, "ellipse")->currentText(), "International 1924");
  EXPECT_EQ(box(edit, "x")->text(), "-87");
  EXPECT_EQ(box(edit, "z")->text(), "-121");
  box(edit, "desc")->setText(QStringLiteral("ED50"));
  box(edit, "y")->setText(QStringLiteral("-97.5"));
  click(edit, "cmdOK");
  EXPECT_EQ(scalar(QStringLiteral("SELECT y FROM Datums WHERE datum = 12")).toDouble(), -97.5);
  EXPECT_EQ(scalar(QStringLiteral("SELECT description FROM Datums WHERE datum = 12")).toString(), "ED50");
  const QStringList rows = texts(child<QListWidget>(find("gpsdatum"), "List1"));
  EXPECT_TRUE(rows.contains(QStringLiteral("ED50")));
  EXPECT_FALSE(rows.contains(QStringLiteral("European 1950 (mean)")));
}

TEST_F(DatumWindows, DatumEditNeedsEllipsoids) {
  ASSERT_TRUE(app().db.execute(QStringLiteral("DELETE FROM Ellipsoids")).ok());
  for (const char* button : {"cmdNew", "cmdEdit"}) {
    SCOPED_TRACE(button);
    m_t.prompter.clear();
    EXPECT_EQ(press("gpsdatum", "WGS-84", button), nullptr);
    EXPECT_EQ(lastMessage(), MessageText(Msg::NoEllipsoids));
  }
}

TEST_F(DatumWindows, DeleteAsksFirstAndKeepsADatumInUse) {
  ASSERT_TRUE(app().db.execute(QStringLiteral(
      "INSERT INTO Waypoints (description, latitude, longitude, datum) VALUES ('Buoy', 52, 4, 12)")).ok());
  QWidget* list = open("gpsdatum");
  auto* l = child<QListWidget>(list, "List1");
  const struct {
    const char* legend;
    const char* select;  // nullptr: nothing selected
    bool answer, gone;
    int message;
  } rows[] = {
      {"nothing selected", nullptr, true, false, Msg::NoRecordSelected},
      {"answered No", "Hong Kong 1963", false, false, Msg::SureDelete},
      {"answered Yes", "Hong Kong 1963", true, true, Msg::SureDelete},
      {"in use by a waypoint: refused", "European 1950 (mean)", true, false, Msg::SureDelete},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.legend);
    m_t.prompter.clear();
    l->setCurrentItem(nullptr);
    if (r.select) {
      ASSERT_TRUE(select(l, QLatin1String(r.select)));
      m_t.prompter.answer(r.answer);  // only a selection is asked about
    }
    click(list, "cmdDelete");
    ASSERT_FALSE(m_t.prompter.empty());
    EXPECT_EQ(m_t.prompter.entries().front().text, MessageText(r.message));
    if (!r.select) continue;
    const QString count = QStringLiteral("SELECT COUNT(*) FROM Datums WHERE description = '%1'").arg(QLatin1String(r.select));
    EXPECT_EQ(scalar(count).toInt(), r.gone ? 0 : 1);
    EXPECT_EQ(texts(l).contains(QLatin1String(r.select)), !r.gone);
    if (r.answer && !r.gone) { EXPECT_GE(m_t.prompter.entries().size(), 2u) << "the refusal is reported"; }
  }
}

// The boxes' arithmetic is the ellipsoid editor's: here the window passes the typing on
// and writes the partner boxes back without echoing into the box being typed in.
TEST_F(DatumWindows, EllipsoidEditKeepsBoxesInStep) {
  QWidget* edit = press("gpselips", "International 1924", "cmdEdit");
  ASSERT_NE(edit, nullptr);
  auto *a = box(edit, "majoraxis"), *b = box(edit, "minoraxis"), *da = box(edit, "da"), *df = box(edit, "df");
  EXPECT_EQ(a->text(), "6378388");
  EXPECT_EQ(da->text(), "-251");
  EXPECT_EQ(df->text(), "-0.1419270664");  // 33.5281066474748 - 10000 (a - b) / a

  enter(da, QStringLiteral("0"));
  EXPECT_EQ(a->text(), "6378137");
  enter(df, QStringLiteral("0"));
  EXPECT_EQ(b->text(), "6356752.3");  // a (1 - 1/298.257223563) to 0.1 m
  EXPECT_EQ(da->text(), "0") << "no echo back into the box being typed in";
  enter(a, QStringLiteral("6378388"));
  EXPECT_EQ(da->text(), "-251");
  EXPECT_EQ(df->text(), "0") << "editing a does not touch df";

  enter(b, QString());
  m_t.prompter.clear();
  click(edit, "cmdOK");
  EXPECT_EQ(lastMessage(), MessageText(Msg::MinorAxisFilled));
  enter(b, QStringLiteral("6356911.9461"));
  m_t.prompter.clear();
  click(edit, "cmdOK");
  EXPECT_TRUE(m_t.prompter.empty()) << lastMessage().toStdString();
  EXPECT_EQ(find("gpseelips"), nullptr);
  EXPECT_EQ(scalar(QStringLiteral("SELECT minoraxis FROM Ellipsoids WHERE ellipse = 18")).toDouble(), 6356911.9461);
}

TEST_F(DatumWindows, NewEllipsoidIsNumberedAfterTheHighest) {
  QWidget* edit = press("gpselips", nullptr, "cmdNew");
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(box(edit, "majoraxis")->text().isEmpty());
  box(edit, "desc")->setText(QStringLiteral("Clarke 1880 (IGN)"));
  enter(box(edit, "majoraxis"), QStringLiteral("6378249.2"));
  enter(box(edit, "minoraxis"), QStringLiteral("6356515"));
  m_t.prompter.clear();
  click(edit, "cmdOK");
  EXPECT_TRUE(m_t.prompter.empty()) << lastMessage().toStdString();
  EXPECT_EQ(scalar(QStringLiteral("SELECT ellipse FROM Ellipsoids WHERE description = 'Clarke 1880 (IGN)'")).toInt(),
            kWgs84Ellipse + 1);
}

}  // namespace
}  // namespace tavrik
