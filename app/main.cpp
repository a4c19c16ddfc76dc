#include "TLocalStore.h"
#include "TVersionAnswer.h"
#include "TfrmMain.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

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

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  TfrmMain frmMain(TLocalStore::PathForExecutable(QCoreApplication::applicationFilePath()));
  if (!frmMain.FormCreate()) return 1;
  frmMain.show();
  return app.exec();
}
