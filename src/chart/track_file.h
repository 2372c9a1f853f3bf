#pragma once
// The sailed-track scratch file `$GPS.$$$`: 16-byte records {time f64 (date serial),
// latitude f32, longitude f32}, little-endian, one per accepted fix while tracking.
// A record with latitude = longitude = 0 is a break (the fix was lost). Every record
// is flushed to the system before the next fix, so a crash loses nothing: the file is
// deleted only when the chart window closes, and one found at the next start holds
// the unsaved track of a run that ended abruptly.

#include <QDateTime>
#include <QFile>
#include <QString>
#include <vector>

namespace tavrik {

struct TrackRecord {
  double time = 0;  // date serial: days since 1899-12-30, local time
  float lat = 0;    // degrees, north positive
  float lon = 0;    // degrees, east positive
  bool isBreak() const { return lat == 0.0f && lon == 0.0f; }
};
inline constexpr int kTrackRecordSize = 16;
// Asked when the chart window opens and finds a track that a run left unsaved.
inline const QString kKeepLastTrackQuestion = QStringLiteral("The last track was not saved. Keep it?");

// Days since 1899-12-30 with the time of day as fraction (the old date serial).
double toDateSerial(const QDateTime& t);
QDateTime fromDateSerial(double serial);

class TrackFile {
 public:
  TrackFile() = default;
  ~TrackFile();
  TrackFile(const TrackFile&) = delete;
  TrackFile& operator=(const TrackFile&) = delete;

  // Opens (and empties) the file; false with errorText() when it cannot be written.
  bool open(const QString& path);
  // Opens the file keeping the whole records already in it (a track left by a run that
  // ended without closing the chart window); a partial last record is cut off.
  bool openKeeping(const QString& path);
  // Whole records in a file on disk (0 when there is none).
  static int recordsInFile(const QString& path);
  // Empties the current track (the file too, so nothing stale is offered after a crash).
  bool clear();
  // Appends records in one write (a loaded track); false when the write failed.
  bool appendAll(const std::vector<TrackRecord>& records);
  bool isOpen() const { return m_file.isOpen(); }
  // Appends one record; false when the write failed (the count is then unchanged).
  bool append(const TrackRecord& r);
  bool append(const QDateTime& t, float lat, float lon) { return append({toDateSerial(t), lat, lon}); }
  bool appendBreak(const QDateTime& t) { return append({toDateSerial(t), 0.0f, 0.0f}); }
  // Records written in this run.
  int count() const { return m_count; }
  // All records of this run, in order.
  std::vector<TrackRecord> readAll() const;
  // Closes and deletes the file.
  void closeAndRemove();
  QString errorText() const { return m_error; }
  QString path() const { return m_file.fileName(); }

  // Encoding of one record, for readers of the file elsewhere.
  static void encode(const TrackRecord& r, char out[kTrackRecordSize]);
  static TrackRecord decode(const char in[kTrackRecordSize]);
  // Reads a whole file written by this class; a trailing partial record is ignored.
  static std::vector<TrackRecord> readFile(const QString& path);

 private:
  mutable QFile m_file;
  int m_count = 0;
  QString m_error;
};

// The sailed track as lines: a break record ends the current line.
std::vector<std::vector<TrackRecord>> splitAtBreaks(const std::vector<TrackRecord>& records);

}  // namespace tavrik
