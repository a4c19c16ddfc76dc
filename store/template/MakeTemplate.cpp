// Build-time tool: writes the empty store that the program carries inside
// itself and copies beside the executable on first start.
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: vantrel-mktemplate SCHEMA.sql OUTPUT.adb\n");
    return 2;
  }
  QFile schema(QString::fromLocal8Bit(argv[1]));
  if (!schema.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const QString output = QString::fromLocal8Bit(argv[2]);
  QFile::remove(output);
  bool ok = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("template"));
    db.setDatabaseName(output);
    ok = db.open();
    const QStringList statements = QString::fromUtf8(schema.readAll()).split(QLatin1Char(';'));
    for (const QString &statement : statements) {
      if (!ok || statement.trimmed().isEmpty()) continue;
      QSqlQuery query(db);
      if (!query.exec(statement)) {
        std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
        ok = false;
      }
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("template"));
  if (!ok) QFile::remove(output);
  return ok ? 0 : 1;
}
