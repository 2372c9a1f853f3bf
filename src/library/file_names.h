#pragma once
// The file-name helpers of chart information files and exchange files. Paths may come
// from this computer ("/") or from old files written elsewhere ("\" and drive ":").

#include <QByteArray>
#include <QString>

#include "core/app_paths.h"  // fileNamePart, folderPart

namespace tavrik {

// Up to and including the last "/", "\" or ":"; empty when there is none.
inline QString directoryPart(const QString& path) { return folderPart(path); }
// The text after the last "." of the file name, without it; empty when there is none.
QString extensionPart(const QString& path);
// The path without the "." and extension of its file name.
QString withoutExtension(const QString& path);
// A directory with its trailing separator ("/" added when missing; empty stays empty).
QString withTrailingSeparator(const QString& dir);

// Text of the old files: Windows-1252 ("ANSI"). Encoding replaces what it cannot hold by "?".
QString fromAnsi(const QByteArray& bytes);
QByteArray toAnsi(const QString& text);

}  // namespace tavrik
