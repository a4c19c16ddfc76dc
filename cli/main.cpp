// vantrel-sql: runs statements, in order through one client, or a saved
// query of a stored connection, through ws.php and prints each answer: the
// field names, then the rows, an empty line between two answers. Exit
// status 0 on success, 1 when a request or a statement fails (the message
// on standard error; nothing after it runs), 2 for a bad command line or a
// parameter without a value, 130 on Ctrl+C (SIGINT) and 143 on SIGTERM.

#include "TLocalStore.h"
#include "TResultWriter.h"
#include "TSqlOptions.h"
#include "TStoreError.h"
#include "TWebService.h"
#include "UServerErrors.h"
#include "USqlText.h"
#include "UStoreRecords.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Ctrl+C, or a kill, ends the run at once, a request that waits on a
// silent server included, with the shell's status for the signal. Nothing
// buffered is written, so no half answer reaches the output.
void EndOnSignal(int signal) {
#ifdef Q_OS_UNIX
  _exit(128 + signal);
#else
  std::_Exit(128 + signal);
#endif
}

void EndOnInterrupt() {
  for (const int signal : {SIGINT, SIGTERM}) {
#ifdef Q_OS_UNIX
    // A signal that the caller ignores (a script's background job) stays
    // ignored.
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = &EndOnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
#else
    std::signal(signal, &EndOnSignal);
#endif
  }
}

int Failure(const QString &message) {
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  return 1;
}

int BadUsage(const QString &problem) {
  std::fprintf(stderr, "vantrel-sql: %s\n%s\n", problem.toLocal8Bit().constData(),
               TSqlOptions::Usage());
  return 2;
}

