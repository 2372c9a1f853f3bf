// Chart information files: reading every version, the block errors, import into the
// database (one transaction per file) and export in 2.0 and 3.0.
#include <QDir>
#include <QFile>

#include "chart/chart_row_store.h"
#include "core/messages.h"
#include "library/chart_library_store.h"
#include "library/chi_file.h"
#include "library_test_db.h"

using namespace tavrik;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray crlf(const QString& text) { return text.toLatin1().replace("\n", "\r\n"); }

const char* const kMercatorBlock =
    "Description = Skipper's Rock\n"
    "ImageName = rock.png\n"
    "mercator = TRUE\n"
    "Latitude1 =  53.5\nLongitude1 =  4.25\nLatitude2 =  53\nLongitude2 =  5\n"
    "X1 =  150\nY1 =  300\nX2 =  11850\nY2 =  8700\n"
    "Width =  800\nHeight =  600\n"
    "TopMargin =  0\nBottomMargin =  40\nLeftMargin =  0\nRightMargin =  0\n"
    "Scale = 1:50000\nDepth = m\nRevisionDate = 2026\n"
    "Datum = WGS-84\n"
    "Folder = Skipper's charts\n"
    "end\n";

}  // namespace

TEST(ChiFile, HeadersAndBlockErrors) {
  const QString header = QStringLiteral("Tavrik Pro Chart Information 3.0\n");
  const QString good = QString::fromLatin1(kMercatorBlock);
  struct Case {
    const char* name;
    QString text;
    ChiError::Kind kind;
    QString message;  // for a file "F"
  };
  const Case cases[] = {
      {"wrong header", "Tavrik Chart Information 3.0\n" + good, ChiError::Kind::NotChartInformation,
       MessageText(Msg::NotChartInformationFile)},
      {"good", header + "\n" + good + "\n\n", ChiError::Kind::None, {}},
      {"cut off", header + good.left(good.indexOf("Width")), ChiError::Kind::UnexpectedEndOfFile,
       "Unexpected end of file reading F"},
      {"keys out of order", header + QString(good).replace("X1 =  150\nY1 =  300", "Y1 =  300\nX1 =  150"),
       ChiError::Kind::SyntaxError, "Syntax error in F"},
      {"no =", header + QString(good).replace("Scale = 1:50000", "Scale 1:50000"), ChiError::Kind::SyntaxError,
       "Syntax error in F"},
      {"early End", header + QString(good).replace("Datum = WGS-84\n", "END\n"), ChiError::Kind::UnexpectedEnd,
       "Unexpected <End> in F"},
      {"lone CR ends a line", header + QString(good).replace("Skipper's Rock", "Skipper's\rRock"), ChiError::Kind::SyntaxError,
       "Syntax error in F"},
      {"not a number", header + QString(good).replace("Y2 =  8700", "Y2 = 87OO"), ChiError::Kind::BadNumber,
       "F:12: Y2 is not a number: \"87OO\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ChiFile f = parseChi(crlf(c.text));
    EXPECT_EQ(f.error.kind, c.kind);
    EXPECT_EQ(f.error.message("F"), c.message);
  }
  const ChiFile f = parseChi(crlf(header + good));
  ASSERT_EQ(f.charts.size(), 1u);
  EXPECT_TRUE(f.charts[0].row.mercator);
  EXPECT_DOUBLE_EQ(f.charts[0].row.maxx, 12000);  // 800 pixels of 15 twips
  EXPECT_EQ(f.charts[0].folders, QStringList{"Skipper's charts"});
  // Anything but true is false, "yes" too.
  const ChiFile yes = parseChi(crlf(header + QString(good).replace("TRUE", "yes")));
  EXPECT_EQ(yes.error.kind, ChiError::Kind::SyntaxError);  // read as false: Latitude3 was expected
  EXPECT_EQ(yes.error.line, 9);
}

TEST(ChiFile, ImportTwiceUpdatesAndExportReimports) {
  LibraryTestDb t;
  writeFile(t.path("rock.png"), "image");
  writeFile(t.path("a.chi"), crlf(QStringLiteral("Tavrik Pro Chart Information 3.0\n") + kMercatorBlock));
  ChiImportOptions o;
  o.now = t.now;
  for (int pass = 0; pass < 2; ++pass) {
    const ImportOutcome out = importChiFile(t.db, t.path("a.chi"), o);
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    EXPECT_EQ(out.storedCount("Folder charts"), pass == 0 ? 1 : 0);
  }
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts"), 1);
  EXPECT_EQ(t.count("SELECT COUNT(*) FROM [Folder charts]"), 1);
  const auto row = findChartRow(t.db, "Skipper's Rock");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->bitmap, QDir(t.dir.path()).filePath("rock.png"));
  EXPECT_DOUBLE_EQ(row->bottomMargin, 40);
  EXPECT_GT(row->milelat, 0);  // derived on import
  EXPECT_GT(*row->latmax, 53.5);  // point 1 lies 300 units below the top
  EXPECT_LT(*row->latmin, 53.0);

  // 3.0 export of a Mercator chart has no point 3 and comes back with zeros; 2.0 keeps
  // the fixed columns.
  for (ChiVersion v : {ChiVersion::V3, ChiVersion::V2}) {
    SCOPED_TRACE(static_cast<int>(v));
    QString error;
    ASSERT_TRUE(exportChiFile(t.db, {"Skipper's Rock"}, {v, true}, t.path("out.chi"), &error)) << error.toStdString();
    QFile f(t.path("out.chi"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_FALSE(bytes.contains("Latitude3"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count("\n"));
    LibraryTestDb other;
    writeFile(other.path("rock.png"), "image");
    QFile::copy(t.path("out.chi"), other.path("out.chi"));
    const ImportOutcome back = importChiFile(other.db, other.path("out.chi"), o);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    const auto again = findChartRow(other.db, "Skipper's Rock");
    ASSERT_TRUE(again);
    EXPECT_NEAR(again->latitude1, 53.5, 1e-5);
    EXPECT_NEAR(again->longitude2, 5, 1e-5);
    EXPECT_DOUBLE_EQ(again->x2, 11850);
    EXPECT_DOUBLE_EQ(again->maxx, 12000);
    EXPECT_NEAR(again->milelat, row->milelat, 1e-3);
    EXPECT_EQ(again->x3, v == ChiVersion::V3 ? 0 : -1);
    EXPECT_EQ(again->latitude3, 0);
  }
}

TEST(ChiFile, FailedFilesStoreNothing) {
  LibraryTestDb t;
  const QString block = QString::fromLatin1(kMercatorBlock);
  const QString second = QString(block).replace("Skipper's Rock", "Second");
  struct Case {
    const char* name;
    QString text;
    bool image;
    QString message;
  };
  const Case cases[] = {
      {"missing image", "Tavrik Pro Chart Information 3.0\n" + block, false,
       MessageText(Msg::ChartDoesNotExist) + " " + QDir(t.dir.path()).filePath("rock.png")},
      {"second block cut", "Tavrik Pro Chart Information 3.0\n" + block + second.left(second.indexOf("Latitude1")), true,
       "Unexpected end of file reading " + t.path("x.chi")},
      {"not chi", "GPX\n", true, MessageText(Msg::NotChartInformationFile)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(t.path("rock.png"));
    if (c.image) writeFile(t.path("rock.png"), "image");
    writeFile(t.path("x.chi"), crlf(c.text));
    const ImportOutcome out = importChiFile(t.db, t.path("x.chi"), {false, {}, t.now, {}, {}});
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.error, c.message);
    EXPECT_EQ(t.count("SELECT COUNT(*) FROM Charts"), 0);
    EXPECT_EQ(t.count("SELECT COUNT(*) FROM Folders"), 0);
  }
}

TEST(ChiFile, CopyNeverReplacesAnotherImageSilently) {
  LibraryTestDb t;
  QDir(t.dir.path()).mkpath("in");
  QDir(t.dir.path()).mkpath("charts");
  writeFile(t.path("in/rock.png"), "new image");
  writeFile(t.path("charts/rock.png"), "another chart's image");
  writeFile(t.path("in/a.chi"), crlf(QStringLiteral("Tavrik Pro Chart Information 3.0\n") + kMercatorBlock));
  QStringList asked;
  ChiImportOptions o{true, t.path("charts"), t.now, [&](const QString& target) {
                       asked << target;
                       return false;
                     }, {}};
  ASSERT_TRUE(importChiFile(t.db, t.path("in/a.chi"), o).ok);
  EXPECT_EQ(asked, QStringList{t.path("charts/rock.png")});
  EXPECT_EQ(findChartRow(t.db, "Skipper's Rock")->bitmap, t.path("in/rock.png"));
  QFile kept(t.path("charts/rock.png"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "another chart's image");
  // Yes replaces it; an identical file is not asked about.
  o.confirmOverwrite = [&](const QString& target) {
    asked << target;
    return true;
  };
  ASSERT_TRUE(importChiFile(t.db, t.path("in/a.chi"), o).ok);
  ASSERT_TRUE(importChiFile(t.db, t.path("in/a.chi"), o).ok);
  EXPECT_EQ(asked.size(), 2);
  EXPECT_EQ(findChartRow(t.db, "Skipper's Rock")->bitmap, t.path("charts/rock.png"));
}

TEST(ChiFile, Version2DatumFallsBackToKey) {
  LibraryTestDb t;
  ChiChart c;
  c.row.description = "Old chart";
  c.row.latitude1 = 52.123456;
  c.row.longitude1 = -4.5;
  c.row.x2 = 9000;
  c.row.maxx = 12000;
  c.row.datum = 2;  // WGS-72
  c.imageName = "old.bmp";
  c.datumDescription = "No such datum";
  const QString line = chiLineV2(c);
  EXPECT_EQ(line.mid(50, 10), "+052.12346");
  EXPECT_EQ(line.mid(60, 10), "-004.50000");
  EXPECT_EQ(line.mid(174, 6), "012000");
  EXPECT_EQ(line.mid(186, 7), "0000002");
  EXPECT_EQ(line.mid(243), "old.bmp");
  writeFile(t.path("old.chi"), QByteArray("TAVRIK Chart Information 2.0\r\n") + line.toLatin1() + "\r\n");
  const ImportOutcome out = importChiFile(t.db, t.path("old.chi"), {false, {}, t.now, {}, {}});
  ASSERT_TRUE(out.ok) << out.error.toStdString();
  const auto row = findChartRow(t.db, "Old chart");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->datum, 2);
  EXPECT_NEAR(row->latitude1, 52.12346, 1e-9);
  EXPECT_EQ(row->x3, -1);
  EXPECT_EQ(row->Scale, " ");
}
