#pragma once
// NMEA 0183 checksums and the name field of outgoing sentences.

#include <QString>
#include <string_view>

namespace tavrik {

// "$GPXTE,A,A,0.1,R,N,A" -> "$GPXTE,A,A,0.1,R,N,A*hh": the XOR of every character
// before the first "*" except "$", as two upper-case hex digits. A text that already
// carries "*hh" gets it recomputed over the part before "*". Empty gives empty.
QString NmeaChecksum(const QString& sentence);

// Upper-cased, every character other than 0-9 and A-Z replaced by fill, cut or padded
// on the right with fill to width. An empty fill is a blank.
QString NmeaName(const QString& text, int width, const QString& fill);

enum class ChecksumStatus { Absent, Good, Bad };

// Checks a received line (without its line end). A line that holds a "*" carries a
// checksum: it is good only when exactly two hex digits follow the first "*" and
// they equal the XOR of the characters between the start character and the "*".
ChecksumStatus checkLine(std::string_view line);

}  // namespace tavrik
