#include "library/file_names.h"

namespace tavrik {
namespace {

// Windows-1252 at 0x80..0x9F; 0 where the code page leaves the byte undefined.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

}  // namespace

QString extensionPart(const QString& path) {
  const QString name = fileNamePart(path);
  const qsizetype dot = name.lastIndexOf(u'.');
  return dot < 0 ? QString() : name.mid(dot + 1);
}

QString withoutExtension(const QString& path) {
  const QString ext = extensionPart(path);
  if (ext.isEmpty() && !fileNamePart(path).endsWith(u'.')) return path;
  return path.left(path.size() - ext.size() - 1);
}

QString withTrailingSeparator(const QString& dir) {
  if (dir.isEmpty() || dir.endsWith(u'/') || dir.endsWith(u'\\')) return dir;
  return dir + u'/';
}

QString fromAnsi(const QByteArray& bytes) {
  QString out(bytes.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    char16_t c = b;
    if (b >= 0x80 && b < 0xA0) c = kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : u'?';
    out[i] = QChar(c);
  }
  return out;
}

QByteArray toAnsi(const QString& text) {
  QByteArray out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    char b = '?';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      b = static_cast<char>(c);
    } else {
      for (int k = 0; k < 32; ++k)
        if (kCp1252High[k] == c && c != 0) b = static_cast<char>(0x80 + k);
    }
    out[i] = b;
  }
  return out;
}

}  // namespace tavrik
