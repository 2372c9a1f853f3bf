// The night screen's colours: the intensity rule on single entries, pictures whose
// colour tables are swapped and restored, library charts in their own night palette
// (checked against GDAL's decode and the palette lines of the chart's text header),
// and the tile cache recolouring without decoding again.

#include "chart/night_palette.h"

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gdal.h>
#include <gtest/gtest.h>

#include "chart/chart_image.h"
#include "chart/kap_writer.h"
#include "chart/raster_chart.h"
#include "test_data.h"

namespace tavrik {
namespace {

TEST(NightPalette, EntriesTurnToTheirRedIntensityKeepingTheFlagsByte) {
  struct Row {
    const char* legend;
    QRgb day;
    QRgb night;
  };
  const Row rows[] = {
      {"white is full red", qRgb(255, 255, 255), qRgb(255, 0, 0)},
      {"blue keeps its weight 18", qRgb(0, 0, 255), qRgb(18, 0, 0)},
      {"red keeps its weight 183", qRgb(255, 0, 0), qRgb(183, 0, 0)},
      {"green keeps its weight 54", qRgb(0, 255, 0), qRgb(54, 0, 0)},
      {"the sum is truncated", qRgb(100, 100, 100), qRgb(100, 0, 0)},
      {"odd grey truncated", qRgb(1, 2, 3), qRgb(1, 0, 0)},
      {"black stays black", qRgb(0, 0, 0), qRgb(0, 0, 0)},
      {"the flags byte stays", qRgba(10, 200, 30, 7), qRgba(51, 0, 0, 7)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.legend);
    EXPECT_EQ(GetIntensity(qRed(r.day), qGreen(r.day), qBlue(r.day)), qRed(r.night));
    const NightPalette p = CreateNightPalette(QVector<QRgb>{r.day});
    ASSERT_EQ(p.count(), 1);
    EXPECT_EQ(p.night[0], r.night);
    EXPECT_EQ(NightColour(QColor::fromRgba(r.day)).rgba(), r.night);
  }
  // The weights add up to 255, so the rule never exceeds it; out-of-range input is capped.
  EXPECT_EQ(GetIntensity(300, 300, 300), 255);
  EXPECT_EQ(CreateNightPalette(QVector<QRgb>(300, qRgb(1, 1, 1))).count(), 256);
}

TEST(NightPalette, SixteenColourPictureChangesOnlyItsEntriesAndRestoresExactly) {
  QImage picture(40, 30, QImage::Format_Indexed8);
  QVector<QRgb> table;
  for (int i = 0; i < 256; ++i) table << qRgba((i * 37) & 255, (i * 91) & 255, (i * 13) & 255, 255 - i);
  picture.setColorTable(table);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, (x + y) % 16);
  const QImage day = picture.copy();

  // A 16-colour palette handled as its picture's palette of 16 entries.
  const NightPalette sixteen = CreateNightPalette(table.mid(0, 16));
  SetNightPalette(picture, sixteen);
  for (int i = 0; i < 256; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(picture.color(i), i < 16 ? sixteen.night[i] : table[i]);
  }
  EXPECT_EQ(picture.pixel(3, 2), sixteen.night[5]);
  EXPECT_EQ(0, std::memcmp(picture.constBits(), day.constBits(), day.sizeInBytes())) << "pixels untouched";
  SetOriginalPalette(picture, sixteen);
  EXPECT_EQ(picture, day);

  // A true-colour picture has no palette: nothing to build, nothing changes.
  QImage rgb(4, 4, QImage::Format_RGB32);
  rgb.fill(qRgb(1, 2, 3));
  const NightPalette none = CreateNightPalette(rgb);
  EXPECT_TRUE(none.empty());
  SetNightPalette(rgb, none);
  EXPECT_EQ(rgb.pixel(0, 0), qRgb(1, 2, 3));
}

// NGT/ entries of a KAP header as the chart's text says them ("NGT/n,r,g,b").
QMap<int, QRgb> headerPalette(const QString& path, const char* name) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray head = f.read(64 * 1024);
  const QString text = QString::fromLatin1(head.left(head.indexOf('\x1a')));
  QMap<int, QRgb> out;
  const QRegularExpression re(QStringLiteral("^%1/(\\d+),(\\d+),(\\d+),(\\d+)").arg(QLatin1String(name)),
                              QRegularExpression::MultilineOption);
  for (auto it = re.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    out[m.captured(1).toInt()] = qRgb(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
  }
  return out;
}

TEST(NightPalette, LibraryChartRenderedAtNightUsesItsOwnNgtPalette) {
  const QString kap = testDataFile("charts/11361_2.KAP");
  const QMap<int, QRgb> ngt = headerPalette(kap, "NGT");
  ASSERT_GT(ngt.size(), 4);
  QTemporaryDir dir;
  const QString out = dir.filePath("night.png");
  const int x0 = 300, y0 = 200, w = 160, h = 120;
  QProcess tool;
  tool.start(QStringLiteral(TAVRIK_BINARY_DIR "/src/chart/tavrik-chart"),
             {"render", "--night", kap, out, "1", QString::number(x0), QString::number(y0), QString::number(w),
              QString::number(h)});
  ASSERT_TRUE(tool.waitForFinished(30000));
  ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  EXPECT_TRUE(tool.readAllStandardError().contains("night colours from NGT"));
  const QImage night(out);
  ASSERT_EQ(night.size(), QSize(w, h));

  // GDAL decodes the same pixels; its colour table (from RGB/) numbers values from 0.
  GDALAllRegister();
  GDALDatasetH ds = GDALOpen(kap.toLocal8Bit().constData(), GA_ReadOnly);
  ASSERT_TRUE(ds);
  std::vector<uint8_t> values(static_cast<size_t>(w * h));
  ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Read, x0, y0, w, h, values.data(), w, h, GDT_Byte, 0, 0),
            CE_None);
  GDALClose(ds);
  const QMap<int, QRgb> rgb = headerPalette(kap, "RGB");
  int differentFromDay = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int entry = values[static_cast<size_t>(y * w + x)] + 1;  // the header counts from 1
      ASSERT_TRUE(ngt.contains(entry)) << entry;
      ASSERT_EQ(night.pixel(x, y), ngt[entry]) << "pixel " << x << "," << y << " value " << entry;
      differentFromDay += ngt[entry] != rgb.value(entry);
    }
  EXPECT_GT(differentFromDay, w * h / 2) << "the night palette really differs from the day";
}

