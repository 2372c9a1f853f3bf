#pragma once
// The File menu's "Create Tavrik database..." and "Create info database..." commands
// without their windows: the checks, the overwrite question and the creation.

#include <QString>
#include <functional>

#include "core/prompter.h"
#include "store/database.h"
#include "store/schema.h"

namespace tavrik {

// The file name as the user gave it, with ".db" added when it has no extension.
QString withDatabaseSuffix(const QString& file);

// newdb: a new main database at file with the open database's structure and the rows
// of Version, Ellipsoids and Datums. An existing file is replaced only after "Database
// already exists, do you want to overwrite it?" is answered yes. False when cancelled
// or failed (a failure is shown in the general error box).
// busy(true)/busy(false) bracket the copy (the window shows the hourglass).
bool createNewMainDatabase(Database& open, const QString& file, Prompter& prompter,
                           const std::function<void(bool)>& busy = {});

// A new info database named header.name (required: "You must enter a name") in
// folder; ".db" is added when the name has none. On success *created holds its path.
bool createNewInfoDatabase(const QString& folder, const InfoDatabaseHeader& header, Prompter& prompter,
                           QString* created = nullptr);

}  // namespace tavrik
