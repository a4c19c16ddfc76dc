// FakeProgram: a small executable shell script that stands for a program the
// code under test starts. It records its argv ($0 first), NUL-separated, in
// "argv.rec" beside itself, renamed into place once complete so that a
// reader never sees half of it. With a gate it first waits, at most ten
// seconds, for a file named "go" beside itself, so that a test can show the
// caller did not wait for it.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

namespace FakeProgram {

inline bool Write(const QString &path, bool gated = false) {
  QByteArray script = "#!/bin/sh\n"
                      "here=\"${0%/*}\"\n";
  if (gated) script += "i=0; while [ ! -e \"$here/go\" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done\n";
  script += "printf '%s\\0' \"$0\" \"$@\" > \"$here/argv.part\" && mv \"$here/argv.part\" \"$here/argv.rec\"\n";
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(script) != script.size()) return false;
  file.close();
  return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

inline QString RecordPath(const QString &programPath) {
  return QFileInfo(programPath).absolutePath() + QStringLiteral("/argv.rec");
}

// The recorded argv, $0 first (empty when nothing was recorded).
inline QStringList ReadRecord(const QString &programPath) {
  QFile file(RecordPath(programPath));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList out;
  const QList<QByteArray> parts = file.readAll().split('\0');
  // Every value ends with a NUL: the last part is the empty rest.
  for (qsizetype i = 0; i + 1 < parts.size(); ++i) out << QString::fromLocal8Bit(parts.at(i));
  return out;
}

}  // namespace FakeProgram
