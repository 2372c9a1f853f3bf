#include <gtest/gtest.h>

#include "core/messages.h"
#include "geo/ellipsoid_editor.h"

namespace tavrik {
namespace {

using Box = EllipsoidEditor::Box;

TEST(EllipsoidEditor, LoadShowsDifferencesFromWgs84) {
  struct Row {
    const char* legend;
    double a, b;
    const char* da;
    const char* df;
  };
  const Row rows[] = {
      // b = a (1 - 1/298.257223563) to full precision: WGS-84's own flattening shows 0.
      {"WGS-84 exactly", 6378137, 6378137 * (1 - 1 / 298.257223563), "0", "0"},
      // The stored WGS-84 b is rounded to 0.1 mm, which shows as 7e-8 in df.
      {"WGS-84 as stored", 6378137, 6356752.3142, "0", "-0.0000000708"},
      // 10000/297 = 33.6700336700337.
      {"International 1924", 6378388, 6378388 * (1 - 1 / 297.0), "-251", "-0.1419270226"},
      {"Airy 1830", 6377563.396, 6377563.396 * (1 - 1 / 299.3249646), "573.604", "0.1196002325"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    EllipsoidEditor e;
    e.load(row.a, row.b);
    EXPECT_EQ(e.text(Box::Da), row.da);
    EXPECT_EQ(e.text(Box::Df), row.df);
    EXPECT_EQ(e.focus(), Box::None);
  }
}

TEST(EllipsoidEditor, EditingOneBoxFillsItsPartner) {
  struct Row {
    const char* legend;
    double a, b;       // loaded first
    Box box;           // the box typed into, holding the focus
    const char* text;  // what was typed
    Box partner;
    const char* expected;
  };
  const Row rows[] = {
      {"a updates da", 6378137, 6356752.3142, Box::MajorAxis, "6378388", Box::Da, "-251"},
      {"da sets a", 6378137, 6356752.3142, Box::Da, "573.604", Box::MajorAxis, "6377563.396"},
      {"b updates df", 6378388, 6356911.9461, Box::MinorAxis, "6356911.9461", Box::Df,
       "-0.1419270664"},
      // Bessel 1841: a = 6377397.155, 1/f = 299.1528128, b = 6356078.9628 -> 6356079.0.
      {"df sets b rounded to 0.1 m", 6377397.155, 0, Box::Df, "0.1003748", Box::MinorAxis,
       "6356079"},
      {"df 0 gives WGS-84's b", 6378137, 0, Box::Df, "0", Box::MinorAxis, "6356752.3"},
      {"a of 0 leaves df alone", 0, 0, Box::MinorAxis, "6356752", Box::Df, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    EllipsoidEditor e;
    e.load(row.a, row.b);
    const QString before = e.text(row.partner);
    e.setFocus(row.box);
    e.changed(row.box, row.text);
    EXPECT_EQ(e.text(row.box), row.text);
    EXPECT_EQ(e.text(row.partner), row.expected) << "was " << before.toStdString();
  }
}

TEST(EllipsoidEditor, UpdateOfTheUnfocusedBoxDoesNotEcho) {
  EllipsoidEditor e;
  e.load(6378137, 6356752.3142);
  e.setFocus(Box::MajorAxis);
  e.changed(Box::MajorAxis, "6378388");
  // The window writes the new da into its box, which reports a change of da.
  e.changed(Box::Da, e.text(Box::Da));
  EXPECT_EQ(e.text(Box::MajorAxis), "6378388");
  e.changed(Box::Df, "5");  // not the focused box: a and b stay
  EXPECT_EQ(e.text(Box::MinorAxis), "6356752.3142");
  EXPECT_EQ(e.text(Box::Df), "5");
}

TEST(EllipsoidEditor, SavingNeedsBothAxes) {
  struct Row {
    const char* legend;
    const char* a;
    const char* b;
    int message;
  };
  const Row rows[] = {
      {"both filled", "6378137", "6356752.3142", 0},
      {"a blank", "  ", "6356752.3142", Msg::MajorAxisFilled},
      {"a not a number", "abc", "6356752.3142", Msg::MajorAxisFilled},
      {"a zero", "0", "6356752.3142", Msg::MajorAxisFilled},
      {"b blank", "6378137", "", Msg::MinorAxisFilled},
      {"both blank: a first", "", "", Msg::MajorAxisFilled},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.legend);
    EllipsoidEditor e;
    e.changed(Box::MajorAxis, row.a);
    e.changed(Box::MinorAxis, row.b);
    EXPECT_EQ(e.saveCheck(), row.message);
  }
  EllipsoidEditor e;
  e.changed(Box::MajorAxis, "6378388");
  e.changed(Box::MinorAxis, "6356911.9461");
  EXPECT_EQ(e.majorAxis(), 6378388);
  EXPECT_EQ(e.minorAxis(), 6356911.9461);
}

}  // namespace
}  // namespace tavrik
