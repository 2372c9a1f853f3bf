#pragma once
// Chart information files (.chi): the calibration of chart images handed on between
// databases. Versions 1.0 and 2.0 are fixed-column lines, 3.0 and the wave-atlas
// variant blocks of "Key = value" lines ending in "End". Lines end in CR LF, numbers
// use "." whatever the locale; text is Windows-1252.
//
// This part only reads and writes the text; storing is ChartLibraryStore's.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

#include "chart/chart_record_loader.h"

namespace tavrik {

enum class ChiVersion : int { Invalid = 0, V1 = 1, V2 = 2, V3 = 3, WaveAtlas = 101 };

// The version code of a header line (compared exactly, line end aside).
ChiVersion chiVersionOfHeader(const QString& firstLine);
// The version of a file by its first line; Invalid when it cannot be read.
ChiVersion detectChiVersion(const QString& path);

// One chart of a file. Versions 1.0/2.0 fill the row completely (derived values
// included) and name the datum by key and, in 2.0, by description; 3.0 gives the
// calibration, the image size in pixels (row.maxx/maxy already in chart units), the
// datum by description and the folders, and leaves the derived values to the importer.
struct ChiChart {
  ChartRow row;
  QString imageName;        // file name without directory
  int datumKey = 0;         // 1.0/2.0
  QString datumDescription; // 2.0/3.0
  QStringList folders;      // 3.0
  int line = 0;             // 1-based line the chart starts on
};

// Why a file breaks off. The text for the user is message() + path.
struct ChiError {
  enum class Kind { None, NotChartInformation, SyntaxError, UnexpectedEndOfFile, UnexpectedEnd, BadNumber };
  Kind kind = Kind::None;
  int line = 0;
  QString detail;  // BadNumber: which key or column and its text
  bool failed() const { return kind != Kind::None; }
  // The user's message for a file at `path`, in the wording of the program.
  QString message(const QString& path) const;
};

struct ChiFile {
  ChiVersion version = ChiVersion::Invalid;
  std::vector<ChiChart> charts;  // those read before an error, too
  ChiError error;
};

ChiFile parseChi(const QByteArray& bytes);

// "Read key" of version 3.0 over the file's lines: blank lines skipped; end of the
// lines gives EndOfFile, a line "End" (any case) End; otherwise the text before the
// first "=" must equal `expectedKey` without regard to case.
class ChiKeyReader {
 public:
  enum class Status { Ok, EndOfFile, End, SyntaxError };
  explicit ChiKeyReader(const QStringList& lines, int firstLine = 1) : m_lines(lines), m_next(firstLine) {}
  Status readKey(const QString& expectedKey, QString* value);
  // True when only blank lines are left.
  bool atEnd();
  int lineNumber() const { return m_next; }  // 1-based number of the line last read

 private:
  const QStringList& m_lines;
  int m_next;  // index into m_lines of the next line to read
};

// Writing. Each chart's datum description and folders are given by the caller.
QByteArray chiHeader(ChiVersion version);
// One fixed-column line of version 2.0 (without line end).
QString chiLineV2(const ChiChart& chart);
// One block of version 3.0: an empty line, the keys, the folders and "End", each line
// ended by CR LF.
QString chiBlockV3(const ChiChart& chart);

}  // namespace tavrik
