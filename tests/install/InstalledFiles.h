#pragma once
// What the install rules put under the prefix, and what the package must
// therefore hold under /usr: the one list both tests compare against.
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

inline const QString kAppStreamFile = QStringLiteral("share/metainfo/example.vantrel.Vantrel.metainfo.xml");
inline const QString kDesktopFile = QStringLiteral("share/applications/vantrel.desktop");

inline const QStringList &InstalledPrograms() {
  static const QStringList programs{QStringLiteral("bin/vantrel"), QStringLiteral("bin/vantrel-sql")};
  return programs;
}

inline std::vector<std::pair<QString, QSize>> InstalledIcons() {
  std::vector<std::pair<QString, QSize>> icons;
  for (int size : {16, 32, 48, 64, 128, 256})
    icons.emplace_back(QStringLiteral("share/icons/hicolor/%1x%1/apps/vantrel.png").arg(size), QSize(size, size));
  return icons;
}

inline QStringList InstalledFiles() {
  QStringList files = InstalledPrograms();
  for (const auto &icon : InstalledIcons()) files << icon.first;
  files << QStringLiteral("share/icons/hicolor/scalable/apps/vantrel.svg") << kDesktopFile << kAppStreamFile
        << QStringLiteral("share/vantrel/server/ws.php") << QStringLiteral("share/vantrel/server/README.md");
  files.sort();
  return files;
}

// Runs a program to its end; the exit code, or -1 when it could not start
// or crashed, and what it printed on both channels.
struct TRun {
  int Status = -1;
  QByteArray Output;
};

inline TRun RunProgram(const QString &program, const QStringList &arguments, int timeoutMs = 120000) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  TRun run;
  if (!process.waitForStarted()) {
    run.Output = program.toLocal8Bit() + " does not start";
    return run;
  }
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished();
  }
  run.Output = process.readAll();
  if (process.exitStatus() == QProcess::NormalExit) run.Status = process.exitCode();
  return run;
}
