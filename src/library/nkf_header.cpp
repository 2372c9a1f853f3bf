#include "library/nkf_header.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cmath>
#include <cstring>

#include "chart/chart_record.h"
#include "core/messages.h"
#include "library/chart_library_store.h"
#include "library/file_names.h"
#include "library/library_texts.h"

namespace tavrik {
namespace {

constexpr int kDescription = 2, kAgency = 97, kScanDate = 169, kEdition = 179, kDatum = 189;
constexpr int kScale = 251, kWidth = 257, kHeight = 261, kCalibration = 281;

QString textAt(const QByteArray& b, int offset, int size) {
  QByteArray raw = b.mid(offset, size);
  const qsizetype nul = raw.indexOf('\0');
  if (nul >= 0) raw.truncate(nul);
  return fromAnsi(raw).trimmed();
}

void putText(QByteArray& b, int offset, int size, const QString& text) {
  const QByteArray raw = toAnsi(text.left(size));
  std::memcpy(b.data() + offset, raw.constData(), static_cast<size_t>(raw.size()));
}

}  // namespace

quint8 nkfCheckByte(const QByteArray& first511) {
  quint8 x = 0;
  for (qsizetype i = 0; i < std::min<qsizetype>(first511.size(), kNkfHeaderSize - 1); ++i)
    x ^= static_cast<quint8>(first511[i]);
  return x;
}

NkfHeaderResult parseNkfHeader(const QByteArray& bytes) {
  NkfHeaderResult out;
  if (bytes.size() < kNkfHeaderSize) {
    out.error = library_text::euroSeaHeaderError();
    return out;
  }
  if (nkfCheckByte(bytes) != static_cast<quint8>(bytes[kNkfHeaderSize - 1])) {
    out.error = library_text::euroSeaHeaderError();
    return out;
  }
  NkfHeader h;
  h.description = textAt(bytes, kDescription, 80);
  h.agency = textAt(bytes, kAgency, 60);
  h.scanDate = textAt(bytes, kScanDate, 10);
  h.edition = textAt(bytes, kEdition, 10);
  h.datum = textAt(bytes, kDatum, 60);
  h.scale = qFromLittleEndian<qint32>(bytes.constData() + kScale);
  h.width = qFromLittleEndian<qint32>(bytes.constData() + kWidth);
  h.height = qFromLittleEndian<qint32>(bytes.constData() + kHeight);
  for (int i = 0; i < 8; ++i) {
    const quint64 bits = qFromLittleEndian<quint64>(bytes.constData() + kCalibration + 8 * i);
    std::memcpy(&h.calibration[i], &bits, sizeof(double));
    if (!std::isfinite(h.calibration[i])) {
      out.error = library_text::euroSeaHeaderError();
      return out;
    }
  }
  out.header = h;
  return out;
}

NkfHeaderResult readNkfHeaderFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {std::nullopt, library_text::cannotRead(path)};
  NkfHeaderResult r = parseNkfHeader(f.read(kNkfHeaderSize));
  if (!r.header) r.error += QStringLiteral("\n") + library_text::errorInFile() + path;
  return r;
}

QByteArray nkfHeaderBytes(const NkfHeader& h) {
  QByteArray b(kNkfHeaderSize, '\0');
  putText(b, kDescription, 80, h.description);
  putText(b, kAgency, 60, h.agency);
  putText(b, kScanDate, 10, h.scanDate);
  putText(b, kEdition, 10, h.edition);
  putText(b, kDatum, 60, h.datum);
  qToLittleEndian(h.scale, b.data() + kScale);
  qToLittleEndian(h.width, b.data() + kWidth);
  qToLittleEndian(h.height, b.data() + kHeight);
  for (int i = 0; i < 8; ++i) {
    quint64 bits = 0;
    std::memcpy(&bits, &h.calibration[i], sizeof bits);
    qToLittleEndian(bits, b.data() + kCalibration + 8 * i);
  }
  b[kNkfHeaderSize - 1] = static_cast<char>(nkfCheckByte(b));
  return b;
}

ChartRow nkfChartRow(const NkfHeader& h, const QString& bitmap, int datum) {
  ChartRow row;
  row.description = h.description.isEmpty() ? fileNamePart(bitmap) : h.description.left(50);
  row.bitmap = bitmap;
  row.mercator = true;
  row.latitude1 = h.calibration[0];
  row.longitude1 = h.calibration[1];
  row.x1 = h.calibration[2] * kTwipsPerPixel;
  row.y1 = h.calibration[3] * kTwipsPerPixel;
  row.latitude2 = h.calibration[4];
  row.longitude2 = h.calibration[5];
  row.x2 = h.calibration[6] * kTwipsPerPixel;
  row.y2 = h.calibration[7] * kTwipsPerPixel;
  row.maxx = h.width * kTwipsPerPixel;
  row.maxy = h.height * kTwipsPerPixel;
  row.Scale = h.scale > 0 ? QStringLiteral("1:") + QString::number(h.scale) : QStringLiteral(" ");
  row.depth = row.revised = QStringLiteral(" ");
  row.datum = datum;
  row.bsb = false;
  deriveCalibration(row);
  return row;
}

ImportOutcome importNkfFile(Database& db, const QString& path, const NkfImportOptions& o) {
  ImportOutcome out;
  const auto fail = [&out](const QString& message) {
    out.ok = false;
    out.error = message;
    out.rows.clear();
    return out;
  };
  const NkfHeaderResult header = readNkfHeaderFile(path);
  if (!header.header) return fail(header.error);
  QString bitmap = QFileInfo(path).absoluteFilePath();
  if (o.copyToChartDirectory) {
    const QString target = QDir(o.chartDirectory).filePath(fileNamePart(path));
    if (QFileInfo(target).absoluteFilePath() != bitmap) {
      bool copy = true;
      if (QFileInfo::exists(target)) {
        copy = o.confirmOverwrite && o.confirmOverwrite(target);
        if (copy) QFile::remove(target);
      }
      QDir().mkpath(o.chartDirectory);
      if (copy && !QFile::copy(path, target)) return fail(library_text::copyFailed(path, target));
      if (copy) bitmap = target;
    }
  }
  const ChartRow row = nkfChartRow(*header.header, bitmap, o.datum);
  StoreResult r = db.beginTrans();
  qint64 chart = 0, folder = 0;
  bool added = false, folderAdded = false, linked = false;
  if (r.ok()) r = storeChartRow(db, row, o.now, &chart, &added);
  if (r.ok() && !o.folder.trimmed().isEmpty()) {
    r = ensureFolder(db, o.folder.trimmed(), o.now, &folder, &folderAdded);
    if (r.ok()) r = linkChartToFolder(db, folder, chart, o.now, &linked);
  }
  if (r.ok()) r = db.commitTrans();
  if (!r.ok()) {
    db.rollback();
    return fail(ErrorReportText(r.error, r.detail));
  }
  out.rows.push_back({QStringLiteral("Charts"), chart, row.description, added});
  if (folderAdded) out.rows.push_back({QStringLiteral("Folders"), folder, o.folder.trimmed(), true});
  if (linked) out.rows.push_back({QStringLiteral("Folder charts"), folder, o.folder.trimmed() + " / " + row.description, true});
  return out;
}

}  // namespace tavrik