TEST(NightPalette, LibraryChartWithoutNightPalettesTurnsRedFromItsDaytimeColours) {
  QTemporaryDir dir;
  test::MercatorChartSpec spec;
  spec.width = 64;
  spec.height = 48;
  KapHeader h = test::mercatorHeader(spec);
  h.palettes.remove("NGT");
  h.palettes.remove("DSK");
  const QString kap = dir.filePath("day_only.kap");
  test::writeTestKap(kap, h);
  RasterChartError error;
  std::unique_ptr<RasterChart> chart = RasterChartLibrary::openChart(kap, &error);
  ASSERT_TRUE(chart) << error.text().toStdString();
  const QVector<QRgb> day = chart->colourTable();
  const LibraryNightColours night = NightColoursOf(*chart);
  EXPECT_EQ(night.source, "RGB");
  ASSERT_EQ(night.colours.size(), day.size());
  for (int v = 0; v < 16; ++v)
    EXPECT_EQ(night.colours[v], qRgb(GetIntensity(qRed(day[v]), qGreen(day[v]), qBlue(day[v])), 0, 0)) << v;

  // The chart decodes in those colours, and in exactly its daytime colours again.
  const QImage before = chart->readRegion(QRect(0, 0, 64, 48));
  chart->setColourTable(night.colours);
  const QImage red = chart->readRegion(QRect(0, 0, 64, 48));
  EXPECT_EQ(red.pixel(5, 5), night.colours[test::patternValue(5, 5) - 1]);
  chart->setColourTable(day);
  EXPECT_EQ(chart->readRegion(QRect(0, 0, 64, 48)), before);
}

// A palette source that counts its decodes.
class CountingSource final : public ChartImageSource {
 public:
  explicit CountingSource(QImage img) : m_img(std::move(img)) {}
  QSize size() const override { return m_img.size(); }
  QImage region(const QRect& r) const override {
    ++decodes;
    return m_img.copy(r.intersected(m_img.rect()));
  }
  mutable int decodes = 0;

 private:
  QImage m_img;
};

TEST(NightPalette, TileCacheSwapsColoursWithoutDecodingAndRestoresTheDay) {
  QImage img(600, 500, QImage::Format_Indexed8);
  img.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 255), qRgb(200, 180, 40)});
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, (x / 7 + y / 5) % 3);
  auto src = std::make_shared<CountingSource>(img);
  const NightPalette night = CreateNightPalette(img);
  for (double zoom : {1.0, 2.0, 0.5}) {
    SCOPED_TRACE(zoom);
    TileCache cache;
    cache.setSource(src);
    cache.setZoom(zoom);
    const QRect view(0, 0, 400, 300);
    auto paint = [&] {
      QImage out(view.size(), QImage::Format_RGB32);
      out.fill(Qt::black);
      QPainter p(&out);
      cache.paint(p, view);
      return out;
    };
    const QImage day = paint();
    const int decoded = src->decodes;
    cache.setColourTable(night.night);
    const QImage red = paint();
    EXPECT_EQ(src->decodes, decoded) << "a palette swap, not a decode";
    if (zoom == 1.0) {
      EXPECT_EQ(red.pixel(0, 0), qRgb(255, 0, 0));
      EXPECT_EQ(red.pixel(7, 0), qRgb(18, 0, 0));
    }
    for (int y = 0; y < red.height(); y += 13)
      for (int x = 0; x < red.width(); x += 11) ASSERT_EQ(qGreen(red.pixel(x, y)) | qBlue(red.pixel(x, y)), 0);
    cache.setColourTable({});
    EXPECT_EQ(paint(), day);
  }
}

}  // namespace
}  // namespace tavrik
