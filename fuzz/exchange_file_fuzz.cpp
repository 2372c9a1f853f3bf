// Any bytes as a waypoint, route or track file: the record reader must not crash,
// must account for every byte, and must give back the bytes it read.

#include <cstddef>
#include <cstdint>

#include "library/exchange_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const tavrik::ExchangeRecords r = tavrik::parseExchangeRecords(bytes);
  if (static_cast<size_t>(r.records.size()) * tavrik::kExchangeRecordSize + static_cast<size_t>(r.trailingBytes) != size)
    __builtin_trap();
  QByteArray again;
  for (const tavrik::ExchangeRecord& rec : r.records) again += tavrik::exchangeRecordBytes(rec);
  // Bytes the code page leaves undefined come back as "?"; everything else as read.
  for (qsizetype i = 0; i < again.size(); ++i)
    if (again[i] != bytes[i] && again[i] != '?') __builtin_trap();
  return 0;
}
