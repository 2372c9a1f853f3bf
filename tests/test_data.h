#pragma once
// Files below tests/data, the only test data the suite reads. A missing file fails the
// running test with its name, rather than with an empty comparison further on.
#include <QFileInfo>
#include <QString>
#include <gtest/gtest.h>

inline QString testDataFile(const QString& relative) {
  const QString path = QStringLiteral(TAVRIK_TESTDATA "/") + relative;
  if (!QFileInfo::exists(path)) ADD_FAILURE() << "missing test data file: " << path.toStdString();
  return path;
}
