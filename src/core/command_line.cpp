#include "core/command_line.h"

#include <QStringList>

namespace tavrik {

SlashOptions parseSlashOptions(const QString& commandLine) {
  SlashOptions o;
  const QString line = commandLine.trimmed();
  if (!line.contains('/')) return o;
  const QStringList pieces = line.split('/');
  for (int i = 1; i < pieces.size(); ++i) {  // text before the first "/" is no option
    const QString piece = pieces[i].trimmed();
    if (piece.isEmpty()) continue;
    const QChar letter = piece[0].toLower();
    QString rest = piece.mid(1);
    if (rest.startsWith(':')) rest.remove(0, 1);
    // "/u: skipper" (or "/u:" and the name as two arguments) names "skipper".
    rest = rest.trimmed();
    if (letter == 'u') o.user = rest;
    else if (letter == 'p') o.password = rest;
    else if (letter == 'c') o.startCommunication = true;
    else if (letter == 's') o.searchChart = true;
    else if (letter == 'l') o.loadLastChart = true;
  }
  return o;
}

}  // namespace tavrik
