#include "chart/kap_header.h"

#include <gtest/gtest.h>

namespace tavrik {
namespace {

TEST(KapHeader, ReadsRecordsAndContinuations) {
  const QByteArray text =
      "! comment line\r\n"
      "VER/3.0\r\n"
      "BSB/NA=APPROACHES, HARBOUR OF REFUGE,NU=1234,RA=640,480,DU=254\r\n"
      "KNP/SC=25000,GD=WGS84,PR=MERCATOR,PP=52.0,PI=UNKNOWN\r\n"
      "    UN=METERS,SD=LAT,DX=1.0\r\n"
      "CED/SE=3,RE=1,ED=04/01/2019\r\n"
      "RGB/1,255,255,255\r\n"
      "RGB/3,0,0,0\r\n"
      "NGT/1,10,0,0\r\n"
      "REF/1,10,20,52.1,4.2\r\n"
      "REF/2,600,20,52.1,4.9\r\n"
      "PLY/1,52.2,4.0\r\n"
      "WPX/1,100.5,2.0,-3.0\r\n"
      "WPY/1,7,8,9\r\n"
      "PWX/2,1,2,3,4,5,6\r\n"
      "PWY/4,1,2\r\n"  // order 4 does not exist: ignored
      "ERR/1,0.1,0.2,0.3,0.4\r\n"
      "\x1a\x00\x04rowdata";
  const KapHeaderResult r = readKapHeader(text);
  ASSERT_TRUE(r.header) << r.error.toStdString();
  const KapHeader& h = *r.header;
  // A comma inside a value; the depth unit from the continuation line.
  for (auto [got, want] : {std::pair<QString, const char*>{h.name, "APPROACHES, HARBOUR OF REFUGE"},
                           {h.number, "1234"}, {h.scale, "25000"}, {h.datum, "WGS84"}, {h.projection, "MERCATOR"},
                           {h.depthUnit, "METERS"}, {h.soundingDatum, "LAT"}, {h.edition, "04/01/2019"},
                           {h.version, "3.0"}})
    EXPECT_EQ(got, want);
  EXPECT_EQ(h.width, 640);
  EXPECT_EQ(h.height, 480);
  ASSERT_EQ(h.references.size(), 2);
  EXPECT_EQ(h.references[1].x, 600);
  EXPECT_EQ(h.references[1].lon, 4.9);
  ASSERT_EQ(h.outline.size(), 1);
  EXPECT_EQ(h.palettes["RGB"].size(), 4);
  EXPECT_EQ(h.palettes["RGB"][3], qRgb(0, 0, 0));
  EXPECT_EQ(h.palettes["NGT"][1], qRgb(10, 0, 0));
  EXPECT_TRUE(h.wpx.valid());
  EXPECT_EQ(h.wpx.coefficients[0], 100.5);
  EXPECT_TRUE(h.pwx.valid());
  EXPECT_EQ(h.pwx.order, 2);
  EXPECT_FALSE(h.pwy.valid());
  EXPECT_EQ(h.errors.size(), 1);
}

TEST(KapHeader, ReadsOldNosEncoding) {
  // .NO1 files hold every byte plus 9.
  QByteArray plain = "NOS/NA=OLD HARBOUR,RA=300,200\r\nKNP/SC=40000,GD=NAD27\r\nREF/1,1,2,40.5,-70.25\r\n\x1a";
  QByteArray encoded = plain;
  for (char& c : encoded) c = static_cast<char>(static_cast<uint8_t>(c) + 9);
  const KapHeaderResult r = readKapHeader(encoded);
  ASSERT_TRUE(r.header) << r.error.toStdString();
  EXPECT_EQ(r.header->name, "OLD HARBOUR");
  EXPECT_EQ(r.header->width, 300);
  EXPECT_EQ(r.header->datum, "NAD27");
  ASSERT_EQ(r.header->references.size(), 1);
  EXPECT_EQ(r.header->references[0].lon, -70.25);
}

TEST(KapHeader, BadHeadersGiveReasons) {
  struct Row {
    const char* legend;
    QByteArray bytes;
    const char* reason;
  } rows[] = {
      {"empty", "", "no chart header end"},
      {"no terminator", "BSB/NA=X,RA=10,10\r\n", "no chart header end"},
      {"no BSB record", "KNP/SC=1\r\n\x1a", "no BSB/ record"},
      {"no size", "BSB/NA=X\r\n\x1a", "image size"},
      {"zero size", "BSB/NA=X,RA=0,10\r\n\x1a", "image size"},
      {"size not a number", "BSB/NA=X,RA=ten,10\r\n\x1a", "image size"},
      {"absurd size", "BSB/NA=X,RA=10,1e12\r\n\x1a", "image size"},
      {"binary junk", QByteArray("\x00\xff\x80/\x01=,,\x1a", 10), "no BSB/ record"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    const KapHeaderResult res = readKapHeader(r.bytes);
    EXPECT_FALSE(res.header);
    EXPECT_TRUE(res.error.contains(r.reason)) << res.error.toStdString();
  }
  // Damaged values are skipped, the rest still reads.
  const KapHeaderResult ok = readKapHeader("BSB/RA=5,5\r\nREF/1,x,2,3,4\r\nRGB/999,1,2,3\r\nRGB/-1,1,2,3\r\n\x1a");
  ASSERT_TRUE(ok.header);
  EXPECT_TRUE(ok.header->references.isEmpty());
  EXPECT_TRUE(ok.header->palettes.isEmpty());
}

}  // namespace
}  // namespace tavrik
