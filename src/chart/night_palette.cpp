#include "chart/night_palette.h"

#include <algorithm>

#include "chart/raster_chart.h"

namespace tavrik {

namespace {
constexpr int kMaxEntries = 256;

void writeEntries(QImage& picture, const QVector<QRgb>& entries) {
  if (picture.colorCount() == 0 || entries.isEmpty()) return;
  QVector<QRgb> table = picture.colorTable();
  const int n = std::min<int>(static_cast<int>(entries.size()), static_cast<int>(table.size()));
  std::copy_n(entries.cbegin(), n, table.begin());
  picture.setColorTable(table);
}
}  // namespace

int GetIntensity(int red, int green, int blue) {
  return std::min(255, (183 * red + 54 * green + 18 * blue) / 255);
}

NightPalette CreateNightPalette(const QVector<QRgb>& daytime) {
  NightPalette p;
  p.daytime = daytime.mid(0, kMaxEntries);
  p.night.reserve(p.daytime.size());
  for (QRgb c : p.daytime) p.night.append(qRgba(GetIntensity(qRed(c), qGreen(c), qBlue(c)), 0, 0, qAlpha(c)));
  return p;
}

NightPalette CreateNightPalette(const QImage& picture) {
  return picture.colorCount() > 0 ? CreateNightPalette(picture.colorTable()) : NightPalette{};
}

void SetNightPalette(QImage& picture, const NightPalette& palette) { writeEntries(picture, palette.night); }

void SetOriginalPalette(QImage& picture, const NightPalette& palette) { writeEntries(picture, palette.daytime); }

QColor NightColour(const QColor& day) {
  const QColor c = day.toRgb();
  return QColor(GetIntensity(c.red(), c.green(), c.blue()), 0, 0, c.alpha());
}

void ToNightColours(QImage& image) {
  if (image.depth() != 32) image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = line[x];
      line[x] = qRgba(GetIntensity(qRed(c), qGreen(c), qBlue(c)), 0, 0, qAlpha(c));
    }
  }
}

QPalette NightWindowPalette() {
  const QColor dark(24, 0, 0), panel(40, 0, 0), text(170, 0, 0), light(70, 0, 0);
  QPalette p;
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const QColor t = g == QPalette::Disabled ? QColor(90, 0, 0) : text;
    p.setColor(g, QPalette::Window, panel);
    p.setColor(g, QPalette::WindowText, t);
    p.setColor(g, QPalette::Base, dark);
    p.setColor(g, QPalette::AlternateBase, panel);
    p.setColor(g, QPalette::Text, t);
    p.setColor(g, QPalette::Button, panel);
    p.setColor(g, QPalette::ButtonText, t);
    p.setColor(g, QPalette::BrightText, QColor(220, 0, 0));
    p.setColor(g, QPalette::Highlight, light);
    p.setColor(g, QPalette::HighlightedText, QColor(220, 0, 0));
    p.setColor(g, QPalette::ToolTipBase, panel);
    p.setColor(g, QPalette::ToolTipText, t);
    p.setColor(g, QPalette::PlaceholderText, QColor(90, 0, 0));
    p.setColor(g, QPalette::Light, light);
    p.setColor(g, QPalette::Midlight, QColor(55, 0, 0));
    p.setColor(g, QPalette::Mid, QColor(32, 0, 0));
    p.setColor(g, QPalette::Dark, QColor(16, 0, 0));
    p.setColor(g, QPalette::Shadow, Qt::black);
    p.setColor(g, QPalette::Link, text);
    p.setColor(g, QPalette::LinkVisited, text);
  }
  return p;
}

LibraryNightColours NightColoursOf(const RasterChart& chart) {
  for (ChartPalette own : {ChartPalette::NGT, ChartPalette::DSK}) {
    QVector<QRgb> colours = chart.palette(own);
    if (!colours.isEmpty()) {
      // Stray values beyond the header's entries are drawn black, as by day.
      colours.resize(kMaxEntries, qRgb(0, 0, 0));
      return {colours, paletteName(own)};
    }
  }
  return {CreateNightPalette(chart.colourTable()).night, QStringLiteral("RGB")};
}

}  // namespace tavrik
