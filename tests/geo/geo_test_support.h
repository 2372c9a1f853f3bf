#pragma once
// Runs programs for the geo tests: the project's own filters, and PROJ's cs2cs and cct as
// oracles.

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <vector>

namespace tavrik::test {

struct ProgramRun {
  QString out, err;
  int status = -1;  // the exit code; -1 when it did not start, hung or crashed
};

inline ProgramRun runProgram(const QString& program, const QStringList& args, const QByteArray& input) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForStarted()) return {};
  p.write(input);
  p.closeWriteChannel();
  const bool finished = p.waitForFinished(30000);
  return {QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError()),
          finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1};
}

inline QString tool(const char* name) { return QStringLiteral(TAVRIK_BINARY_DIR "/src/geo/") + QLatin1String(name); }

// A PROJ program run over lines of numbers: the numbers of each output line; nothing when
// the program is missing or does not answer every line.
inline std::vector<std::vector<double>> projRows(const char* program, const QStringList& args,
                                                 const QByteArray& input) {
  const QString path = QStandardPaths::findExecutable(QLatin1String(program));
  if (path.isEmpty()) return {};
  std::vector<std::vector<double>> rows;
  for (const QString& line : runProgram(path, args, input).out.split('\n', Qt::SkipEmptyParts)) {
    rows.emplace_back();
    for (const QString& w : line.simplified().split(' ')) rows.back().push_back(w.toDouble());
  }
  if (rows.size() != static_cast<size_t>(input.count('\n'))) rows.clear();
  return rows;
}

}  // namespace tavrik::test
