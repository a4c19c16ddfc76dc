#include "TLocalStore.h"
#include "TVersionAnswer.h"
#include "TfrmMain.h"
#include "UQtTranslations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

// The store named by "--store PATH" or "--store=PATH"; empty when none is.
// False, with *problem, for a "--store" without a path.
bool StoreArgument(const QStringList &arguments, QString *path, QString *problem) {
  for (int i = 0; i < arguments.size(); ++i) {
    const QString &argument = arguments[i];
    if (argument == QLatin1String("--store")) {
      if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
        *problem = QStringLiteral("--store needs a file");
        return false;
      }
      *path = arguments[++i];
    } else if (argument.startsWith(QLatin1String("--store="))) {
      *path = argument.mid(8);
      if (path->isEmpty()) {
        *problem = QStringLiteral("--store needs a file");
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

  if (TVersionAnswer::IsRequested(arguments)) {
    // No display is needed, and no window is created.
    QCoreApplication app(argc, argv);
    QString reason;
    const int status = TVersionAnswer::Write(arguments, QCoreApplication::applicationDirPath(), &reason);
    if (status != 0) std::fprintf(stderr, "vantrel: cannot write the version file %s\n", qPrintable(reason));
    return status;
  }

  QString storePath;
  QString problem;
  if (!StoreArgument(arguments, &storePath, &problem)) {
    std::fprintf(stderr, "vantrel: %s\nusage: vantrel [--store FILE]\n", qPrintable(problem));
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  for (const QString &file : InstallQtFrench(app))
    std::fprintf(stderr, "vantrel: %s cannot be loaded: Qt's own texts stay in English\n", qPrintable(file));
  if (storePath.isEmpty()) {
    const QString executable = QCoreApplication::applicationFilePath();
    storePath = TLocalStore::DefaultPath(executable);
    // The user's data folder, made on first start, theirs alone (the store
    // holds passwords). Should it fail, opening the store says where.
    const QString folder = TLocalStore::DataFolder();
    if (storePath != TLocalStore::PathForExecutable(executable) && !QFileInfo::exists(folder) &&
        QDir().mkpath(folder))
      QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  TfrmMain frmMain(QFileInfo(storePath).absoluteFilePath());
  if (!frmMain.FormCreate()) return 1;
  frmMain.RestoreWindowState();
  frmMain.show();
  return app.exec();
}
