#pragma once
// The night screen's colour maths. A palette picture turns red by rewriting its colour
// table only, so switching is instant and switching back gives the exact daytime
// colours; the pixels themselves never change.

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRgb>
#include <QString>
#include <QVector>

namespace tavrik {

class RasterChart;

// The grey value of a colour, weighted towards red so that the red night picture keeps
// the contrast the eye sees by day: Int((183 r + 54 g + 18 b) / 255), at most 255.
// Components 0..255.
int GetIntensity(int red, int green, int blue);

// Both colour tables of one picture. Entry i of `night` is (intensity of daytime entry
// i, 0, 0) with the daytime entry's alpha (the flags byte) kept.
struct NightPalette {
  QVector<QRgb> daytime;
  QVector<QRgb> night;
  int count() const { return static_cast<int>(daytime.size()); }
  bool empty() const { return daytime.isEmpty(); }
};

// Up to 256 entries of a colour table; empty for an empty table.
NightPalette CreateNightPalette(const QVector<QRgb>& daytime);
// The palette of a picture; empty for a true-colour picture (no colour table).
NightPalette CreateNightPalette(const QImage& picture);
// Write entries 0 .. count-1 of the night or the daytime table into the picture's
// colour table; entries beyond count stay. Nothing happens to a true-colour picture.
void SetNightPalette(QImage& picture, const NightPalette& palette);
void SetOriginalPalette(QImage& picture, const NightPalette& palette);

// The same red for what is drawn over the chart (overlays, background, window frame):
// one colour, and every pixel of a 32-bit image (alpha kept; premultiplied pixels stay
// valid because the weighting is linear).
QColor NightColour(const QColor& day);
void ToNightColours(QImage& image);

// The window colours at night: dark red on near black, for the main window's frame,
// toolbar, status bar and the other windows it holds.
QPalette NightWindowPalette();

// The colours a library chart shows at night, indexed by decoded pixel value: its own
// night palette (NGT, else DSK) when the header carries one, else the red intensity
// palette of the colours it shows by day.
struct LibraryNightColours {
  QVector<QRgb> colours;
  QString source;  // "NGT", "DSK" or "RGB" (the red palette of the daytime colours)
};
LibraryNightColours NightColoursOf(const RasterChart& chart);

}  // namespace tavrik
