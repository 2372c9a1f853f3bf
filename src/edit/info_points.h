#pragma once
// Info points: files attached to positions in an info database. Opening a point's file
// follows one policy, as the files come from info databases other people hand on: only
// an existing regular file that is no program, script or desktop launcher is opened,
// through the desktop's own association; a relative name stays below the info
// database's folder.

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <functional>

#include "store/database.h"

namespace tavrik {

// Result codes of opening a document, numbered as the program has always reported them.
namespace DocumentResult {
enum : int { Opened = 33, FileNotFound = 2, PathNotFound = 3, AccessDenied = 5, NoAssociation = 31 };
}

// The text of a result of 32 or less ("File not found", ..., "Unknown error").
QString OpenDocumentMessage(int result);

struct DocumentCheck {
  int result = DocumentResult::FileNotFound;
  QUrl url;  // what to open when result is Opened
};

// A name containing ":" or an absolute path is used unchanged, any other is relative
// to `infoFolder` (either slash). Web and mail links pass as links.
DocumentCheck CheckDocument(const QString& infoFolder, const QString& name);

// OpenDocument: checks the name, asks `opener` (the desktop's) to open it; returns the
// result code (Opened, or the code whose message the caller shows).
int OpenDocument(const QString& infoFolder, const QString& name, const std::function<bool(const QUrl&)>& opener);

// The open info database's Version row.
struct InfoHeader {
  bool present = false;  // false: "No information available"
  QString name, version, copyright, area, icon;
};
inline const QString kNoInformationAvailable = QStringLiteral("No information available");

// Opens (and upgrades) an info database; the header is read after the upgrade. A file
// that is not a database gives its error and leaves `info` closed.
StoreResult OpenInfoDatabase(Database& info, const QString& path, InfoHeader& header);

struct InfoPoint {
  long key = 0;  // 0: a new point
  QString name, file, icon;
  double latitude = 0, longitude = 0;
  QString chart;  // " " for every chart
};

// Stores an info point (a new row with `Created` = now, or the row of `key`); empty
// texts are stored as " ".
StoreResult SaveInfoPoint(Database& info, InfoPoint& point, const QDateTime& now);
bool ReadInfoPoint(Database& info, long key, InfoPoint& point);
StoreResult DeleteInfoPoint(Database& info, long key);

}  // namespace tavrik