// Opens the local store named by the options. Returns what went wrong, or
// an empty text.
QString OpenStore(const TSqlOptions &options, TLocalStore &store) {
  const QString path =
      options.Store.isEmpty()
          ? TLocalStore::DefaultPath(QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel"))
          : options.Store;
  // Opening a missing store would make an empty one.
  if (!QFileInfo(path).isFile()) return QStringLiteral("vantrel-sql: no local store %1").arg(path);
  store.Open(path);
  return QString();
}

// Puts the settings of the stored connection with that title into the
// client and gives its key. Returns what went wrong, or an empty text.
QString LoadConnection(const TSqlOptions &options, TLocalStore &store, TWebService &ws, qint64 &key) {
  int found = 0;
  for (const TConnectionTitle &line : ReadConnections(store)) {
    if (line.Title != options.Connection) continue;
    if (found++ == 0) key = line.Key;
  }
  // A statement must not go to a connection chosen by chance.
  if (found == 0)
    return QStringLiteral("vantrel-sql: no connection \"%1\" in %2").arg(options.Connection, store.Path());
  if (found > 1)
    return QStringLiteral("vantrel-sql: %1 connections are named \"%2\" in %3")
        .arg(found)
        .arg(options.Connection, store.Path());
  const std::optional<TConnectionSettings> stored = ReadConnection(store, key);
  if (!stored) return QStringLiteral("vantrel-sql: the connection \"%1\" is gone").arg(options.Connection);
  ws.Settings = *stored;
  return QString();
}

// The text of the connection's saved query with that title. Returns what
// went wrong, or an empty text.
QString LoadQuery(const TSqlOptions &options, TLocalStore &store, qint64 connection, QByteArray &text) {
  qint64 key = -1;
  int found = 0;
  for (const TSavedQuery &query : ReadQueries(store, connection)) {
    if (query.Title != options.Query) continue;
    if (found++ == 0) key = query.Key;
  }
  if (found == 0)
    return QStringLiteral("vantrel-sql: no query \"%1\" in the connection \"%2\"")
        .arg(options.Query, options.Connection);
  if (found > 1)
    return QStringLiteral("vantrel-sql: %1 queries are named \"%2\" in the connection \"%3\"")
        .arg(found)
        .arg(options.Query, options.Connection);
  const std::optional<QString> stored = ReadQueryText(store, key);
  if (!stored) return QStringLiteral("vantrel-sql: the query \"%1\" is gone").arg(options.Query);
  text = stored->toLocal8Bit();
  return QString();
}

// Prepares the text as the data page does for a saved query. A reference
// takes the value given with --param, or else the one remembered for the
// connection; values go in as typed and nothing is remembered. The names
// with neither are put in `missing` and the result is then empty.
std::optional<QByteArray> Prepare(const QByteArray &text, const TSqlOptions &options, TLocalStore *store,
                                  qint64 connection, QStringList &missing) {
  const auto provider = [&](const QByteArray &name, QByteArray &value, TFieldType &type) {
    type = ftInteger;
    const QString wanted = QString::fromLocal8Bit(name);
    for (auto given = options.Params.crbegin(); given != options.Params.crend(); ++given) {
      if (given->first == wanted) {
        value = given->second.toLocal8Bit();
        return;
      }
    }
    if (store != nullptr) {
      if (const std::optional<QString> remembered = ReadParameterValue(*store, connection, wanted)) {
        value = remembered->toLocal8Bit();
        return;
      }
    }
    if (!missing.contains(wanted)) missing << wanted;
  };
  return PrepareSavedQuery(text, [&](QByteArray &sql) {
    ReplaceSQLParams(sql, provider);
    return missing.isEmpty();
  });
}

// An error line of ws.php with no message ("$ERR " alone): the client
// leaves ErrorText empty then, but the statement failed all the same.
QString WithoutMessage() {
  return QStringLiteral("Le serveur a répondu par une erreur sans message (« $ERR » seul) : "
                        "consultez le journal d'erreurs du serveur web et de PHP");
}

bool IsErrorWithoutMessage(TWebService &ws) {
  // The rows of an error answer start with its error line; no header is
  // taken from it.
  return ws.FieldCount() == 0 && !ws.Eof() && ws.GetRowText().startsWith("$ERR ");
}

int MissingValues(const QStringList &names) {
  for (const QString &name : names)
    std::fprintf(stderr, "vantrel-sql: no value for the parameter \"%s\": give --param %s=VALUE\n",
                 name.toLocal8Bit().constData(), name.toLocal8Bit().constData());
  return 2;
}

int Run(const TSqlOptions &options, int &argc, char **argv) {
  // The application object costs start-up time that a statement sent to a
  // web server named on the command line does not need; only the local
  // store does (its SQL driver, the program's folder).
  std::optional<QCoreApplication> app;
  if (!options.Connection.isEmpty()) app.emplace(argc, argv);
  TWebService ws;
  std::optional<TLocalStore> store;
  qint64 connection = -1;
  if (!options.Connection.isEmpty()) {
    store.emplace();
    QString problem = OpenStore(options, *store);
    if (problem.isEmpty()) problem = LoadConnection(options, *store, ws, connection);
    if (!problem.isEmpty()) return Failure(problem);
  }
  // What the command line names wins over the stored connection.
  if (options.WebServer) ws.Settings.WebServer = *options.WebServer;
  if (options.SQLServer) ws.Settings.SQLServer = *options.SQLServer;
  if (options.Database) ws.Settings.Database = *options.Database;
  if (options.Account) ws.Settings.Account = *options.Account;
  if (options.Password) ws.Settings.Password = *options.Password;
  ws.Service = QStringLiteral("SQL");

  // The texts as given, standard input read once, or the saved query.
  QList<QByteArray> texts;
  if (!options.Query.isEmpty()) {
    QByteArray text;
    const QString problem = LoadQuery(options, *store, connection, text);
    if (!problem.isEmpty()) return Failure(problem);
    texts << text;
  }
  for (const QString &statement : options.Statements) {
    if (statement != QLatin1String("-")) {
      texts << statement.toLocal8Bit();
      continue;
    }
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
      return Failure(QStringLiteral("vantrel-sql: cannot read standard input"));
    texts << in.readAll();
  }

  // A saved query always goes through the data page's preparation; a
  // statement of the command line only when asked for, and is sent as
  // given otherwise. Every statement is prepared before any is sent, so
  // that a missing value stops the run before anything has run.
  if (!options.Query.isEmpty() || options.PrintSql || !options.Params.isEmpty()) {
    QStringList missing;
    for (QByteArray &text : texts) {
      const std::optional<QByteArray> prepared =
          Prepare(text, options, store ? &*store : nullptr, connection, missing);
      if (prepared) text = *prepared;
    }
    if (!missing.isEmpty()) return MissingValues(missing);
    if (options.PrintSql) {
      // As they would go out, before the request turns their line feeds
      // into blanks; an empty line between two.
      for (qsizetype i = 0; i < texts.size(); ++i) {
        const QByteArray text = i == 0 ? texts[i] : "\r\n" + texts[i];
        if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()))
          return Failure(QStringLiteral("vantrel-sql: cannot write the output"));
      }
      if (std::fflush(stdout) != 0) return Failure(QStringLiteral("vantrel-sql: cannot write the output"));
      return 0;
    }
  }

  store.reset();  // not held open while the requests wait
  ws.SetMaxTime(options.MaxTimeMs);
  ws.SetCaFile(options.CaFile ? *options.CaFile : QFile::decodeName(qgetenv("VANTREL_CA_FILE")));
  const char *const separator = options.OutputFormat == TSqlOptions::Format::Csv ? "\r\n" : "\n";
  for (qsizetype i = 0; i < texts.size(); ++i) {
    ws.Execute(QString::fromLocal8Bit(texts[i]));
    if (!ws.ErrorText.isEmpty())
      return Failure(ws.ErrorText.trimmed().isEmpty() ? WithoutMessage() : ws.ErrorText);
    if (IsErrorWithoutMessage(ws)) return Failure(WithoutMessage());
    // One empty line between the outputs of two statements, also when one
    // printed nothing, so that the n-th block is the n-th statement's.
    if (i > 0 && std::fputs(separator, stdout) < 0)
      return Failure(QStringLiteral("vantrel-sql: cannot write the output"));
    TResultWriter writer(stdout, options.OutputFormat);
    std::optional<QString> cutError;
    if (!writer.Write(ws, &cutError))
      return Failure(QStringLiteral("vantrel-sql: cannot write the output"));
    // The client explains the error line that leads an answer; this one
    // came last, after rows.
    if (cutError)
      return Failure(cutError->trimmed().isEmpty() ? WithoutMessage() : UServerErrors::Explained(*cutError));
  }
  return 0;
}

}  // namespace

int main(int argc, char *argv[]) {
  EndOnInterrupt();
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
  } catch (const TSqlTextError &e) {
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
