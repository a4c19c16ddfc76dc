#pragma once

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTest>

// One run of vantrel-sql (from VANTREL_BIN_DIR unless another copy is named):
// its exit status and both outputs.
struct SqlRun {
  int status = -1;
  QByteArray out;
  QByteArray err;
};

inline QString SqlProgram() {
  return QDir(QString::fromLocal8Bit(qgetenv("VANTREL_BIN_DIR"))).filePath(QStringLiteral("vantrel-sql"));
}

inline SqlRun RunSql(const QStringList &arguments, const QByteArray &input = {},
                     const QString &program = SqlProgram()) {
  SqlRun run;
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForStarted(10000)) {
    run.err = "cannot start " + program.toLocal8Bit();
    return run;
  }
  process.write(input);
  process.closeWriteChannel();
  if (!process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished();
    run.err = "vantrel-sql did not end";
    return run;
  }
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}
