#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The command line of vantrel-sql. A setting that is not given is taken from
// the named connection, when there is one, or left empty.
struct TSqlOptions {
  enum class Format { Tsv, Csv };

  std::optional<QString> WebServer;
  std::optional<QString> SQLServer;
  std::optional<QString> Database;
  std::optional<QString> Account;
  std::optional<QString> Password;
  QString Connection;  // a connection's title in the local store
  QString Store;       // the store file; empty: the one beside vantrel
  QString Query;       // a saved query's title in that connection, in place of a statement
  // --param NAME=VALUE, in the order given; for a name given twice the
  // last value counts.
  QList<std::pair<QString, QString>> Params;
  bool PrintSql = false;  // print the prepared text instead of sending it
  Format OutputFormat = Format::Tsv;
  // A bound on each request, in milliseconds; 0: none.
  int MaxTimeMs = 0;
  // A PEM file of certificate authorities trusted besides the system's;
  // when not given, VANTREL_CA_FILE names it.
  std::optional<QString> CaFile;
  // Sent in this order through one client; "-" (once at most): read from
  // standard input.
  QStringList Statements;
  bool Help = false;

  static const char *Usage();
  // Reads the arguments that follow the program's name. Returns what is
  // wrong with them, or an empty text.
  static QString Parse(const QStringList &arguments, TSqlOptions *options);
};
