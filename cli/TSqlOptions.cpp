#include "TSqlOptions.h"

#include <QLocale>

#include <algorithm>
#include <climits>
#include <cmath>

const char *TSqlOptions::Usage() {
  return "usage: vantrel-sql [--web-server URL] [--sql-server HOST] [--database NAME]"
         " [--account NAME] [--password TEXT] [--connection TITLE [--store FILE]]"
         " [--param NAME=VALUE]... [--print-sql] [--format tsv|csv] [--max-time SECONDS]"
         " [--ca-file FILE] STATEMENT|-|--query TITLE\n"
         "       vantrel-sql [options] STATEMENT|- STATEMENT|-...  (in order, one client;"
         " \"-\" once at most)";
}

QString TSqlOptions::Parse(const QStringList &arguments, TSqlOptions *options) {
  TSqlOptions parsed;
  bool optionsEnded = false;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString &argument = arguments[i];
    const bool isOption = !optionsEnded && argument.startsWith(QLatin1String("-")) &&
                          argument != QLatin1String("-");
    if (!isOption) {
      // Standard input holds one text.
      if (argument == QLatin1String("-") && parsed.Statements.contains(argument))
        return QStringLiteral("- (standard input) given twice");
      parsed.Statements << argument;
      continue;
    }
    if (argument == QLatin1String("--")) {
      optionsEnded = true;
      continue;
    }
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
      parsed.Help = true;
      continue;
    }
    if (argument == QLatin1String("--print-sql")) {
      parsed.PrintSql = true;
      continue;
    }
    if (argument.startsWith(QLatin1String("--print-sql=")))
      return QStringLiteral("--print-sql takes no value");
    // "--name value" or "--name=value".
    QString name = argument;
    QString value;
    bool haveValue = false;
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    if (equals > 0) {
      name = argument.left(equals);
      value = argument.mid(equals + 1);
      haveValue = true;
    }
    static const char *const kValued[] = {"--web-server", "--sql-server", "--database", "--account",
                                          "--password",   "--connection", "--store",    "--format",
                                          "--query",      "--param",      "--max-time", "--ca-file"};
    bool known = false;
    for (const char *option : kValued) known = known || name == QLatin1String(option);
    if (!known) return QStringLiteral("unknown option %1").arg(name);
    if (!haveValue) {
      if (i + 1 >= arguments.size()) return QStringLiteral("%1 needs a value").arg(name);
      value = arguments[++i];
    }
    if (name == QLatin1String("--web-server")) {
      parsed.WebServer = value;
    } else if (name == QLatin1String("--sql-server")) {
      parsed.SQLServer = value;
    } else if (name == QLatin1String("--database")) {
      parsed.Database = value;
    } else if (name == QLatin1String("--account")) {
      parsed.Account = value;
    } else if (name == QLatin1String("--password")) {
      parsed.Password = value;
    } else if (name == QLatin1String("--connection")) {
      if (value.isEmpty()) return QStringLiteral("--connection needs a title");
      parsed.Connection = value;
    } else if (name == QLatin1String("--store")) {
      if (value.isEmpty()) return QStringLiteral("--store needs a file");
      parsed.Store = value;
    } else if (name == QLatin1String("--query")) {
      if (value.isEmpty()) return QStringLiteral("--query needs a title");
      parsed.Query = value;
    } else if (name == QLatin1String("--ca-file")) {
      if (value.isEmpty()) return QStringLiteral("--ca-file needs a file");
      parsed.CaFile = value;
    } else if (name == QLatin1String("--max-time")) {
      bool number = false;
      const double seconds = QLocale::c().toDouble(value, &number);
      if (!number || !std::isfinite(seconds) || seconds <= 0)
        return QStringLiteral("--max-time needs a number of seconds above 0");
      // At least a millisecond; past about 24 days, as good as none.
      parsed.MaxTimeMs = int(std::min<double>(std::ceil(seconds * 1000), INT_MAX));
    } else if (name == QLatin1String("--param")) {
      // The name ends at the first "=": a value may hold more of them.
      const qsizetype nameEnd = value.indexOf(QLatin1Char('='));
      if (nameEnd < 0) return QStringLiteral("--param needs NAME=VALUE");
      parsed.Params.append({value.left(nameEnd), value.mid(nameEnd + 1)});
    } else if (value == QLatin1String("tsv")) {
      parsed.OutputFormat = Format::Tsv;
    } else if (value == QLatin1String("csv")) {
      parsed.OutputFormat = Format::Csv;
    } else {
      return QStringLiteral("unknown format %1").arg(value);
    }
  }
  if (parsed.Help) {
    *options = parsed;
    return QString();
  }
  if (!parsed.Query.isEmpty()) {
    if (parsed.Connection.isEmpty()) return QStringLiteral("--query goes with --connection");
    if (!parsed.Statements.isEmpty()) return QStringLiteral("--query takes no statement");
  } else if (parsed.Statements.isEmpty()) {
    return QStringLiteral("no statement");
  }
  if (!parsed.Store.isEmpty() && parsed.Connection.isEmpty())
    return QStringLiteral("--store goes with --connection");
  // Nothing is sent with --print-sql.
  if (parsed.Connection.isEmpty() && !parsed.WebServer && !parsed.PrintSql)
    return QStringLiteral("--web-server or --connection is needed");
  *options = parsed;
  return QString();
}
