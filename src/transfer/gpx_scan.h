#pragma once
// The two GPX readers behind readGpx, apart so that tests and the fuzz target can hold
// one against the other.

#include <QByteArrayView>
#include <optional>
#include <string_view>

#include "transfer/gpx.h"

namespace tavrik {

enum class GpxScan { Read, Failed, Unsupported };

// A scanner over a whole file's UTF-8 bytes, for the XML that GPX files use. Read only
// where Qt's reader would read the same document. Unsupported for what it leaves to
// Qt's reader: a DOCTYPE, another encoding, UTF-16, names in scripts it does not know.
// Failed, with a message naming the line, for XML that is not well formed, a root that
// is not <gpx> or a point without valid coordinates. out is empty unless Read.
GpxScan scanGpx(QByteArrayView bytes, GpxDocument& out, QString& error);

// QXmlStreamReader's reading: any XML Qt reads, in any encoding it knows.
bool readGpxWithQt(QIODevice& in, GpxDocument& out, QString& error);

// A point's time in UTC; invalid when the text is not an ISO date and time.
QDateTime gpxTime(const QString& text);
// The same for the form loggers write ("2026-06-02T10:15:30Z", with or without a
// fraction), straight from the bytes; nullopt for any other form.
std::optional<QDateTime> gpxLoggerTime(std::string_view text);

}  // namespace tavrik
