// vantrel-sql: runs one statement through ws.php and prints the answer: the
// field names, then the rows. Exit status 0 on success, 1 when the request
// or the statement fails (the message on standard error), 2 for a bad
// command line.

#include "TLocalStore.h"
#include "TResultWriter.h"
#include "TSqlOptions.h"
#include "TStoreError.h"
#include "TWebService.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace {

int Failure(const QString &message) {
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  return 1;
}

int BadUsage(const QString &problem) {
  std::fprintf(stderr, "vantrel-sql: %s\n%s\n", problem.toLocal8Bit().constData(),
               TSqlOptions::Usage());
  return 2;
}

// Puts the settings of the stored connection with that title into the
// client. Returns what went wrong, or an empty text.
QString LoadConnection(const TSqlOptions &options, TWebService &ws) {
  const QString path =
      options.Store.isEmpty()
          ? TLocalStore::PathForExecutable(QCoreApplication::applicationDirPath() +
                                           QStringLiteral("/vantrel"))
          : options.Store;
  // Opening a missing store would make an empty one.
  if (!QFileInfo(path).isFile()) return QStringLiteral("vantrel-sql: no local store %1").arg(path);
  TLocalStore store;
  store.Open(path);
  qint64 key = -1;
  int found = 0;
  for (TStoreRows list = store.Select(TStoreStatement::qrySelectDatabases); !list.Eof();
       list.Next()) {
    if (list.AsString("TITRE") != options.Connection) continue;
    if (found++ == 0) key = list.AsInteger("PK_DATABASE");
  }
  // A statement must not go to a connection chosen by chance.
  if (found == 0)
    return QStringLiteral("vantrel-sql: no connection \"%1\" in %2").arg(options.Connection, path);
  if (found > 1)
    return QStringLiteral("vantrel-sql: %1 connections are named \"%2\" in %3")
        .arg(found)
        .arg(options.Connection, path);
  const TStoreRows row =
      store.Select(TStoreStatement::qrySelectDatabase, {{"PK_DATABASE", key}});
  if (row.Eof()) return QStringLiteral("vantrel-sql: the connection \"%1\" is gone").arg(options.Connection);
  ws.WebServer = row.AsString("SERVEUR_WEB");
  ws.SQLServer = row.AsString("SERVEUR_MYSQL");
  ws.Account = row.AsString("COMPTE_MYSQL");
  ws.Password = row.AsString("MDP_MYSQL");
  ws.Database = row.AsString("BASE_DE_DONNEES");
  ws.Tag = int(key);
  return QString();
}

int Run(const TSqlOptions &options, int &argc, char **argv) {
  // The application object costs start-up time that a statement sent to a
  // web server named on the command line does not need; only the local
  // store does (its SQL driver, the program's folder).
  std::optional<QCoreApplication> app;
  if (!options.Connection.isEmpty()) app.emplace(argc, argv);
  TWebService ws;
  if (!options.Connection.isEmpty()) {
    const QString problem = LoadConnection(options, ws);
    if (!problem.isEmpty()) return Failure(problem);
  }
  // What the command line names wins over the stored connection.
  if (options.WebServer) ws.WebServer = *options.WebServer;
  if (options.SQLServer) ws.SQLServer = *options.SQLServer;
  if (options.Database) ws.Database = *options.Database;
  if (options.Account) ws.Account = *options.Account;
  if (options.Password) ws.Password = *options.Password;
  ws.Service = QStringLiteral("SQL");

  QString statement = options.Statement;
  if (statement == QLatin1String("-")) {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
      return Failure(QStringLiteral("vantrel-sql: cannot read standard input"));
    statement = QString::fromLocal8Bit(in.readAll());
  }

  ws.Execute(statement);
  if (!ws.ErrorText.isEmpty()) return Failure(ws.ErrorText);

  TResultWriter writer(stdout, options.OutputFormat);
  QString cutError;
  if (!writer.Write(ws, &cutError))
    return Failure(QStringLiteral("vantrel-sql: cannot write the output"));
  if (!cutError.isEmpty()) return Failure(cutError);
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  // As QCoreApplication::arguments() reads them.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  TSqlOptions options;
  const QString problem = TSqlOptions::Parse(arguments, &options);
  if (!problem.isEmpty()) return BadUsage(problem);
  if (options.Help) {
    std::printf("%s\n", TSqlOptions::Usage());
    return 0;
  }
  int status = 1;
  try {
    status = Run(options, argc, argv);
  } catch (const TStoreError &e) {
    status = Failure(QStringLiteral("vantrel-sql: ") + e.Message());
  } catch (const std::exception &e) {
    status = Failure(QStringLiteral("vantrel-sql: ") + QString::fromLocal8Bit(e.what()));
  }
  // All that is this program's own is closed by now (the answer, the
  // connection, the store). The libraries' teardown at exit would only give
  // back memory that the system takes back anyway, at a noticeable part of
  // a short run's time.
  std::fflush(stdout);
  std::_Exit(status);
}
