#pragma once
// The "/"-options of the command line: "/u" login user, "/p" password, "/c" start
// communication, "/s" search a chart, "/l" load the last chart.

#include <QString>

namespace tavrik {

struct SlashOptions {
  QString user, password;
  bool startCommunication = false;
  bool searchChart = false;
  bool loadLastChart = false;
};

// The trimmed command line is cut at every "/"; each piece is trimmed and its first
// letter (case ignored) selects an option; for "u" and "p" the rest of the piece,
// without a leading ":" and trimmed, is the value. Without any "/" the line is ignored.
SlashOptions parseSlashOptions(const QString& commandLine);

}  // namespace tavrik
