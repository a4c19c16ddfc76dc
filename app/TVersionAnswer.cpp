#include "TVersionAnswer.h"

#include <QDir>
#include <QFile>

namespace TVersionAnswer {

bool IsRequested(const QStringList &arguments) {
  return arguments.size() >= 2 && arguments.at(0).toUpper() == QLatin1String("/V") &&
         !arguments.at(1).isEmpty();
}

int Write(const QStringList &arguments, const QString &executableFolder, QString *reason) {
  // The name is taken as written, relative to the executable's folder.
  const QString path = QDir(executableFolder).path() + QLatin1Char('/') + arguments.at(1);
  QFile file(path);
  const QByteArray content = QByteArray(Version) + "\r\n";
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size() ||
      !file.flush()) {
    if (reason) *reason = QStringLiteral("%1: %2").arg(path, file.errorString());
    return 1;
  }
  return 0;
}

}  // namespace TVersionAnswer
