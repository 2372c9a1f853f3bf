#include "chart/kap_file_writer.h"

#include <QFile>
#include <QSaveFile>

#include <vector>

#include <algorithm>

namespace tavrik {
namespace {

QString num(double v) {
  // Enough digits that a reference point survives the text exactly to a micro-degree.
  return QString::number(v, 'g', 12);
}

void appendLine(QByteArray& out, const QString& line) {
  out += line.toLatin1();
  out += "\r\n";
}

void appendPolynomial(QByteArray& out, const char* tag, const KapPolynomial& p) {
  if (!p.valid()) return;
  QString line = QString::fromLatin1(tag) + "/" + QString::number(p.order);
  for (double c : p.coefficients) line += "," + num(c);
  appendLine(out, line);
}

void appendVarint(QByteArray& out, uint32_t v, int extraBytes) {
  for (int i = extraBytes - 1; i >= 0; --i) {
    const uint8_t b = (v >> (7 * i)) & 0x7f;
    out += static_cast<char>(i > 0 ? (b | 0x80) : b);
  }
}

void appendBigEndian(QByteArray& out, uint32_t v) {
  out += static_cast<char>((v >> 24) & 0xff);
  out += static_cast<char>((v >> 16) & 0xff);
  out += static_cast<char>((v >> 8) & 0xff);
  out += static_cast<char>(v & 0xff);
}

}  // namespace

QByteArray kapHeaderText(const KapHeader& h) {
  QByteArray out;
  appendLine(out, QStringLiteral("! BSB/KAP chart written by Tavrik"));
  appendLine(out, QStringLiteral("VER/%1").arg(h.version.isEmpty() ? QStringLiteral("3.0") : h.version));
  appendLine(out, QStringLiteral("BSB/NA=%1,NU=%2,RA=%3,%4,DU=254").arg(h.name, h.number).arg(h.width).arg(h.height));
  appendLine(out, QStringLiteral("KNP/SC=%1,GD=%2,PR=%3,PP=%4,PI=UNKNOWN,SP=UNKNOWN,SK=0.0,TA=90.0")
                      .arg(h.scale, h.datum, h.projection, h.projectionParameter));
  appendLine(out, QStringLiteral("    UN=%1,SD=%2,DX=0.0,DY=0.0").arg(h.depthUnit, h.soundingDatum));
  appendLine(out, QStringLiteral("CED/SE=1,RE=1,ED=%1").arg(h.edition));
  for (const QString& name : kapPaletteNames()) {
    const QVector<QRgb> pal = h.palettes.value(name);
    for (int i = 1; i < pal.size(); ++i)
      appendLine(out, QStringLiteral("%1/%2,%3,%4,%5")
                          .arg(name)
                          .arg(i)
                          .arg(qRed(pal[i]))
                          .arg(qGreen(pal[i]))
                          .arg(qBlue(pal[i])));
  }
  for (const KapReference& r : h.references)
    appendLine(out, QStringLiteral("REF/%1,%2,%3,%4,%5").arg(r.number).arg(num(r.x), num(r.y), num(r.lat), num(r.lon)));
  for (int i = 0; i < h.outline.size(); ++i)
    appendLine(out, QStringLiteral("PLY/%1,%2,%3").arg(i + 1).arg(num(h.outline[i].first), num(h.outline[i].second)));
  if (h.datumShiftLat != 0 || h.datumShiftLon != 0)
    appendLine(out, QStringLiteral("DTM/%1,%2").arg(num(h.datumShiftLat), num(h.datumShiftLon)));
  appendPolynomial(out, "WPX", h.wpx);
  appendPolynomial(out, "WPY", h.wpy);
  appendPolynomial(out, "PWX", h.pwx);
  appendPolynomial(out, "PWY", h.pwy);
  for (int i = 0; i < h.errors.size(); ++i) {
    QString line = QStringLiteral("ERR/%1").arg(i + 1);
    for (double v : h.errors[i]) line += "," + num(v);
    appendLine(out, line);
  }
  return out;
}

QByteArray encodeKapRow(int y, const uint8_t* values, int width, int bitDepth) {
  QByteArray out;
  const uint32_t rowNumber = static_cast<uint32_t>(y + 1);
  int rowBytes = 1;
  while (rowBytes < 5 && (rowNumber >> (7 * rowBytes)) != 0) ++rowBytes;
  appendVarint(out, rowNumber, rowBytes);
  const int countBits = 7 - bitDepth;
  for (int x = 0; x < width;) {
    const uint8_t v = values[x];
    int run = 1;
    while (x + run < width && values[x + run] == v) ++run;
    x += run;
    const uint32_t count = static_cast<uint32_t>(run - 1);
    int extra = 0;
    while ((count >> (countBits + 7 * extra)) != 0) ++extra;
    uint8_t first = static_cast<uint8_t>(v << countBits);
    first |= static_cast<uint8_t>((count >> (7 * extra)) & ((1u << countBits) - 1));
    if (extra > 0) first |= 0x80;
    out += static_cast<char>(first);
    appendVarint(out, count, extra);
  }
  out += '\0';
  return out;
}

bool writeKapFile(const QString& path, const KapHeader& h, int bitDepth, const KapRowSource& rows, QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (h.width <= 0 || h.height <= 0) return fail(QStringLiteral("no image size"));
  if (bitDepth < 1 || bitDepth > 7) return fail(QStringLiteral("bit depth must be 1..7"));
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return fail(f.errorString());
  QByteArray head = kapHeaderText(h);
  head += '\x1a';
  head += '\0';
  head += static_cast<char>(bitDepth);
  if (f.write(head) != head.size()) return fail(f.errorString());
  qint64 offset = head.size();
  std::vector<uint32_t> index;
  index.reserve(h.height);
  std::vector<uint8_t> row(h.width);
  QByteArray chunk;
  for (int y = 0; y < h.height; ++y) {
    rows(y, row.data());
    const uint8_t maxValue = static_cast<uint8_t>((1 << bitDepth) - 1);
    for (uint8_t& v : row) v = std::clamp<uint8_t>(v, 1, maxValue);
    index.push_back(static_cast<uint32_t>(offset));
    const QByteArray enc = encodeKapRow(y, row.data(), h.width, bitDepth);
    chunk += enc;
    offset += enc.size();
    if (chunk.size() > (1 << 20)) {
      if (f.write(chunk) != chunk.size()) return fail(f.errorString());
      chunk.clear();
    }
  }
  const uint32_t indexStart = static_cast<uint32_t>(offset);
  for (uint32_t o : index) appendBigEndian(chunk, o);
  appendBigEndian(chunk, indexStart);
  if (f.write(chunk) != chunk.size() || !f.commit()) return fail(f.errorString());
  return true;
}

}  // namespace tavrik
