#pragma once
// Recorded receiver sessions (tests/data/receivers/*.transcript): one frame per line,
// "HOST>DEV" or "DEV>HOST" and the bytes in hex, or a quoted Magellan sentence.

#include <QFile>
#include <QRegularExpression>
#include <vector>

#include "test_data.h"

struct TranscriptLine {
  bool fromDevice = false;
  QByteArray bytes;
};

inline std::vector<TranscriptLine> readTranscript(const QString& name) {
  std::vector<TranscriptLine> out;
  QFile f(testDataFile(QStringLiteral("receivers/") + name));
  if (!f.open(QIODevice::ReadOnly)) return out;
  static const QRegularExpression hex(QStringLiteral("^(HOST>DEV|DEV>HOST) ((?:[0-9a-f]{2} ?)+)"));
  while (!f.atEnd()) {
    const QString line = QString::fromLatin1(f.readLine());
    const auto m = hex.match(line);
    if (!m.hasMatch()) continue;
    out.push_back({m.captured(1) == QLatin1String("DEV>HOST"), QByteArray::fromHex(m.captured(2).remove(QLatin1Char(' ')).toLatin1())});
  }
  return out;
}
